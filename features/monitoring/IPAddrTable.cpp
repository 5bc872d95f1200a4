// IP address table view.
#include "features/monitoring/IPAddrTable.h"

#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_stdmib.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_IP_TABLE, [] {
    CIPAddrTable dlg;
    dlg.DoModal();
});

ListColumn Column(const char* oid, const char* heading) {
    return ListColumn(oid, heading, ColumnWidth::SampleText(heading, 15), &CStdMibTable::Address);
}

}  // namespace

// Close ends the dialog as OK does.
CIPAddrTable::CIPAddrTable(QWidget* parent)
    : CStdMibTable({IDD_IP_TABLE, "IP Table", IDC_IPADDR_LIST, IDC_IPADDR_COUNT, IDC_IPADDR_REFRESH, IDOK,
                    "Failed to read the IP address table."},
                   {
                       Column(kIpAdEntAddr, " IP                "),
                       Column(kIpAdEntNetMask, " Netmask               "),
                   },
                   parent) {}

std::string CIPAddrTable::Caption() const {
    return "IP Table : " + g_strDeviceIP;
}
