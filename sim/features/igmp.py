"""IGMP snooping and multicast filtering.

IGMP global scalars (10.1.1.0 to 10.1.8.0): state, router timeout, host timeout, robustness variable,
last member query interval, query interval, max response time, report to all ports.
Per-VLAN table (10.3.4.1, index the VLAN id): 1 VLAN id, 2 state, 4 querier state, 6 static router
ports (port bitmap), 8 fast leave.
Group table (10.3.5.1, index VLAN id and the group's four address octets, read only): 1 VLAN id,
2 group address (4 octets), 3 group MAC (6 octets), 4 member ports (bitmap).
Multicast filtering mode per VLAN (7.8.1, index the VLAN id): 1 VLAN id, 2 mode (0 forward, 1 filter).
The samples use the VLANs of the VLAN area's profile (1, 100 and 200).
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"

# VLAN id -> (state, querier, router ports, fast leave)
IGMP_VLANS = {
    1: (1, 2, [1, 2], 2),
    100: (1, 1, [], 1),
    200: (2, 2, [], 2),
}
# (VLAN id, group address, member ports)
GROUPS = [
    (1, (239, 1, 1, 1), [3, 5]),
    (1, (239, 255, 255, 250), [3, 4, 5, 6]),
    (100, (224, 1, 2, 3), [9]),
]
# VLAN id -> filtering mode
FILTER_MODES = {1: 0, 100: 1, 200: 0}



def bitmap(ports, octets):
    bits = 0
    for p in ports:
        bits |= 1 << (octets * 8 - p)
    return format(bits, "0%dx" % (octets * 2))


def group_mac(addr):
    return "01005e%02x%02x%02x" % (addr[1] & 0x7F, addr[2], addr[3])


def objects(name, ports, poe):
    octets = 4 if ports <= 32 else 8
    out = []
    g = "%s.10.1" % P
    out.append("# IGMP snooping global settings")
    for sub, value, lo, hi in ((1, 1, 1, 2), (2, 125, 60, 600), (3, 260, 130, 153025), (4, 2, 2, 255),
                               (5, 1, 1, 25), (6, 125, 60, 600), (7, 10, 10, 25), (8, 2, 1, 2)):
        out.append("%s.%d.0|i|%d" % (g, sub, value))
        out.append("@range %s.%d.0 %d %d" % (g, sub, lo, hi))

    t = "%s.10.3.4.1" % P
    out.append("# IGMP snooping per VLAN")
    for vid, (state, querier, routers, fast) in sorted(IGMP_VLANS.items()):
        out.append("%s.1.%d|i|%d" % (t, vid, vid))
        out.append("%s.2.%d|i|%d" % (t, vid, state))
        out.append("%s.4.%d|i|%d" % (t, vid, querier))
        out.append("%s.6.%d|x|%s" % (t, vid, bitmap(routers, octets)))
        out.append("%s.8.%d|i|%d" % (t, vid, fast))
    out.append("@readonly %s.1" % t)
    for c in (2, 4, 8):
        out.append("@range %s.%d 1 2" % (t, c))

    m = "%s.10.3.5.1" % P
    out.append("# IGMP multicast groups (read only)")
    for vid, addr, members in GROUPS:
        index = "%d.%d.%d.%d.%d" % ((vid,) + addr)
        out.append("%s.1.%s|i|%d" % (m, index, vid))
        out.append("%s.2.%s|x|%s" % (m, index, "".join("%02x" % a for a in addr)))
        out.append("%s.3.%s|x|%s" % (m, index, group_mac(addr)))
        out.append("%s.4.%s|x|%s" % (m, index, bitmap(members, octets)))
    out.append("@readonly %s" % m)

    f = "%s.7.8.1" % P
    out.append("# Multicast filtering mode per VLAN")
    for vid, mode in sorted(FILTER_MODES.items()):
        out.append("%s.1.%d|i|%d" % (f, vid, vid))
        out.append("%s.2.%d|i|%d" % (f, vid, mode))
    out.append("@readonly %s.1" % f)
    out.append("@range %s.2 0 2" % f)
    return out
