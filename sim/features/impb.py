"""IP-MAC-port binding (per-port settings, bindings, allowed and blocked lists, address scan) and ARP
spoofing prevention (gateway table).
"""

P = "1.3.6.1.4.1.7393.10.76.20.1"
B = P + ".14.10"
ARP = P + ".14.3.1.1"


def mac_arcs(mac):
    return ".".join(str(int(x, 16)) for x in mac.split("-"))


def mac_hex(mac):
    return mac.replace("-", "").lower()


def ipv4_hex(address):
    return "".join("%02x" % int(x) for x in address.split("."))


def address_arcs(hexdigits):
    octets = [int(hexdigits[i:i + 2], 16) for i in range(0, len(hexdigits), 2)]
    return "%d.%s" % (len(octets), ".".join(str(o) for o in octets))


V6 = "fe800000000000000000000000000001"  # fe80::1
V6B = "20010db8000000000000000000000042"  # 2001:db8::42

# Bindings: (MAC, port, address hex, VID, state 1 bound 2 not bound)
BINDINGS = [
    ("00-11-22-33-44-55", 5, ipv4_hex("192.168.1.1"), 1, 2),
    ("00-11-22-33-44-66", 7, V6, 1, 1),
]
# Allowed entries: (address hex, MAC, port)
ALLOWED = [
    (ipv4_hex("192.168.1.10"), "00-0A-0B-0C-0D-0E", 3),
    (V6B, "00-0A-0B-0C-0D-0F", 4),
]
# Blocked entries: (MAC, VID, port, address hex)
BLOCKED = [
    ("00-AA-BB-CC-DD-01", 1, 5, ipv4_hex("10.0.0.5")),
    ("00-AA-BB-CC-DD-02", 2, 6, V6B),
    ("00-AA-BB-CC-DD-03", 1, 7, ipv4_hex("10.0.0.7")),
]
# The host a started scan finds: (MAC, port, address hex)
SCAN_FINDS = ("00-11-22-33-44-88", 9, ipv4_hex("192.168.1.9"))


def objects(name, ports, poe):
    octets = 4 if ports <= 32 else 8
    out = []
    add = out.append

    add("# IP-MAC-port binding: per-port table (1 port, 2 admin state, 3 ARP+IP inspection, 4 DHCP snooping;")
    add("# 1 on, 0 off)")
    for c in (1, 2, 3, 4):
        for p in range(1, ports + 1):
            add("%s.1.1.%d.%d|i|%d" % (B, c, p, p if c == 1 else 0))
    add("@readonly %s.1.1.1" % B)
    for c in (2, 3, 4):
        add("@range %s.1.1.%d 0 1" % (B, c))

    add("# Binding table indexed by MAC, port, address (length, octets): 1 MAC, 2 port, 3 address, 4 VID,")
    add("# 5 state (1 bound, 2 not bound)")
    for c in (1, 2, 3, 4, 5):
        for mac, port, addr, vid, state in BINDINGS:
            index = "%s.%d.%s" % (mac_arcs(mac), port, address_arcs(addr))
            value = {1: "x|" + mac_hex(mac), 2: "i|%d" % port, 3: "x|" + addr, 4: "i|%d" % vid,
                     5: "i|%d" % state}[c]
            add("%s.2.1.%d.%s|%s" % (B, c, index, value))
    add("@readonly %s.2.1" % B)
    add("@writable %s.2.1.5" % B)
    add("@range %s.2.1.5 1 2" % B)

    add("# Allowed list indexed by address (length, octets) and MAC: 1 address, 2 MAC, 3 port, 4 row status")
    for c in (1, 2, 3, 4):
        for addr, mac, port in ALLOWED:
            index = "%s.%s" % (address_arcs(addr), mac_arcs(mac))
            value = {1: "x|" + addr, 2: "x|" + mac_hex(mac), 3: "i|%d" % port, 4: "i|1"}[c]
            add("%s.3.1.%d.%s|%s" % (B, c, index, value))
    add("@rowstatus %s.3.1 4 max=256 1:x=@octets:1 2:x= 3:i" % B)
    add("@range %s.3.1.3 1 %d" % (B, ports))

    add("# Blocked list indexed by MAC, VID, port: 1 MAC, 2 VID, 3 port, 4 address, 5 action (1 deletes)")
    for c in (1, 2, 3, 4, 5):
        for mac, vid, port, addr in BLOCKED:
            index = "%s.%d.%d" % (mac_arcs(mac), vid, port)
            value = {1: "x|" + mac_hex(mac), 2: "i|%d" % vid, 3: "i|%d" % port, 4: "x|" + addr, 5: "i|2"}[c]
            add("%s.4.1.%d.%s|%s" % (B, c, index, value))
    add("@readonly %s.4.1" % B)
    add("@writable %s.4.1.5" % B)
    add("@range %s.4.1.5 1 2" % B)

    add("# Address scan: start and end address (4 or 16 octets), start switch (1 start)")
    add("%s.5.0|x|00000000" % B)
    add("%s.6.0|x|00000000" % B)
    add("%s.7.0|i|2" % B)
    add("@range %s.7.0 1 2" % B)
    add("# A started scan finds one host, which becomes a binding that is not bound yet")
    mac, port, addr = SCAN_FINDS
    index = "%s.%d.%s" % (mac_arcs(mac), port, address_arcs(addr))
    for c, value in ((1, "x|" + mac_hex(mac)), (2, "i|%d" % port), (3, "x|" + addr), (4, "i|1"), (5, "i|2")):
        add("@onset %s.7.0 1 0 %s.2.1.%d.%s|%s" % (B, B, c, index, value))

    add("# ARP spoofing prevention: gateway table indexed by the gateway address (1 address, 2 MAC,")
    add("# 3 member ports, 4 row status); no entry, at most 64")
    add("@rowstatus %s 4 max=64 1:x=@arcs:1:4 2:x=000000000000 3:x=%s" % (ARP, "00" * octets))
    return out
