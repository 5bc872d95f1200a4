"""Port settings: the enterprise port table (speed/duplex, link status, MDI/MDIX, flow control, medium)
and its ranges are part of the base profile (sim/gen_profiles.py); nothing more is needed here."""


def objects(name, ports, poe):
    return []
