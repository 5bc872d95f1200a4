// The stall sweep (tests/features/StallSweepRunner.h) of the security and 802.1X menus, the older
// 802.1X configuration, and the security dialogs no menu item opens.
#include "features/security/8021Config.h"
#include "features/security/8021Diagnosis.h"
#include "features/security/8021Status.h"
#include "features/security/DHCPBOOTPRelayGlobalDlg.h"
#include "features/security/DHCPBOOTPRelayInterfaceDlg.h"
#include "features/security/DHCPInfoDlg.h"
#include "features/security/DHCPLocalRelayDlg.h"
#include "features/security/DHCPServerConfig.h"
#include "tests/features/StallSweepRunner.h"

namespace ksx::stallsweep {

const char* AreaName() {
    return "security";
}
const std::vector<Entry>& Unreached() {
    static const std::vector<Entry> entries = {
        Unreachable<C8021Config>("dot1x_config"),
        Unreachable<C8021Status>("dot1x_status"),
        Unreachable<C8021Diagnosis>("dot1x_diagnosis"),
        Unreachable<CDHCPServerConfig>("dhcp_screening_ports"),
        Unreachable<CDHCPInfoDlg>("dhcp_information"),
        Unreachable<CDHCPBOOTPRelayGlobalDlg>("relay_global"),
        Unreachable<CDHCPBOOTPRelayInterfaceDlg>("relay_servers"),
        Unreachable<CDHCPLocalRelayDlg>("relay_local"),
    };
    return entries;
}

}  // namespace ksx::stallsweep
