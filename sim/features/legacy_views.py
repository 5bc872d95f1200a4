"""Older enterprise branch 1.3.6.1.4.1.7393.10.94.89.89: the VLAN capability and setting objects (48)
and the link-aggregation capability objects (65), read by the VLAN and trunk information views, and
the writable link-aggregation settings (49).
"""

R = "1.3.6.1.4.1.7393.10.94.89.89"

VLAN = ((1, 2), (2, 256), (27, 1), (29, 1), (31, 2), (32, 1), (35, 1), (36, 3), (38, 2))
TRUNK = ((1, 1), (3, 8), (4, 8), (5, 2))
TRUNK_SETTINGS = ((2, 8), (6, 1), (7, 8), (8, 2))


def objects(name, ports, poe):
    out = ["# Older VLAN (48) and link-aggregation (65, 49) objects"]
    for leaf, value in VLAN:
        out.append("%s.48.%d.0|i|%d" % (R, leaf, value))
    for leaf, value in TRUNK:
        out.append("%s.65.%d.0|i|%d" % (R, leaf, value))
    for leaf, value in TRUNK_SETTINGS:
        out.append("%s.49.%d.0|i|%d" % (R, leaf, value))
    out.append("@readonly %s.48" % R)
    out.append("@writable %s.48.27.0" % R)
    out.append("@range %s.48.27.0 1 2" % R)
    out.append("@readonly %s.65" % R)
    return out
