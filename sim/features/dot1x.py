"""802.1X: the global scalars, the authenticator port table, the local user table and the RADIUS server
table (group 23 of the enterprise branch), and the 802.1X state that the trunk member checks read.
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"
D = P + ".23"


def objects(name, ports, poe):
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

    add("# 802.1X global: 1 authentication state (1 on, 2 off), 3 protocol (1 RADIUS, 2 local),")
    add("# 4 forward EAPOL PDU (1 on, 2 off)")
    add("%s.1.1.0|i|2" % D)
    add("%s.1.3.0|i|1" % D)
    add("%s.1.4.0|i|2" % D)
    for c in (1, 3, 4):
        add("@range %s.1.%d.0 1 2" % (D, c))

    add("# 802.1X port table, the other columns: 2 quiet period, 3 supplicant timeout, 4 server timeout,")
    add("# 5 maximum requests, 6 transmit period, 7 re-authentication period, 8 re-authentication")
    add("# (1 on, 2 off), 10 capability (1 authenticator, 2 none), 11 direction (0 both, 1 in)")
    columns = [
        (2, 60, 0, 65535), (3, 30, 1, 65535), (4, 30, 1, 65535), (5, 2, 1, 10), (6, 30, 1, 65535),
        (7, 3600, 1, 65535), (8, 2, 1, 2), (10, 2, 1, 2), (11, 0, 0, 1),
    ]
    for c, value, low, high in columns:
        for p in range(1, ports + 1):
            add("%s.2.1.1.%d.%d|i|%d" % (D, c, p, value))
        add("@range %s.2.1.1.%d %d %d" % (D, c, low, high))

    add("# 802.1X local users, indexed by the name (length, then one arc per octet): 1 name, 2 password,")
    add("# 3 row status; one user")
    add("@rowstatus %s.3.1.1 3 max=64 1:s=@octets:1 2:s=" % D)
    user = "guest"
    index = "%d.%s" % (len(user), ".".join(str(ord(ch)) for ch in user))
    add("%s.3.1.1.1.%s|s|%s" % (D, index, user))
    add("%s.3.1.1.2.%s|s|guest123" % (D, index))
    add("%s.3.1.1.3.%s|i|1" % (D, index))

    add("# RADIUS servers, indexes 1 to 5: 1 index, 2 address type (1 IPv4, 2 IPv6), 3 address octets,")
    add("# 4 (unused), 5 authentication port, 6 accounting port, 7 timeout, 8 retransmit, 9 key,")
    add("# 10 row status; one server")
    radius = D + ".4.2.1"
    add("@rowstatus %s 10 max=5 1:i=@index 2:i=1 3:x=00000000 4:s= 5:i=1812 6:i=1813 7:i=5 8:i=2 9:s=" % radius)
    for c, t, v in ((1, "i", 1), (2, "i", 1), (3, "x", "c0a801c8"), (4, "s", ""), (5, "i", 1812), (6, "i", 1813),
                    (7, "i", 5), (8, "i", 2), (9, "s", "radiuskey"), (10, "i", 1)):
        add("%s.%d.1|%s|%s" % (radius, c, t, v))
    add("@readonly %s.10" % radius)
    for i in range(1, 6):
        add("@writable %s.10.%d" % (radius, i))
    add("@readonly %s.1" % radius)
    add("@range %s.2 1 2" % radius)
    add("@range %s.5 1 65535" % radius)
    add("@range %s.6 1 65535" % radius)
    add("@range %s.7 1 255" % radius)
    add("@range %s.8 1 255" % radius)
    return out
