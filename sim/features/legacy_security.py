"""Older security objects: the first 802.1X branch (group 11: RADIUS server, authenticator timers and
the per-port access control table) and the DHCP/BOOTP relay (group 28: global relay and option 82
settings, relay servers per interface; group 29: DHCP local relay, globally and per VLAN). The 802.1X
state (11.2.1.0) is declared with the newer 802.1X objects.
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"
RELAY_SERVERS = ["192.168.1.5"]  # servers of the interface "System", all active
LOCAL_RELAY_VLANS = {1: 2, 100: 1, 200: 2}  # VLAN id -> local relay state (1 on, 2 off)


def interface_index(name):
    return "%d.%s" % (len(name), ".".join(str(ord(ch)) for ch in name))


def objects(name, ports, poe):
    out = []
    add = out.append

    add("# 802.1X (older branch): 1.1 RADIUS server address, 1.2 RADIUS key, 2.2 quiet period,")
    add("# 2.3 transmit period, 2.4 supplicant timeout, 2.5 server timeout, 2.6 maximum requests,")
    add("# 2.7 re-authentication period (Unsigned32), 2.8 re-authentication (1 on, 2 off)")
    add("%s.11.1.1.0|a|192.168.1.200" % P)
    add("%s.11.1.2.0|s|radiuskey" % P)
    timers = [(2, 60, 0, 65535), (3, 30, 1, 65535), (4, 30, 1, 65535), (5, 30, 1, 65535), (6, 2, 1, 10)]
    for c, value, low, high in timers:
        add("%s.11.2.%d.0|i|%d" % (P, c, value))
        add("@range %s.11.2.%d.0 %d %d" % (P, c, low, high))
    add("%s.11.2.7.0|u|3600" % P)
    add("%s.11.2.8.0|i|2" % P)
    add("@range %s.11.2.8.0 1 2" % P)
    add("# 802.1X port table: 2 port control (1 force unauthorized, 2 auto, 3 force authorized),")
    add("# 3 port status (1 authorized, 2 unauthorized)")
    for p in range(1, ports + 1):
        add("%s.11.2.9.1.2.%d|i|3" % (P, p))
    for p in range(1, ports + 1):
        add("%s.11.2.9.1.3.%d|i|%d" % (P, p, 1 if p <= 2 else 2))
    add("@range %s.11.2.9.1.2 1 3" % P)
    add("@readonly %s.11.2.9.1.3" % P)

    add("# DHCP/BOOTP relay: 1.1 state (1 on, 2 off), 1.2 hops count limit, 1.3 time threshold,")
    add("# option 82: 2.2.1 state, 2.2.2 check (1 on, 2 off), 2.2.3 policy (1 replace, 2 drop, 3 keep),")
    add("# 2.2.4 remote-ID type (1 default, 2 user defined), 2.2.5 remote ID")
    add("%s.28.1.1.0|i|2" % P)
    add("%s.28.1.2.0|i|4" % P)
    add("%s.28.1.3.0|i|0" % P)
    add("%s.28.2.2.1.0|i|2" % P)
    add("%s.28.2.2.2.0|i|2" % P)
    add("%s.28.2.2.3.0|i|1" % P)
    add("%s.28.2.2.4.0|i|1" % P)
    add("%s.28.2.2.5.0|s|" % P)
    for oid, low, high in (("1.1.0", 1, 2), ("1.2.0", 1, 16), ("1.3.0", 0, 65535), ("2.2.2.0", 1, 2),
                           ("2.2.3.0", 1, 3), ("2.2.4.0", 1, 2)):
        add("@range %s.28.%s %d %d" % (P, oid, low, high))
    add("@readonly %s.28.2.2.1.0" % P)
    add("# Relay servers, indexed by the interface name (length, then one arc per character) and the")
    add("# server's four address octets: 1 interface, 2 server address (4 octets), 3 row status")
    table = "%s.28.2.1.1" % P
    add("@rowstatus %s 3 max=8 1:s=@octets:1 2:x=@arcs:8:4" % table)
    system = interface_index("System")
    for server in RELAY_SERVERS:
        index = "%s.%s" % (system, server)
        octets = "".join("%02x" % int(part) for part in server.split("."))
        add("%s.1.%s|s|System" % (table, index))
        add("%s.2.%s|x|%s" % (table, index, octets))
        add("%s.3.%s|i|1" % (table, index))

    add("# DHCP local relay: 1 state (1 on, 2 off); per VLAN: 2.1.1 VLAN id, 2.1.2 state")
    add("%s.29.1.0|i|2" % P)
    add("@range %s.29.1.0 1 2" % P)
    for vid in sorted(LOCAL_RELAY_VLANS):
        add("%s.29.2.1.1.%d|i|%d" % (P, vid, vid))
    for vid, state in sorted(LOCAL_RELAY_VLANS.items()):
        add("%s.29.2.1.2.%d|i|%d" % (P, vid, state))
    add("@readonly %s.29.2.1.1" % P)
    add("@range %s.29.2.1.2 1 2" % P)
    return out
