"""PoE port settings of the sample switch, and syslog.

PoE (PoE models only): the port table (22.1.1, index 1.<port>) and the scalars come with the base
profile; this adds a varied sample over them: a port with a time profile, one with a user-defined
limit, a disabled one, a high-priority one and class limits.

Syslog (16.2): state (1), time stamp (2), severity (3), facility (4), and the host table (5.1) indexed
by address type, address length and the address octets: 1 address type, 2 address (4 or 16 octets),
3 UDP port, 5 row status.
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"

# port -> {column: (type, value)} over the base profile's PoE port table.
POE_SAMPLE = {
    2: {5: ("i", 3)},                          # high priority
    3: {4: ("i", 1)},                          # time profile 1
    4: {7: ("i", 1), 8: ("s", "15.4")},        # user-defined limit
    6: {3: ("i", 2), 13: ("s", "POWER OFF")},  # PoE disabled
    7: {6: ("i", 4)},                          # class 3
    9: {5: ("i", 1), 6: ("i", 2)},             # low priority, class 1
}

# (address type, octets, UDP port, row status)
SYSLOG_HOSTS = [
    (1, (192, 168, 1, 20), 514, 1),
]


def host_index(kind, octets):
    return ".%d.%d.%s" % (kind, len(octets), ".".join(str(o) for o in octets))


def objects(name, ports, poe):
    out = []
    if poe:
        out.append("# PoE sample settings over the base port table")
        for port, cols in sorted(POE_SAMPLE.items()):
            if port > ports - 4:
                continue
            for c, (t, v) in sorted(cols.items()):
                out.append("%s.22.1.1.%d.1.%d|%s|%s" % (P, c, port, t, v))

    g = "%s.16.2" % P
    out.append("# Syslog: state, time stamp, severity, facility, host table")
    out.append("%s.1.0|i|1" % g)
    out.append("%s.2.0|i|1" % g)
    out.append("%s.3.0|i|6" % g)
    out.append("%s.4.0|i|136" % g)
    out.append("@range %s.1.0 1 2" % g)
    out.append("@range %s.2.0 1 2" % g)
    out.append("@range %s.3.0 0 7" % g)
    out.append("@range %s.4.0 128 184" % g)
    # A created row reads its address type and address from its index, as on the device.
    out.append("@rowstatus %s.5.1 5 max=4 1:i=@arc:1 2:x=@octets:2 3:i=514" % g)
    for kind, octets, port, status in SYSLOG_HOSTS:
        index = host_index(kind, octets)
        out.append("%s.5.1.1%s|i|%d" % (g, index, kind))
        out.append("%s.5.1.2%s|x|%s" % (g, index, "".join("%02x" % o for o in octets)))
        out.append("%s.5.1.3%s|i|%d" % (g, index, port))
        out.append("%s.5.1.5%s|i|%d" % (g, index, status))
    out.append("@readonly %s.5.1.1" % g)
    out.append("@readonly %s.5.1.2" % g)
    out.append("@range %s.5.1.3 1 65535" % g)
    return out
