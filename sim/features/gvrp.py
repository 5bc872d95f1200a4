"""GVRP (group 30): global state, join, leave and leave-all timers (ms), and the per-port table
(1 port, 2 PVID, 3 GVRP state, 4 ingress checking, 5 acceptable frame type 1 all / 2 tagged only).

The device checks each timer's range on its own; the order between them is the dialog's to keep.
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"
GVRP_ON = {1, 2, 3, 4, 9}
INGRESS_OFF = {7}
TAGGED_ONLY = {8, 9}
PVIDS = {5: 20, 6: 20, 9: 300}


def objects(name, ports, poe):
    g = "%s.30" % P
    out = ["# GVRP: 1 state, 2 join, 3 leave, 4 leave-all (ms), 5.1 per-port table"]
    out.append("%s.1.0|i|1" % g)
    out.append("%s.2.0|i|200" % g)
    out.append("%s.3.0|i|600" % g)
    out.append("%s.4.0|i|10000" % g)
    out.append("@range %s.1.0 1 2" % g)
    for c in (2, 3, 4):
        out.append("@range %s.%d.0 100 100000" % (g, c))
    table = "%s.5.1" % g
    for p in range(1, ports + 1):
        out.append("%s.1.%d|i|%d" % (table, p, p))
    for p in range(1, ports + 1):
        out.append("%s.2.%d|i|%d" % (table, p, PVIDS.get(p, 1)))
    for p in range(1, ports + 1):
        out.append("%s.3.%d|i|%d" % (table, p, 1 if p in GVRP_ON else 2))
    for p in range(1, ports + 1):
        out.append("%s.4.%d|i|%d" % (table, p, 2 if p in INGRESS_OFF else 1))
    for p in range(1, ports + 1):
        out.append("%s.5.%d|i|%d" % (table, p, 2 if p in TAGGED_ONLY else 1))
    out.append("@readonly %s.1" % table)
    out.append("@range %s.2 1 4094" % table)
    for c in (3, 4, 5):
        out.append("@range %s.%d 1 2" % (table, c))
    return out
