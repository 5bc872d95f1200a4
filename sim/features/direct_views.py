"""Standard tables read by the views that build their own SNMP requests:
- MIB-II ipNetToMediaTable (4.22.1: 1 ifIndex, 2 physical address, 3 network address, 4 type; index
  ifIndex.address) and ipRouteTable (4.21.1: 1 destination, 2 ifIndex, 3-6 metrics, 7 next hop, 8 type,
  9 protocol, 10 age, 11 mask; index the destination);
- the SNMP framework engine scalars (6.3.10.2.1), the community table (6.3.18.1.1.1), the USM user table
  (6.3.15.1.2.2.1) and the VACM group, access and view tree tables (6.3.16.1.2.1, 6.3.16.1.4.1,
  6.3.16.1.5.2.1), as the device publishes its agent configuration (read-only);
- the IEEE 802.1X PAE authenticator statistics (1.0.8802.1.1.1.1.2.2.1, columns 1-12) and diagnostics
  (1.0.8802.1.1.1.1.2.3.1, columns 1-18) of ports 1 to 4.
"""

ARP = "1.3.6.1.2.1.4.22.1"
ROUTE = "1.3.6.1.2.1.4.21.1"
ENGINE = "1.3.6.1.6.3.10.2.1"
COMMUNITY = "1.3.6.1.6.3.18.1.1.1"
USM = "1.3.6.1.6.3.15.1.2.2.1"
VACM = "1.3.6.1.6.3.16.1"
PAE_STATS = "1.0.8802.1.1.1.1.2.2.1"
PAE_DIAG = "1.0.8802.1.1.1.1.2.3.1"

ENGINE_ID = "80001f8880e9630000d61ff449"
MD5 = "1.3.6.1.6.3.10.1.1.2"
SHA = "1.3.6.1.6.3.10.1.1.3"
NO_AUTH = "1.3.6.1.6.3.10.1.1.1"
DES = "1.3.6.1.6.3.10.1.2.2"
NO_PRIV = "1.3.6.1.6.3.10.1.2.1"

# (ifIndex, address, MAC hex, type)
ARPS = [(1, "192.168.1.1", "001e944c2001", 3), (1, "192.168.1.20", "0a0b0c0d0e0f", 4),
        (2, "10.0.0.7", "001e944c2002", 2)]
# (destination, ifIndex, metric1, next hop, type, protocol, age, mask)
ROUTES = [("0.0.0.0", 1, 1, "192.168.1.254", 4, 3, 0, "0.0.0.0"),
          ("10.0.0.0", 2, 0, "10.0.0.1", 3, 2, 120, "255.0.0.0"),
          ("192.168.1.0", 1, 0, "192.168.1.10", 3, 14, 2147483647, "255.255.255.0")]
# (community index, name, security name, storage type)
COMMUNITIES = [("c1", "quaint", "readonly", 3), ("c2", "harbour", "readwrite", 2)]
# (user, auth protocol, privacy protocol)
USERS = [("admin", MD5, DES), ("guest", NO_AUTH, NO_PRIV), ("operator", SHA, NO_PRIV)]
# (model, security name, group, storage, status); guest has no group entry, "monitor" is no user
GROUPS = [(1, "quaint", "public", 3, 1), (2, "quaint", "public", 3, 1),
          (3, "admin", "initial", 3, 1), (3, "monitor", "watchers", 2, 2), (3, "operator", "operators", 4, 1)]
# (group, model, level, read view, write view, notify view, storage)
ACCESS = [("initial", 3, 3, "all", "all", "all", 3), ("operators", 3, 2, "all", "", "all", 5),
          ("public", 1, 1, "restricted", "", "", 2)]
# (view, subtree, type, storage, status)
VIEWS = [("all", "1", 1, 3, 1), ("restricted", "1.3.6.1.2.1.1", 1, 2, 1),
         ("restricted", "1.3.6.1.6.3", 2, 4, 5)]


def text_index(s):
    return "%d.%s" % (len(s), ".".join(str(ord(c)) for c in s))


