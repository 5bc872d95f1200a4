"""The switch's own SNMP agent settings (25).

State (1.0), the user (2.1.1), group (3.1.1), view (4.1.1), community (5.1.1) and trap host (6.2.1)
tables, the engine ID (7.0) and the trap switches (8.N.0, the PoE ones on PoE models). The tables are
row-status tables keyed by names as a length and its octets; a created row reads its name (and the
parts of its key that are columns) from its index.
  users:       name.version; 1 name, 2 version, 3 group, 4 auth protocol, 5 auth key, 6 priv protocol,
               7 priv key, 8 row status
  groups:      name.model.level; 1 name, 2 model, 3 level, 4 read, 5 write, 6 notify view, 7 row status
  views:       name.subtree length.subtree; 1 name, 3 mask, 4 type, 5 row status
  communities: name; 1 name, 2 user name, 3 row status
  trap hosts:  address length.address octets.address type; 1 address, 2 type, 3 community or user,
               4 version, 5 interface name, 6 row status
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"
B = P + ".25"

# (name, version code, group, auth protocol, priv protocol, row status)
USERS = [
    ("public", 1, "public", 1, 1, 1),
    ("public", 2, "public", 1, 1, 1),
    ("private", 2, "private", 1, 1, 1),
    ("admin", 3, "admin", 2, 2, 1),
    ("guest", 2, "public", 1, 1, 2),
]
# (name, model, level, read view, write view, notify view, row status)
GROUPS = [
    ("public", 1, 1, "default", "", "default", 1),
    ("public", 2, 1, "default", "", "default", 1),
    ("private", 2, 1, "default", "default", "default", 1),
    ("admin", 3, 3, "default", "default", "default", 1),
]
# (name, subtree, mask octets, type, row status)
VIEWS = [
    ("default", "1.3.6.1", "", 1, 1),
    ("restricted", "1.3.6.1.2.1.1", "ffffffff", 1, 1),
]
# (community, user name, row status)
COMMUNITIES = [
    ("public", "public", 1),
    ("private", "private", 1),
    ("staging", "public", 2),
]
# (address octets, address type, community or user, version code, interface, row status)
HOSTS = [
    ((192, 168, 1, 50), 1, "public", 2, "", 1),
    ((0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x10), 2, "private", 2, "", 1),
]
ENGINE_ID = "800007e58000112233"
# trap switch object -> value; 6 to 8 on PoE models only
TRAPS = {1: 1, 2: 1, 3: 1, 4: 2, 5: 1, 11: 2}
POE_TRAPS = {6: 1, 7: 2, 8: 1}


def name_index(text):
    data = text.encode("utf-8")
    return ".%d%s" % (len(data), "".join(".%d" % b for b in data))


def objects(name, ports, poe):
    out = ["# SNMP agent: state, engine ID, trap switches"]
    out.append("%s.1.0|i|1" % B)
    out.append("@range %s.1.0 1 2" % B)
    out.append("%s.7.0|x|%s" % (B, ENGINE_ID))
    traps = dict(TRAPS)
    if poe:
        traps.update(POE_TRAPS)
    for obj, value in sorted(traps.items()):
        out.append("%s.8.%d.0|i|%d" % (B, obj, value))
        out.append("@range %s.8.%d.0 1 2" % (B, obj))

    u = "%s.2.1.1" % B
    out.append("# SNMP agent users")
    out.append("@rowstatus %s 8 max=50 1:s=@octets:1 2:i=@index 3:s= 4:i=1 5:s= 6:i=1 7:s=" % u)
    for user, version, group, auth, priv, status in USERS:
        index = name_index(user) + ".%d" % version
        out.append("%s.1%s|s|%s" % (u, index, user))
        out.append("%s.2%s|i|%d" % (u, index, version))
        out.append("%s.3%s|s|%s" % (u, index, group))
        out.append("%s.4%s|i|%d" % (u, index, auth))
        out.append("%s.5%s|s|%s" % (u, index, "" if auth == 1 else "authkey"))
        out.append("%s.6%s|i|%d" % (u, index, priv))
        out.append("%s.7%s|s|%s" % (u, index, "" if priv == 1 else "privkey"))
        out.append("%s.8%s|i|%d" % (u, index, status))
    out.append("@range %s.4 1 3" % u)
    out.append("@range %s.6 1 2" % u)

    g = "%s.3.1.1" % B
    out.append("# SNMP agent groups")
    # The model is the arc before the level in the key; a created row has no column of it.
    out.append("@rowstatus %s 7 max=50 1:s=@octets:1 3:i=@index 4:s= 5:s= 6:s=" % g)
    for group, model, level, read, write, notify, status in GROUPS:
        index = name_index(group) + ".%d.%d" % (model, level)
        out.append("%s.1%s|s|%s" % (g, index, group))
        out.append("%s.2%s|i|%d" % (g, index, model))
        out.append("%s.3%s|i|%d" % (g, index, level))
        out.append("%s.4%s|s|%s" % (g, index, read))
        out.append("%s.5%s|s|%s" % (g, index, write))
        out.append("%s.6%s|s|%s" % (g, index, notify))
        out.append("%s.7%s|i|%d" % (g, index, status))
    out.append("@range %s.2 1 3" % g)
    out.append("@range %s.3 1 3" % g)

    v = "%s.4.1.1" % B
    out.append("# SNMP agent views")
    out.append("@rowstatus %s 5 max=50 1:s=@octets:1 3:x= 4:i=1" % v)
    for view, subtree, mask, kind, status in VIEWS:
        index = "%s.%d.%s" % (name_index(view), len(subtree.split(".")), subtree)
        out.append("%s.1%s|s|%s" % (v, index, view))
        out.append("%s.3%s|x|%s" % (v, index, mask))
        out.append("%s.4%s|i|%d" % (v, index, kind))
        out.append("%s.5%s|i|%d" % (v, index, status))
    out.append("@range %s.4 1 2" % v)

    c = "%s.5.1.1" % B
    out.append("# SNMP agent communities")
    out.append("@rowstatus %s 3 1:s=@octets:1 2:s=" % c)
    for community, user, status in COMMUNITIES:
        index = name_index(community)
        out.append("%s.1%s|s|%s" % (c, index, community))
        out.append("%s.2%s|s|%s" % (c, index, user))
        out.append("%s.3%s|i|%d" % (c, index, status))

    h = "%s.6.2.1" % B
    out.append("# SNMP agent trap hosts")
    out.append("@rowstatus %s 6 max=10 1:x=@octets:1 2:i=@index 3:s= 4:i=1 5:s=" % h)
    for octets, kind, who, version, interface, status in HOSTS:
        index = ".%d%s.%d" % (len(octets), "".join(".%d" % o for o in octets), kind)
        out.append("%s.1%s|x|%s" % (h, index, "".join("%02x" % o for o in octets)))
        out.append("%s.2%s|i|%d" % (h, index, kind))
        out.append("%s.3%s|s|%s" % (h, index, who))
        out.append("%s.4%s|i|%d" % (h, index, version))
        out.append("%s.5%s|s|%s" % (h, index, interface))
        out.append("%s.6%s|i|%d" % (h, index, status))
    out.append("@range %s.4 1 5" % h)
    return out
