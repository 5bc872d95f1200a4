"""Security and access control: 802.1X, port security, ARP spoofing prevention, DHCP server screening
and access control lists. Only what the trunk member checks read so far; the security dialogs extend it.
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"


def objects(name, ports, poe):
    octets = 4 if ports <= 32 else 8
    out = []
    add = out.append

    add("# 802.1X: state (1 on, 2 off) and port table (1 port, 9 port control: 1 force unauthorized,")
    add("# 2 auto, 3 force authorized)")
    add("%s.11.2.1.0|i|2" % P)
    add("@range %s.11.2.1.0 1 2" % P)
    for p in range(1, ports + 1):
        add("%s.23.2.1.1.1.%d|i|%d" % (P, p, p))
    for p in range(1, ports + 1):
        add("%s.23.2.1.1.9.%d|i|3" % (P, p))
    add("@readonly %s.23.2.1.1.1" % P)
    add("@range %s.23.2.1.1.9 1 3" % P)

    add("# Port security: port table (1 port, 2 state 1 on 2 off)")
    for p in range(1, ports + 1):
        add("%s.14.2.1.1.1.%d|i|%d" % (P, p, p))
    for p in range(1, ports + 1):
        add("%s.14.2.1.1.2.%d|i|2" % (P, p))
    add("@readonly %s.14.2.1.1.1" % P)
    add("@range %s.14.2.1.1.2 1 2" % P)

    add("# DHCP server screening: screened ports (none)")
    add("%s.14.7.1.0|x|%s" % (P, "00" * octets))

    add("# Access control lists: rule table, column 10 the rule's ports; no rule")
    return out
