"""Link aggregation: the state and the trunk table (member ports, channel mode) are in the base profile
(sim/gen_profiles.py), eight trunks with trunk 1 static on the last two copper ports.

The member column takes any port bitmap: how many members a trunk has, and that a port is in one trunk
only, are for the configuration dialog to enforce, and its tests rely on a device that takes any set.
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"


def objects(name, ports, poe):
    return [
        "# Trunk table: member ports accept any bitmap; channel mode 1 LACP, 2 static, 3 disabled",
        "@writable %s.8.1.3.1.2" % P,
    ]
