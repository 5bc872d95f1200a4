// The stall sweep (tests/features/StallSweepRunner.h) of the layer-2 menu, LLDP-MED, and the
// spanning tree and trunk views no menu item opens.
#include "features/layer2/SpanTree.h"
#include "features/layer2/SpanTreeBridgeParam.h"
#include "features/layer2/TrunkInfoDlg.h"
#include "tests/features/StallSweepRunner.h"

namespace ksx::stallsweep {

const char* AreaName() {
    return "layer2";
}
const std::vector<Entry>& Unreached() {
    static const std::vector<Entry> entries = {
        Unreachable<CTrunkInfoDlg>("trunk_info"),
        Unreachable<CSpanTreeBridgeParam>("bridge_mib_bridge"),
        Unreachable<CSpanTree>("bridge_mib_ports"),
    };
    return entries;
}

}  // namespace ksx::stallsweep
