"""RMON: the enterprise RMON group (47) and the standard RMON-MIB objects its walks read.

47.1.0 global state (1 enabled, 2 disabled). Four tables with RMON entry status (1 valid, 2 create
request, reading 3 while under creation, 4 invalid, which removes the row); a created row reads its own
index in column 1:
  47.2.1.1 Ethernet statistics control: 1 index, 2 data source (ifIndex.<port>), 3 owner, 4 status
  47.3.1.1 history control: 1 index, 2 data source, 3 buckets requested, 4 interval, 5 owner, 6 status
  47.4.1.1 alarm: 1 index, 2 interval, 3 variable, 4 sample type, 5 rising threshold, 6 falling threshold,
           7 rising event index, 8 falling event index, 9 owner, 10 status
  47.5.1.1 event: 1 index, 2 description, 3 type, 4 community, 5 owner, 6 status
RMON-MIB (read-only): etherStatsTable (16.1.1.1) counters of the statistics rows, one counter past
2^31 and one at 2^32-1; historyControlBucketsGranted (16.2.1.1.4); eventLastTimeSent (16.9.1.1.5).
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"
RMON = "1.3.6.1.2.1.16"
IFINDEX = "1.3.6.1.2.1.2.2.1.1"

# index -> (port, owner, status, drop events, octets, packets, broadcast, multicast)
STATISTICS = {
    1: (1, "monitor", 1, 0, 3000000000, 2400000, 1200, 3400),
    2: (2, "monitor", 1, 7, 4294967295, 5100000, 800, 150),
    3: (3, "", 1, 0, 120000, 900, 12, 4),
    10: (5, "", 3, 0, 0, 0, 0, 0),  # left under creation
}
# index -> (port, buckets requested, interval, owner, status, buckets granted)
HISTORY = {
    1: (1, 50, 1800, "monitor", 1, 50),
    2: (2, 50, 30, "", 1, 50),
}
# index -> (interval, variable, sample type, rising, falling, rising event, falling event, owner, status)
ALARMS = {
    1: (300, "1.3.6.1.2.1.2.2.1.10.1", 2, 1000, 100, 1, 2, "monitor", 1),
}
# index -> (description, type, community, owner, status, last time sent in 1/100 s)
EVENTS = {
    1: ("Rising alarm", 4, "public", "monitor", 1, 12345),
    2: ("Falling alarm", 2, "", "monitor", 1, 4294967295),
    3: ("Spare", 1, "", "", 1, 0),
}


def objects(name, ports, poe):
    out = ["# RMON global state"]
    out.append("%s.47.1.0|i|1" % P)
    out.append("@range %s.47.1.0 1 2" % P)
    out.append("@readonly %s" % RMON)

    t = "%s.47.2.1.1" % P
    out.append("# RMON Ethernet statistics control, with the RMON-MIB counters of its rows")
    out.append("@entrystatus %s 4 max=64 1:i=@index 2:o 3:s=" % t)
    rows = {i: r for i, r in STATISTICS.items() if r[0] <= ports}
    for i, r in rows.items():
        out.append("%s.1.%d|i|%d" % (t, i, i))
    for i, r in rows.items():
        out.append("%s.2.%d|o|%s.%d" % (t, i, IFINDEX, r[0]))
    for i, r in rows.items():
        out.append("%s.3.%d|s|%s" % (t, i, r[1]))
    for i, r in rows.items():
        out.append("%s.4.%d|i|%d" % (t, i, r[2]))
    out.append("@readonly %s.1" % t)
    e = "%s.1.1.1" % RMON
    for i, r in rows.items():
        out.append("%s.1.%d|i|%d" % (e, i, i))
    for i, r in rows.items():
        out.append("%s.2.%d|o|%s.%d" % (e, i, IFINDEX, r[0]))
    for col, field in ((3, 3), (4, 4), (5, 5), (6, 6), (7, 7)):
        for i, r in rows.items():
            out.append("%s.%d.%d|c|%d" % (e, col, i, r[field]))

    t = "%s.47.3.1.1" % P
    out.append("# RMON history control, with the buckets granted")
    out.append("@entrystatus %s 6 max=64 1:i=@index 2:o 3:i=50 4:i=1800 5:s=" % t)
    for col, field, kind in ((1, None, "i"), (2, 0, "o"), (3, 1, "i"), (4, 2, "i"), (5, 3, "s"), (6, 4, "i")):
        for i, r in HISTORY.items():
            if field is None:
                value = i
            elif col == 2:
                value = "%s.%d" % (IFINDEX, r[0])
            else:
                value = r[field]
            out.append("%s.%d.%d|%s|%s" % (t, col, i, kind, value))
    out.append("@readonly %s.1" % t)
    out.append("@range %s.3 1 65535" % t)
    out.append("@range %s.4 1 3600" % t)
    for i, r in HISTORY.items():
        out.append("%s.2.1.1.4.%d|i|%d" % (RMON, i, r[5]))

    t = "%s.47.4.1.1" % P
    out.append("# RMON alarms")
    out.append("@entrystatus %s 10 max=64 1:i=@index 2:i=1800 3:o 4:i=2 5:i=0 6:i=0 7:i=0 8:i=0 9:s=" % t)
    kinds = ("i", "o", "i", "i", "i", "i", "i", "s", "i")
    for i in ALARMS:
        out.append("%s.1.%d|i|%d" % (t, i, i))
    for col in range(2, 11):
        for i, r in ALARMS.items():
            out.append("%s.%d.%d|%s|%s" % (t, col, i, kinds[col - 2], r[col - 2]))
    out.append("@readonly %s.1" % t)
    out.append("@range %s.2 1 2147483647" % t)
    out.append("@range %s.4 1 2" % t)

    t = "%s.47.5.1.1" % P
    out.append("# RMON events, with the time each was last sent")
    out.append("@entrystatus %s 6 max=64 1:i=@index 2:s= 3:i=1 4:s= 5:s=" % t)
    kinds = ("s", "i", "s", "s", "i")
    for i in EVENTS:
        out.append("%s.1.%d|i|%d" % (t, i, i))
    for col in range(2, 7):
        for i, r in EVENTS.items():
            out.append("%s.%d.%d|%s|%s" % (t, col, i, kinds[col - 2], r[col - 2]))
    out.append("@readonly %s.1" % t)
    out.append("@range %s.3 1 4" % t)
    for i, r in EVENTS.items():
        out.append("%s.9.1.1.5.%d|t|%d" % (RMON, i, r[5]))
    return out
