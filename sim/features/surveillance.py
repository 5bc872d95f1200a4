"""Management VLAN, auto surveillance VLAN and the voice VLAN OUI table of the sample switch.

Management VLAN (7.2.0 state, 7.3.0 VLAN id): disabled, VLAN 1.

Auto surveillance VLAN (26.1): state (1), VLAN id (2), priority (3), tagged uplink/downlink ports (4,
a port bitmap), and the per-port table (5.1, index the port): 1 port, 2 auto detection (1 on, 2 off),
3 status (1 static, 2 dynamic, 3 none).

Surveillance device table (26.2.1.1, index the six MAC octets): 1 MAC (from the index), 2 description,
3 mask, 4 component type (0-5), 5 row status. Two built-in rows (7A-3C-91 and 6E-E4-2B) that cannot be
changed or destroyed; their reserved ranges 7A-3C-91-00-00-00..7A-3C-91-0F-FF-FF and
6E-E4-2B-00-00-00..6E-E4-2B-3F-FF-FF refuse new rows. At most five user rows besides them.

Voice VLAN OUI table (21.2.1.1, index the six OUI octets, read by the surveillance dialog): 1 OUI,
2 mask, 3 description, 4 status (a row counts when it reads 1).
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"

# Built-in surveillance entries: (MAC octets, mask octets, description, component type).
BUILT_IN = [
    ((0x7A, 0x3C, 0x91, 0, 0, 0), (0xFF, 0xFF, 0xFF, 0xF0, 0, 0), "Default OUI", 5),
    ((0x6E, 0xE4, 0x2B, 0, 0, 0), (0xFF, 0xFF, 0xFF, 0xC0, 0, 0), "Default OUI", 5),
]
# Reserved ranges: the three OUI octets and the fourth octets they cover.
RESERVED = [((0x7A, 0x3C, 0x91), range(0x00, 0x10)), ((0x6E, 0xE4, 0x2B), range(0x00, 0x40))]
# A user-defined sample row.
USER_ROWS = [
    ((0x00, 0x12, 0x34, 0, 0, 0), (0xFF, 0xFF, 0xFF, 0, 0, 0), "Lobby recorder", 0),
]
MAX_USER_ROWS = 5

# Voice VLAN OUIs: (OUI octets, description, status).
VOICE_OUIS = [
    ((0x00, 0xAB, 0xCD), "Desk phones", 1),
    ((0x00, 0x1A, 0x2B), "Conference", 1),
    ((0x00, 0x3C, 0x4D), "Retired", 2),
]

# Per-port auto detection: port -> (auto detection, status); other ports (2, 3).
PORT_SAMPLE = {3: (1, 2), 4: (1, 3), 7: (2, 1)}


def hexof(octets):
    return "".join("%02x" % o for o in octets)


def index(octets):
    return "." + ".".join(str(o) for o in octets)


def objects(name, ports, poe):
    out = []
    add = out.append
    add("# Management VLAN: state, VLAN id")
    add("%s.7.2.0|i|2" % P)
    add("%s.7.3.0|i|1" % P)
    add("@range %s.7.2.0 1 2" % P)
    add("@range %s.7.3.0 1 4094" % P)

    s = "%s.26.1" % P
    octets = 4 if ports <= 28 else 8
    # The state (1.0) and VLAN id (2.0) are with the VLAN objects (vlan.py).
    add("@range %s.1.0 1 2" % s)
    add("@range %s.2.0 1 4094" % s)
    add("# Auto surveillance VLAN: priority, tagged uplink/downlink ports, per-port table")
    add("%s.3.0|i|5" % s)
    add("%s.4.0|x|%s" % (s, "00" * octets))
    add("@range %s.3.0 0 7" % s)
    for p in range(1, ports + 1):
        detect, status = PORT_SAMPLE.get(p, (2, 3))
        add("%s.5.1.1.%d|i|%d" % (s, p, p))
        add("%s.5.1.2.%d|i|%d" % (s, p, detect))
        add("%s.5.1.3.%d|i|%d" % (s, p, status))
    add("@readonly %s.5.1.1" % s)
    add("@readonly %s.5.1.3" % s)
    add("@range %s.5.1.2 1 2" % s)

    d = "%s.26.2.1.1" % P
    add("# Surveillance device table: built-in rows, reserved ranges, user rows")
    # A created row takes its MAC from the index; the rest are the device's own choice until written.
    add("@rowstatus %s 5 max=%d 1:x=@arcs:1 2:s= 3:x=ffffffffffff 4:i=4"
        % (d, len(BUILT_IN) + MAX_USER_ROWS))
    for mac, mask, text, kind in BUILT_IN + USER_ROWS:
        i = index(mac)
        add("%s.1%s|x|%s" % (d, i, hexof(mac)))
        add("%s.2%s|s|%s" % (d, i, text))
        add("%s.3%s|x|%s" % (d, i, hexof(mask)))
        add("%s.4%s|i|%d" % (d, i, kind))
        add("%s.5%s|i|1" % (d, i))
    add("@readonly %s.1" % d)
    add("@range %s.4 0 5" % d)
    for mac, _, _, _ in BUILT_IN:
        for c in range(1, 6):
            add("@readonly %s.%d%s" % (d, c, index(mac)))
    for oui, fourth in RESERVED:
        for f in fourth:
            add("@readonly %s.5%s" % (d, index(oui + (f,))))

    v = "%s.21.2.1.1" % P
    add("# Voice VLAN OUI table (read only here)")
    for oui, text, status in VOICE_OUIS:
        mac = oui + (0, 0, 0)
        i = index(mac)
        add("%s.1%s|x|%s" % (v, i, hexof(mac)))
        add("%s.2%s|x|ffffff000000" % (v, i))
        add("%s.3%s|s|%s" % (v, i, text))
        add("%s.4%s|i|%d" % (v, i, status))
    add("@readonly %s" % v)
    return out
