"""Power saving and time profiles.

Power-saving group (31): LED shut-off (1), port shut-off (2), port standby (3): port bitmap, state,
time profile 1 and 2; system hibernation (4): state, time profile 1 and 2; link-status detection (6.0).
Time-profile table (32.1.1): 1 index, 2 name, 3 date switch, 4-8 from year, month, day, hour, minute,
9-13 the same for the end, 14-20 Monday to Sunday, 21 row status; at most 8 rows.
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"

# index -> (name, date switch, from (y, m, d, h, min), to (y, m, d, h, min), Monday..Sunday)
PROFILES = {
    1: ("Night", 2, (2011, 1, 1, 22, 0), (2011, 1, 1, 6, 30), (1, 1, 1, 1, 1, 2, 2)),
    2: ("Weekend", 1, (2012, 3, 5, 8, 30), (2012, 12, 31, 17, 5), (2, 2, 2, 2, 2, 1, 1)),
    4: ("Holiday", 1, (2013, 12, 24, 0, 0), (2014, 1, 2, 23, 59), (1, 1, 1, 1, 1, 1, 1)),
}


def bitmap(ports, octets):
    bits = 0
    for p in ports:
        bits |= 1 << (octets * 8 - p)
    return format(bits, "0%dx" % (octets * 2))


def objects(name, ports, poe):
    octets = 4 if ports <= 32 else 8
    g = "%s.31" % P
    out = ["# Power saving: LED shut-off, port shut-off, port standby, system hibernation, link status"]
    functions = (
        (1, [1, 2, 3, 4, 6], 1, "Night", "None"),
        (2, [10, 11, 12], 2, "Weekend", ""),
        (3, [], 2, "", ""),
    )
    for branch, members, state, p1, p2 in functions:
        out.append("%s.%d.1.0|x|%s" % (g, branch, bitmap(members, octets)))
        out.append("%s.%d.2.0|i|%d" % (g, branch, state))
        out.append("%s.%d.3.0|s|%s" % (g, branch, p1))
        out.append("%s.%d.4.0|s|%s" % (g, branch, p2))
        out.append("@range %s.%d.2.0 1 2" % (g, branch))
    out.append("%s.4.1.0|i|2" % g)
    out.append("%s.4.2.0|s|" % g)
    out.append("%s.4.3.0|s|" % g)
    out.append("@range %s.4.1.0 1 2" % g)
    out.append("%s.6.0|i|1" % g)
    out.append("@range %s.6.0 1 2" % g)

    t = "%s.32.1.1" % P
    out.append("# Time profiles; a created row's index column reads its own index")
    defaults = ["1:i=@index", "2:s=", "3:i=2"]
    for c, v in zip(range(4, 14), (2011, 1, 1, 0, 0, 2011, 1, 1, 0, 0)):
        defaults.append("%d:i=%d" % (c, v))
    defaults += ["%d:i=2" % c for c in range(14, 21)]
    out.append("@rowstatus %s 21 max=8 %s" % (t, " ".join(defaults)))
    for index, (pname, date, start, end, days) in sorted(PROFILES.items()):
        values = [index, pname, date] + list(start) + list(end) + list(days) + [1]
        for c, v in enumerate(values, start=1):
            out.append("%s.%d.%d|%s|%s" % (t, c, index, "s" if c == 2 else "i", v))
    out.append("@readonly %s.1" % t)
    out.append("@range %s.3 1 2" % t)
    out.append("@range %s.5 1 12" % t)
    out.append("@range %s.6 1 31" % t)
    out.append("@range %s.7 0 23" % t)
    out.append("@range %s.8 0 59" % t)
    out.append("@range %s.10 1 12" % t)
    out.append("@range %s.11 1 31" % t)
    out.append("@range %s.12 0 23" % t)
    out.append("@range %s.13 0 59" % t)
    for c in range(14, 21):
        out.append("@range %s.%d 1 2" % (t, c))
    return out
