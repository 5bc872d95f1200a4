"""Bandwidth control: the per-port rate table (1 port, 2 Tx rate, 3 Rx rate, Kbit/s, 0 = no limit).

Jumbo frames and port descriptions are in the base profile.
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"
RATES = {3: (1024, 2048), 7: (0, 512000), 12: (64, 64)}  # port -> (Tx, Rx); others no limit


def objects(name, ports, poe):
    table = "%s.13.1.2.1" % P
    out = ["# Bandwidth control rate table"]
    for p in range(1, ports + 1):
        out.append("%s.1.%d|i|%d" % (table, p, p))
    for col, pick in ((2, 0), (3, 1)):
        for p in range(1, ports + 1):
            out.append("%s.%d.%d|i|%d" % (table, col, p, RATES.get(p, (0, 0))[pick]))
    out.append("@readonly %s.1" % table)
    out.append("@range %s.2 0 1024000" % table)
    out.append("@range %s.3 0 1024000" % table)
    return out
