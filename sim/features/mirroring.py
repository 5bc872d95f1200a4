"""Port mirroring (group 18): state (1 enabled, 2 disabled), target port, RX and TX source bitmaps.

The sample switch mirrors ports 2 and 3 (received) and 3 and 4 (sent) to port 24. The trunk table that
the mirroring dialog checks against is in the base profile (ports 25 and 26 form trunk 1).
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"
RX_SOURCES = [2, 3]
TX_SOURCES = [3, 4]


def bitmap(ports, octets):
    bits = 0
    for p in ports:
        bits |= 1 << (octets * 8 - p)
    return format(bits, "0%dx" % (octets * 2))


def objects(name, ports, poe):
    octets = 4 if ports <= 32 else 8
    g = "%s.18" % P
    target = 24
    return [
        "# Port mirroring: 1 state, 2 target port, 3 RX source ports, 4 TX source ports",
        "%s.1.0|i|1" % g,
        "%s.2.0|i|%d" % (g, target),
        "%s.3.0|x|%s" % (g, bitmap(RX_SOURCES, octets)),
        "%s.4.0|x|%s" % (g, bitmap(TX_SOURCES, octets)),
        "@range %s.1.0 1 2" % g,
        "@range %s.2.0 0 %d" % (g, ports),
    ]
