"""Spanning tree: the enterprise bridge scalars and port table, and the standard bridge MIB's spanning
tree group, which names the same state (@mirror) wherever the two describe one value.

The device refuses a SET after which the bridge timers break their relation (@bridgetimes):
Max Age >= 2 * (Hello Time + 1 s) and 2 * (Forward Delay - 1 s) >= Max Age, times in 1/100 s.
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"
B = "1.3.6.1.2.1.17.2"  # dot1dStp
BRIDGE_MAC = "001e944c2000"

STP_OFF_PORTS = {10, 11, 12}  # spanning tree disabled on these ports
FIXED_COST = {3: 50000}  # configured path costs; other ports automatic (0)
EDGE = {5: 1, 6: 0}  # edge setting; others auto (2)
LINKED = {1, 2, 3, 5, 6, 8, 9, 10, 12, 15, 16, 18, 24, 25, 26}  # ports with a link


def oper_cost(port, ports):
    return 20000 if port > ports - 4 else 200000


def objects(name, ports, poe):
    out = ["# Spanning tree bridge settings"]
    add = out.append
    s = "%s.6.1" % P
    add("%s.1.0|i|1" % s)  # state: enabled
    add("%s.2.0|i|2" % s)  # version: RSTP
    add("%s.3.0|i|32768" % s)  # bridge priority
    add("%s.4.0|i|6" % s)  # transmit hold count
    add("%s.8.0|x|8000%s" % (s, BRIDGE_MAC))  # root bridge
    add("%s.9.0|i|0" % s)  # root cost
    add("%s.10.0|i|0" % s)  # root port
    add("%s.11.0|i|2000" % s)  # root max age
    add("%s.14.0|i|1500" % s)  # root forward delay
    add("%s.15.0|i|2000" % s)  # bridge max age
    add("%s.16.0|i|200" % s)  # bridge hello time
    add("%s.17.0|i|1500" % s)  # bridge forward delay
    for col in (8, 9, 10, 11, 14):
        add("@readonly %s.%d.0" % (s, col))
    add("@range %s.1.0 1 2" % s)
    add("@range %s.2.0 0 3" % s)
    add("@range %s.3.0 0 61440" % s)
    add("@range %s.4.0 1 10" % s)
    add("@range %s.15.0 600 4000" % s)
    add("@range %s.16.0 100 1000" % s)
    add("@range %s.17.0 400 3000" % s)
    add("@bridgetimes %s.15.0 %s.16.0 %s.17.0" % (s, s, s))

    add("# Spanning tree port table")
    t = "%s.6.2.1" % P
    cols = {
        1: lambda p: p,
        2: lambda p: 128,
        3: lambda p: (5 if p in LINKED else 1) if p not in STP_OFF_PORTS else 1,
        4: lambda p: 2 if p in STP_OFF_PORTS else 1,
        5: lambda p: FIXED_COST.get(p, 0),
        6: lambda p: FIXED_COST.get(p, oper_cost(p, ports)),
        12: lambda p: 2,
        14: lambda p: 2,
        16: lambda p: EDGE.get(p, 2),
        17: lambda p: 2,
        18: lambda p: 2,
    }
    for col, value in cols.items():
        for p in range(1, ports + 1):
            add("%s.%d.%d|i|%d" % (t, col, p, value(p)))
    for col in (1, 3, 6):
        add("@readonly %s.%d" % (t, col))
    for col, lo, hi in ((2, 0, 240), (4, 1, 2), (5, 0, 200000000), (12, 1, 2), (14, 0, 2), (16, 0, 2),
                        (17, 1, 2), (18, 1, 2)):
        add("@range %s.%d %d %d" % (t, col, lo, hi))

    add("# Bridge MIB spanning tree group: the same state under the standard names")
    add("%s.1.0|i|3" % B)  # protocol: IEEE 802.1D
    add("%s.2.0|i|32768" % B)
    add("%s.3.0|t|123456" % B)  # time since the last topology change
    add("%s.4.0|c|7" % B)  # topology changes
    add("%s.5.0|x|8000%s" % (B, BRIDGE_MAC))
    add("%s.6.0|i|0" % B)
    add("%s.7.0|i|0" % B)
    add("%s.8.0|i|2000" % B)
    add("%s.9.0|i|200" % B)  # hello time in use
    add("%s.10.0|i|100" % B)  # hold time
    add("%s.11.0|i|1500" % B)
    add("%s.12.0|i|2000" % B)
    add("%s.13.0|i|200" % B)
    add("%s.14.0|i|1500" % B)
    for col in (1, 3, 4, 5, 6, 7, 8, 9, 10, 11):
        add("@readonly %s.%d.0" % (B, col))
    add("@range %s.2.0 0 61440" % B)
    add("@range %s.12.0 600 4000" % B)
    add("@range %s.13.0 100 1000" % B)
    add("@range %s.14.0 400 3000" % B)
    for b_col, p_col in ((2, 3), (5, 8), (6, 9), (7, 10), (8, 11), (11, 14), (12, 15), (13, 16), (14, 17)):
        add("@mirror %s.%d %s.6.1.%d" % (B, b_col, P, p_col))

    pt = "%s.15.1" % B
    for p in range(1, ports + 1):
        add("%s.1.%d|i|%d" % (pt, p, p))
    for p in range(1, ports + 1):
        add("%s.2.%d|i|128" % (pt, p))
    for p in range(1, ports + 1):
        add("%s.3.%d|i|%d" % (pt, p, cols[3](p)))
    for p in range(1, ports + 1):
        add("%s.4.%d|i|%d" % (pt, p, cols[4](p)))
    for p in range(1, ports + 1):
        add("%s.5.%d|i|%d" % (pt, p, cols[5](p)))
    for p in range(1, ports + 1):
        add("%s.6.%d|x|8000%s" % (pt, p, BRIDGE_MAC))
    for p in range(1, ports + 1):
        add("%s.7.%d|i|0" % (pt, p))
    for p in range(1, ports + 1):
        add("%s.8.%d|x|8000%s" % (pt, p, BRIDGE_MAC))
    for p in range(1, ports + 1):
        add("%s.9.%d|x|80%02x" % (pt, p, p))
    for p in range(1, ports + 1):
        add("%s.10.%d|c|%d" % (pt, p, 1 if p in LINKED else 0))
    for col in (1, 3, 6, 7, 8, 9, 10):
        add("@readonly %s.%d" % (pt, col))
    add("@range %s.2 0 240" % pt)
    add("@range %s.4 1 2" % pt)
    add("@range %s.5 0 200000000" % pt)
    for b_col, p_col in ((2, 2), (3, 3), (4, 4), (5, 5)):
        add("@mirror %s.%d %s.%d" % (pt, b_col, t, p_col))
    return out
