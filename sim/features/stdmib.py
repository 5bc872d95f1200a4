"""Standard-MIB tables the monitoring views read: MIB-II ipAddrTable (4.20.1), tcpConnTable (6.13.1) and
udpTable (7.5.1), the bridge's address aging time (dot1dTpAgingTime, 17.4.2.0) and the Q-BRIDGE
forwarding database (dot1qTpFdbTable 17.7.1.2.2.1, index filtering-database id and the six MAC octets;
column 2 the port, 3 the status: 3 learned, 4 the switch's own address, 5 static).

ksx-sim --fdb N replaces the forwarding entries below with N generated ones.
"""

MAC_BASE = 0x001E944C2000  # the switch's own address; port p has MAC_BASE + p

IP = "1.3.6.1.2.1.4.20.1"
TCP = "1.3.6.1.2.1.6.13.1"
UDP = "1.3.6.1.2.1.7.5.1"
FDB = "1.3.6.1.2.1.17.7.1.2.2.1"

# (address, interface index, netmask)
ADDRESSES = [
    ("127.0.0.1", 1000, "255.0.0.0"),
    ("192.168.1.1", 1000, "255.255.255.0"),
]

# (local address, local port, remote address, remote port, state)
TCP_CONNECTIONS = [
    ("0.0.0.0", 23, "0.0.0.0", 0, 2),
    ("0.0.0.0", 80, "0.0.0.0", 0, 2),
    ("192.168.1.1", 23, "192.168.1.100", 51234, 5),
    ("192.168.1.1", 80, "192.168.1.100", 51300, 11),
]

# (local address, local port)
UDP_LISTENERS = [
    ("0.0.0.0", 69),
    ("0.0.0.0", 161),
    ("0.0.0.0", 514),
]


def mac(value):
    return tuple((value >> (8 * (5 - i))) & 0xFF for i in range(6))


def forwarding_entries(ports):
    """(filtering-database id, MAC octets, port, status), in index order."""
    entries = [(1, mac(MAC_BASE), 0, 4)]
    entries.append((1, (0x00, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E), 3, 5))
    entries.append((1, (0x00, 0x11, 0x22, 0x33, 0x44, 0x55), 7, 5))
    for port in (1, 2, 3, 5, 24, 25):
        if port <= ports:
            entries.append((1, mac(0x0050C2000000 + port), port, 3))
    entries.append((10, (0x00, 0x50, 0xC2, 0x00, 0x10, 0x01), 9, 3))
    entries.append((4094, (0x00, 0x50, 0xC2, 0x0F, 0xFE, 0x01), 10, 3))
    return sorted(entries)



def objects(name, ports, poe):
    out = ["# IP addresses of the switch (ipAddrTable)"]
    for column, t, value in ((1, "a", lambda a: a[0]), (2, "i", lambda a: a[1]), (3, "a", lambda a: a[2]),
                             (4, "i", lambda a: 1), (5, "i", lambda a: 65535)):
        for a in ADDRESSES:
            out.append("%s.%d.%s|%s|%s" % (IP, column, a[0], t, value(a)))
    out.append("@readonly 1.3.6.1.2.1.4.20")

    out.append("# TCP connections (tcpConnTable), index local address, local port, remote address, remote port")
    for column in (1, 2, 3, 4, 5):
        for la, lp, ra, rp, state in TCP_CONNECTIONS:
            index = "%s.%d.%s.%d" % (la, lp, ra, rp)
            value = {1: ("i", state), 2: ("a", la), 3: ("i", lp), 4: ("a", ra), 5: ("i", rp)}[column]
            out.append("%s.%d.%s|%s|%s" % (TCP, column, index, value[0], value[1]))
    out.append("@readonly 1.3.6.1.2.1.6.13")

    out.append("# UDP listeners (udpTable), index local address, local port")
    for column in (1, 2):
        for la, lp in UDP_LISTENERS:
            index = "%s.%d" % (la, lp)
            value = ("a", la) if column == 1 else ("i", lp)
            out.append("%s.%d.%s|%s|%s" % (UDP, column, index, value[0], value[1]))
    out.append("@readonly 1.3.6.1.2.1.7.5")

    out.append("# Address aging time of the bridge, seconds")
    out.append("1.3.6.1.2.1.17.4.2.0|i|300")
    out.append("@range 1.3.6.1.2.1.17.4.2.0 10 1000000")

    out.append("# Forwarding database (dot1qTpFdbTable): 2 port, 3 status")
    entries = forwarding_entries(ports)
    for column in (2, 3):
        for fid, octets, port, status in entries:
            index = "%d.%s" % (fid, ".".join(str(o) for o in octets))
            out.append("%s.%d.%s|i|%d" % (FDB, column, index, port if column == 2 else status))
    out.append("@readonly %s" % FDB)
    return out
