"""Voice VLAN: the per-port mode (P.21.1.6.1: 1 port, 2 mode 1 auto 2 manual)."""

P = "1.3.6.1.4.1.7393.10.76.20.1"


def objects(name, ports, poe):
    out = ["# Voice VLAN port modes"]
    for p in range(1, ports + 1):
        out.append("%s.21.1.6.1.1.%d|i|%d" % (P, p, p))
    for p in range(1, ports + 1):
        out.append("%s.21.1.6.1.2.%d|i|2" % (P, p))
    out.append("@readonly %s.21.1.6.1.1" % P)
    out.append("@range %s.21.1.6.1.2 1 2" % P)
    return out
