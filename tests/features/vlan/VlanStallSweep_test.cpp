// The stall sweep (tests/features/StallSweepRunner.h) of the VLAN menu and the VLAN commands without
// a menu item.
#include "features/vlan/VlanInfoDlg.h"
#include "tests/features/StallSweepRunner.h"

namespace ksx::stallsweep {

const char* AreaName() {
    return "vlan";
}
const std::vector<Entry>& Unreached() {
    static const std::vector<Entry> entries = {
        Unreachable<CVlanInfoDlg>("vlan_info"),
    };
    return entries;
}

}  // namespace ksx::stallsweep
