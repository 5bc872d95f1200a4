"""DHCP server screening, storm control and traffic segmentation."""

P = "1.3.6.1.4.1.7393.10.76.20.1"


def port_bitmap(ports, octets):
    bits = 0
    for p in ports:
        bits |= 1 << (octets * 8 - p)
    return format(bits, "0%dx" % (octets * 2))


def objects(name, ports, poe):
    octets = 4 if ports <= 32 else 8
    out = []
    add = out.append

    add("# DHCP server screening: screened ports (none)")
    add("%s.14.7.1.0|x|%s" % (P, "00" * octets))
    add("# DHCP server screening: trusted server table (1 index, 2 address of 4 or 16 octets, 3 address")
    add("# type 1 IPv4 2 IPv6, 4 row status), at most five rows; none")
    add("@rowstatus %s.14.7.3.1 4 max=5 1:i=@index 2:x 3:i" % P)
    add("@range %s.14.7.3.1.3 1 2" % P)

    add("# Storm control: state (1 on, 2 off), type (1 broadcast, 2 multicast and broadcast, 3 also")
    add("# unknown unicast), threshold in kbit/s (multiples of 64)")
    add("%s.13.3.1.0|i|2" % P)
    add("%s.13.3.2.0|i|1" % P)
    add("%s.13.3.3.0|i|64" % P)
    add("@range %s.13.3.1.0 1 2" % P)
    add("@range %s.13.3.2.0 1 3" % P)
    add("@range %s.13.3.3.0 0 1024000" % P)

    add("# Traffic segmentation: state (1 on, 2 off) and per-port forwarding table (1 port, 2 the ports")
    add("# it may forward to: every other port), bitmaps of 8 octets up to 28 ports, else 12")
    seg_octets = 8 if ports <= 28 else 12
    add("%s.14.9.1.0|i|2" % P)
    add("@range %s.14.9.1.0 1 2" % P)
    for p in range(1, ports + 1):
        add("%s.14.9.2.1.1.%d|i|%d" % (P, p, p))
    for p in range(1, ports + 1):
        others = [q for q in range(1, ports + 1) if q != p]
        add("%s.14.9.2.1.2.%d|x|%s" % (P, p, port_bitmap(others, seg_octets)))
    add("@readonly %s.14.9.2.1.1" % P)
    return out
