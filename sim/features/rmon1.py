"""RMON-MIB statistics group (etherStatsTable, 1.3.6.1.2.1.16.1.1.1) as the RMON 1 statistics list
reads and writes it, and the older branch's RMON control (49.1, 49.3) and DHCP information (38) scalars.

etherStatsEntry: 1 index, 2 data source (ifIndex.<port>), 3..19 counters, 20 owner, 21 entry status
(2 createRequest reads 3, 1 valid, 4 invalid removes the row); a created row reads its own index in
column 1 and zero counters. Its rows here are 11, 12 and 13 (ports 1, 5, 9); row 12 has counters at
2^32-1. Only the data source, owner and status can be written.
"""

R = "1.3.6.1.4.1.7393.10.94.89.89"
E = "1.3.6.1.2.1.16.1.1.1"
IFINDEX = "1.3.6.1.2.1.2.2.1.1"

# index -> (port, owner, first counter); counter c (3..19) of a row reads first + c, row 12 all 2^32-1
ROWS = {11: (1, "monitor", 1000), 12: (5, "monitor", None), 13: (9, "", 5000)}


def objects(name, ports, poe):
    out = ["# RMON-MIB etherStatsTable"]
    defaults = " ".join(["1:i=@index", "2:o"] + ["%d:c=0" % c for c in range(3, 20)] + ["20:s="])
    out.append("@entrystatus %s 21 max=64 %s" % (E, defaults))
    rows = {i: r for i, r in ROWS.items() if r[0] <= ports}
    for i in rows:
        out.append("%s.1.%d|i|%d" % (E, i, i))
    for i, r in rows.items():
        out.append("%s.2.%d|o|%s.%d" % (E, i, IFINDEX, r[0]))
    for c in range(3, 20):
        for i, r in rows.items():
            out.append("%s.%d.%d|c|%d" % (E, c, i, 4294967295 if r[2] is None else r[2] + c))
    for i, r in rows.items():
        out.append("%s.20.%d|s|%s" % (E, i, r[1]))
    for i in rows:
        out.append("%s.21.%d|i|1" % (E, i))
    out.append("@readonly %s" % E)
    for c in (2, 20, 21):
        out.append("@writable %s.%d" % (E, c))
    out.append("@range %s.21 1 4" % E)

    out.append("# Older RMON control (49.1 MIB version, 49.3 global bucket limit) and DHCP information (38)")
    out.append("%s.49.1.0|i|1" % R)
    out.append("%s.49.3.0|i|256" % R)
    out.append("@readonly %s.49.1.0" % R)
    out.append("@readonly %s.49.3.0" % R)
    out.append("%s.38.14.0|i|3" % R)
    out.append("%s.38.26.0|i|1" % R)
    out.append("%s.38.31.0|i|2" % R)
    out.append("@readonly %s.38" % R)
    return out
