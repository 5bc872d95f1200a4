// UDP listener view.
#include "features/monitoring/UdpPortInfo.h"

#include "platform/ui/FeatureRegistry.h"
#include "res/ids_stdmib.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_UDP_SERVICE, [] {
    CUdpPortInfo dlg;
    dlg.DoModal();
});

}  // namespace

CUdpPortInfo::CUdpPortInfo(QWidget* parent)
    : CStdMibTable({IDD_UDP_SERVICE, "UDP Service Table", IDC_UDP_LIST, 0, IDC_CONN_REFRESH, IDCANCEL,
                    "Failed to read the UDP listener table."},
                   {
                       {kUdpLocalPort, "  Local Port ", ColumnWidth::SampleText("  Local Port ", 15),
                        &CStdMibTable::Number},
                       {kUdpLocalAddress, "  Local IP      ", ColumnWidth::SampleText("  Local IP      ", 15),
                        &CStdMibTable::Address},
                   },
                   parent) {}
