"""LLDP: the enterprise group 24 (1 state, 2 TX hold multiplier, 3 TX interval, 4 reinit delay, 5 TX delay,
7.1.2 LLDP-MED Power PSE TLV per port, 1 send / 2 do not), and the standard LLDP-MIB local system
group (lldpLocalSystemData) and remote systems table (lldpRemTable).

Remote neighbours of the sample switch: two on port 5 (a phone and a switch), one on port 25 whose
chassis ID is a locally assigned name, one on port 26.
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"
LLDP = "1.0.8802.1.1.2.1"
DEVICE_MAC = 0x001E944C2000
MED_OFF = {3, 4}

# (time mark, local port, remote index, chassis subtype, chassis id hex, port subtype, port id,
#  port description, system name, system description)
NEIGHBOURS = (
    (0, 5, 1, 4, "0004f2a1b2c3", 3, "00:04:f2:a1:b2:c3", "LAN port", "SEP0004F2A1B2C3", "IP phone 7940"),
    (0, 5, 2, 4, "00e0fc112233", 5, "Gi0/7", "GigabitEthernet0/7", "floor-2", "Access switch, rev 3"),
    (0, 25, 1, 7, "73772d33", 7, "48", "uplink", "sw-3", "Core switch"),
    (120, 26, 3, 4, "00e0fc445566", 5, "Gi0/1", "", "core-b", "Core switch B"),
)


def objects(name, ports, poe):
    g = "%s.24" % P
    out = ["# LLDP: state, TX hold multiplier, TX interval, reinit delay, TX delay, LLDP-MED Power PSE TLV"]
    out.append("%s.1.0|i|1" % g)
    out.append("%s.2.0|i|4" % g)
    out.append("%s.3.0|i|30" % g)
    out.append("%s.4.0|i|2" % g)
    out.append("%s.5.0|i|2" % g)
    out.append("@range %s.1.0 1 2" % g)
    out.append("@range %s.2.0 2 10" % g)
    out.append("@range %s.3.0 5 32768" % g)
    out.append("@range %s.4.0 1 10" % g)
    out.append("@range %s.5.0 1 8192" % g)
    for p in range(1, ports + 1):
        out.append("%s.7.1.2.%d|i|%d" % (g, p, 2 if p in MED_OFF else 1))
    out.append("@range %s.7.1.2 1 2" % g)
    out.append("")
    out.append("# LLDP-MIB local system data: chassis ID subtype (4 MAC address), chassis ID, name, description")
    out.append("%s.3.1.0|i|4" % LLDP)
    out.append("%s.3.2.0|x|%012x" % (LLDP, DEVICE_MAC))
    out.append("%s.3.3.0|s|%s" % (LLDP, name))
    out.append("%s.3.4.0|s|%s Managed Switch" % (LLDP, name))
    out.append("# LLDP-MIB remote systems table, index time mark.local port.remote index")
    rows = [n for n in NEIGHBOURS if n[1] <= ports]
    columns = ((4, "i", 3), (5, "x", 4), (6, "i", 5), (7, "s", 6), (8, "s", 7), (9, "s", 8), (10, "s", 9))
    for col, t, pick in columns:
        for n in rows:
            out.append("%s.4.1.1.%d.%d.%d.%d|%s|%s" % (LLDP, col, n[0], n[1], n[2], t, n[pick]))
    out.append("@readonly %s" % LLDP)
    return out
