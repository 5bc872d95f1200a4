"""Static MAC entries and MAC address learning.

9.1.0 learning state (1 enabled, 2 disabled), 9.2.0 uplink ports (port bitmap). Static MAC table
(9.3.1, index VLAN id, the six MAC octets, port): 1 VLAN id, 2 MAC (6 octets), 3 port, 4 row status;
a created row takes its VLAN, MAC and port from its index. At most 256 rows.
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"

# (VLAN id, MAC, port, row status)
ENTRIES = [
    (1, (0x00, 0x11, 0x22, 0x33, 0x44, 0x55), 7, 1),
    (1, (0x00, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E), 3, 1),
    (1, (0x00, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE), 4, 2),
]


def bitmap(ports, octets):
    bits = 0
    for p in ports:
        bits |= 1 << (octets * 8 - p)
    return format(bits, "0%dx" % (octets * 2))


def objects(name, ports, poe):
    octets = 4 if ports <= 32 else 8
    out = ["# MAC address learning and uplink ports"]
    out.append("%s.9.1.0|i|1" % P)
    out.append("@range %s.9.1.0 1 2" % P)
    out.append("%s.9.2.0|x|%s" % (P, bitmap([25, 26], octets)))
    t = "%s.9.3.1" % P
    out.append("# Static MAC table; a created row's VLAN, MAC and port come from its index")
    out.append("@rowstatus %s 4 max=256 1:i=@arc:1 2:x=@arcs:2:6 3:i=@arc:8" % t)
    for vid, mac, port, status in ENTRIES:
        index = "%d.%s.%d" % (vid, ".".join(str(o) for o in mac), port)
        out.append("%s.1.%s|i|%d" % (t, index, vid))
        out.append("%s.2.%s|x|%s" % (t, index, "".join("%02x" % o for o in mac)))
        out.append("%s.3.%s|i|%d" % (t, index, port))
        out.append("%s.4.%s|i|%d" % (t, index, status))
    out.append("@readonly %s.1" % t)
    out.append("@readonly %s.2" % t)
    out.append("@readonly %s.3" % t)
    return out
