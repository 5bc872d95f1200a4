"""Security and access control: port security and access control lists, as far as the trunk member
checks read them. 802.1X, IP-MAC-port binding with ARP spoofing prevention, and DHCP server screening
have modules of their own (dot1x.py, impb.py, screening.py).
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"

def objects(name, ports, poe):
    out = []
    add = out.append

    add("# Port security: port table (1 port, 2 state 1 on 2 off)")
    for p in range(1, ports + 1):
        add("%s.14.2.1.1.1.%d|i|%d" % (P, p, p))
    for p in range(1, ports + 1):
        add("%s.14.2.1.1.2.%d|i|2" % (P, p))
    add("@readonly %s.14.2.1.1.1" % P)
    add("@range %s.14.2.1.1.2 1 2" % P)

    add("# Access control lists: rule table, column 10 the rule's ports; no rule")
    return out
