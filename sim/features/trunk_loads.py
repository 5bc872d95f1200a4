"""Per-port settings of other feature areas that the trunk member checks read before a trunk's members
are written. Each block belongs to the area named in its comment; the area's own script takes it over.

Every port carries the same settings, so any set of free ports may form a trunk; tests change single
values through the simulator's control protocol to make ports differ.
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"


def bitmap(ports, octets):
    bits = 0
    for p in ports:
        bits |= 1 << (octets * 8 - p)
    return format(bits, "0%dx" % (octets * 2))


def objects(name, ports, poe):
    octets = 4 if ports <= 32 else 8
    out = []
    add = out.append

    # Spanning tree (area: spanning tree). Global state, and the port table: 1 port, 2 priority,
    # 3 status, 4 state, 5 configured cost, 6 operational cost, 12 migrate, 14 point-to-point, 16 edge,
    # 17 restricted role, 18 restricted TCN.
    add("# Spanning tree: state (1 on, 2 off) and port table")
    add("%s.6.1.1.0|i|1" % P)
    port_table = (
        (1, lambda p: p), (2, lambda p: 128), (3, lambda p: 5), (4, lambda p: 1), (5, lambda p: 0),
        (6, lambda p: 200000), (12, lambda p: 2), (14, lambda p: 2), (16, lambda p: 2),
        (17, lambda p: 2), (18, lambda p: 2),
    )
    for col, value in port_table:
        for p in range(1, ports + 1):
            add("%s.6.2.1.%d.%d|i|%d" % (P, col, p, value(p)))
    add("@readonly %s.6.2.1.1" % P)
    add("@readonly %s.6.2.1.3" % P)
    add("@readonly %s.6.2.1.6" % P)

    # Loopback detection (area: spanning tree and loopback detection): per-port state, 1 on, 2 off.
    add("# Loopback detection: per-port state")
    for p in range(1, ports + 1):
        add("%s.17.5.1.1.%d|i|%d" % (P, p, p))
    for p in range(1, ports + 1):
        add("%s.17.5.1.2.%d|i|2" % (P, p))
    add("@readonly %s.17.5.1.1" % P)
    add("@range %s.17.5.1.2 1 2" % P)

    # Static MAC (area: IGMP snooping and static MAC): learning ports (every port learns), and one static
    # entry, VLAN 1, MAC 00-1E-94-00-00-18, on port 24. Index: VLAN, the six MAC octets, port.
    add("# Static MAC: learning ports and the static entry table (1 VLAN, 2 MAC, 3 port, 4 row status)")
    add("%s.9.2.0|x|%s" % (P, bitmap(range(1, ports + 1), octets)))
    index = "1.0.30.148.0.0.24.24"
    add("%s.9.3.1.1.%s|i|1" % (P, index))
    add("%s.9.3.1.2.%s|x|001e94000018" % (P, index))
    add("%s.9.3.1.3.%s|i|24" % (P, index))
    add("%s.9.3.1.4.%s|i|1" % (P, index))

    # Port mirroring (area: port mirroring, LLDP and GVRP): state 2 off, target port, Rx and Tx sources.
    add("# Port mirroring: state, target port, Rx and Tx source ports")
    add("%s.18.1.0|i|2" % P)
    add("%s.18.2.0|i|1" % P)
    add("%s.18.3.0|x|%s" % (P, "00" * octets))
    add("%s.18.4.0|x|%s" % (P, "00" * octets))
    add("@range %s.18.1.0 1 2" % P)

    # Auto surveillance VLAN (area: management and surveillance VLAN): the port table (1 port, 2 auto
    # detection 1 on 2 off, 3 status 1 static 2 dynamic 3 none). Its state is in vlan.py.
    add("# Auto surveillance VLAN: port table")
    for p in range(1, ports + 1):
        add("%s.26.1.5.1.1.%d|i|%d" % (P, p, p))
    for p in range(1, ports + 1):
        add("%s.26.1.5.1.2.%d|i|2" % (P, p))
    for p in range(1, ports + 1):
        add("%s.26.1.5.1.3.%d|i|3" % (P, p))
    add("@readonly %s.26.1.5.1.1" % P)
    return out