def hex_index(h):
    octets = [int(h[i:i + 2], 16) for i in range(0, len(h), 2)]
    return "%d.%s" % (len(octets), ".".join(str(o) for o in octets))


def objects(name, ports, poe):
    out = ["# ipNetToMediaTable"]
    for col, field, kind in ((1, 0, "i"), (2, 2, "x"), (3, 1, "a"), (4, 3, "i")):
        for r in ARPS:
            out.append("%s.%d.%d.%s|%s|%s" % (ARP, col, r[0], r[1], kind, r[field]))
    out.append("# ipRouteTable")
    cols = {1: (0, "a"), 2: (1, "i"), 3: (2, "i"), 4: (None, "i"), 5: (None, "i"), 6: (None, "i"),
            7: (3, "a"), 8: (4, "i"), 9: (5, "i"), 10: (6, "i"), 11: (7, "a")}
    for col in range(1, 12):
        field, kind = cols[col]
        for r in ROUTES:
            value = -1 if field is None else r[field]
            out.append("%s.%d.%s|%s|%s" % (ROUTE, col, r[0], kind, value))
    out.append("# SNMP engine")
    out.append("%s.1.0|x|%s" % (ENGINE, ENGINE_ID))
    out.append("%s.2.0|i|7" % ENGINE)
    out.append("%s.3.0|i|86400" % ENGINE)
    out.append("%s.4.0|i|1500" % ENGINE)
    out.append("# SNMP community table")
    for col, field, kind in ((2, 1, "s"), (3, 2, "s"), (4, None, "x"), (7, 3, "i")):
        for r in COMMUNITIES:
            value = ENGINE_ID if field is None else r[field]
            out.append("%s.%d.%s|%s|%s" % (COMMUNITY, col, text_index(r[0]), kind, value))
    out.append("# USM users")
    for col, field, kind in ((3, 0, "s"), (5, 1, "o"), (8, 2, "o")):
        for r in USERS:
            out.append("%s.%d.%s.%s|%s|%s" % (USM, col, hex_index(ENGINE_ID), text_index(r[0]), kind, r[field]))
    out.append("# VACM security-to-group, access and view tree family tables")
    for col, field in ((3, 2), (4, 3), (5, 4)):
        for r in GROUPS:
            kind = "s" if col == 3 else "i"
            out.append("%s.2.1.%d.%d.%s|%s|%s" % (VACM, col, r[0], text_index(r[1]), kind, r[field]))
    for col, field in ((5, 3), (6, 4), (7, 5), (8, 6)):
        for r in ACCESS:
            kind = "i" if col == 8 else "s"
            out.append("%s.4.1.%d.%s.0.%d.%d|%s|%s" % (VACM, col, text_index(r[0]), r[1], r[2], kind, r[field]))
    for col, field in ((4, 2), (5, 3), (6, 4)):
        for r in VIEWS:
            sub = r[1].split(".")
            out.append("%s.5.2.1.%d.%s.%d.%s|i|%s" % (VACM, col, text_index(r[0]), len(sub), r[1], r[field]))
    out.append("@readonly 1.3.6.1.6.3")
    out.append("@readonly %s" % ARP)
    out.append("@readonly %s" % ROUTE)
    out.append("# 802.1X PAE authenticator statistics and diagnostics")
    for col in range(1, 13):
        for port in range(1, 5):
            if col == 11:
                out.append("%s.%d.%d|u|1" % (PAE_STATS, col, port))
            elif col == 12:
                out.append("%s.%d.%d|x|001e944c20%02x" % (PAE_STATS, col, port, 0x10 + port))
            else:
                out.append("%s.%d.%d|c|%d" % (PAE_STATS, col, port, port * 100 + col))
    for col in range(1, 19):
        for port in range(1, 5):
            out.append("%s.%d.%d|c|%d" % (PAE_DIAG, col, port, port * 1000 + col))
    out.append("@readonly 1.0.8802.1.1.1.1.2")
    return out
