"""Quality of service: the 802.1p default priority of each port (P.12.3.1.1: 1 port, 2 priority 0-7)."""

P = "1.3.6.1.4.1.7393.10.76.20.1"


def objects(name, ports, poe):
    out = ["# 802.1p default priority per port"]
    for p in range(1, ports + 1):
        out.append("%s.12.3.1.1.1.%d|i|%d" % (P, p, p))
    for p in range(1, ports + 1):
        out.append("%s.12.3.1.1.2.%d|i|0" % (P, p))
    out.append("@readonly %s.12.3.1.1.1" % P)
    out.append("@range %s.12.3.1.1.2 0 7" % P)
    return out
