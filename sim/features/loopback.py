"""Loopback detection: global state, mode, interval, recover time and VLAN list, the per-port table
(detection state, loop status) and the table of VLANs in which a loop was found (ports as a bitmap).
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"

LBD_ON_PORTS = {4}  # detection enabled (port 4 runs spanning tree as well until the STP table opens)
LOOPED = {7: 2}  # loop status of ports taken out of service; others normal (1)
VLAN_LOOPS = {10: [7, 9], 20: [7]}  # VLAN -> looping ports


def bitmap(ports, octets):
    bits = 0
    for p in ports:
        bits |= 1 << (octets * 8 - p)
    return format(bits, "0%dx" % (octets * 2))


def objects(name, ports, poe):
    octets = 4 if ports <= 32 else 8
    g = "%s.17" % P
    out = ["# Loopback detection"]
    add = out.append
    add("%s.1.0|i|1" % g)  # enabled
    add("%s.2.0|i|1" % g)  # port based
    add("%s.3.0|i|10" % g)  # interval, s
    add("%s.4.0|i|60" % g)  # recover time, s
    add("%s.7.0|s|10,20" % g)  # VLAN list of the VLAN-based mode
    add("@range %s.1.0 1 2" % g)
    add("@range %s.2.0 1 2" % g)
    add("@range %s.3.0 1 32767" % g)
    add("@range %s.4.0 0 1000000" % g)
    t = "%s.5.1" % g
    for p in range(1, ports + 1):
        add("%s.1.%d|i|%d" % (t, p, p))
    for p in range(1, ports + 1):
        add("%s.2.%d|i|%d" % (t, p, 1 if p in LBD_ON_PORTS else 2))
    for p in range(1, ports + 1):
        add("%s.3.%d|i|%d" % (t, p, LOOPED.get(p, 1)))
    add("@readonly %s.1" % t)
    add("@readonly %s.3" % t)
    add("@range %s.2 1 2" % t)
    v = "%s.6.1" % g
    for vid in sorted(VLAN_LOOPS):
        add("%s.1.%d|i|%d" % (v, vid, vid))
    for vid in sorted(VLAN_LOOPS):
        add("%s.2.%d|x|%s" % (v, vid, bitmap(VLAN_LOOPS[vid], octets)))
    add("@readonly %s" % v)
    return out
