// Layout of the per-port grids (a number label over the port's controls): how many ports one row of
// the grid holds before the rest go to a second row below.
#pragma once

namespace ksx::ui {

// Two rows on the 48- and 52-port models (24 and 26 ports each); one row of all ports otherwise.
inline int PortsPerGridRow(int ports) {
    if (ports == 48) {
        return 24;
    }
    if (ports == 52) {
        return 26;
    }
    return ports;
}

}  // namespace ksx::ui
