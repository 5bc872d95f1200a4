"""802.1Q VLANs: more rows of the enterprise VLAN table, its device rules, PVIDs, the IP-interface VLAN
column, and the voice and surveillance VLAN settings that a VLAN's deletion is checked against.

The VLAN table (7.6.1: 1 name, 2 egress ports, 3 forbidden ports, 4 untagged ports, 5 row status), the
asymmetric VLAN switch (7.5.0) and the PVID column (7.7.1.1, Unsigned32) with VLAN 1 are in the base
profile. The device keeps every row's untagged ports within its egress ports (untagged ports outside
them are refused; ports that leave the egress set leave the untagged set too) and never lets VLAN 1 go
(neither destroyed nor taken out of service).
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"

# vid -> (name, egress ports, untagged ports, forbidden ports)
VLANS = {
    100: ("office", range(1, 9), [], [20]),
    200: ("voice", range(9, 13), [], []),
}
PVIDS = {5: 100, 6: 100}  # port -> PVID; the others 1
IP_INTERFACE_VLANS = [1]  # one VLAN id per IP interface
VOICE = (2, 200)  # state (1 enabled, 2 disabled), VLAN id
SURVEILLANCE = (2, 30)


def bitmap(ports, octets):
    bits = 0
    for p in ports:
        bits |= 1 << (octets * 8 - p)
    return format(bits, "0%dx" % (octets * 2))


def objects(name, ports, poe):
    octets = 4 if ports <= 32 else 8
    table = "%s.7.6.1" % P
    out = ["# VLAN table rows past VLAN 1, and the device's VLAN rules"]
    for col in range(1, 6):
        for vid, (vname, egress, untagged, forbidden) in sorted(VLANS.items()):
            value = {
                1: ("s", vname),
                2: ("x", bitmap(egress, octets)),
                3: ("x", bitmap(forbidden, octets)),
                4: ("x", bitmap(untagged, octets)),
                5: ("i", "1"),
            }[col]
            out.append("%s.%d.%d|%s|%s" % (table, col, vid, value[0], value[1]))
    out.append("@within %s 4 2" % table)
    out.append("@keeprow %s 1" % table)
    for port, pvid in sorted(PVIDS.items()):
        if port <= ports:
            out.append("%s.7.7.1.1.%d|u|%d" % (P, port, pvid))
    out.append("# IP interfaces: the VLAN of each interface")
    for i, vid in enumerate(IP_INTERFACE_VLANS, start=1):
        out.append("%s.41.1.1.1.2.%d|i|%d" % (P, i, vid))
    out.append("# Voice VLAN state and id, surveillance VLAN state and id")
    out.append("%s.21.1.2.0|i|%d" % (P, VOICE[0]))
    out.append("%s.21.1.3.0|i|%d" % (P, VOICE[1]))
    out.append("%s.26.1.1.0|i|%d" % (P, SURVEILLANCE[0]))
    out.append("%s.26.1.2.0|i|%d" % (P, SURVEILLANCE[1]))
    return out
