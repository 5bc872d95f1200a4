// TCP connection view.
#include "features/monitoring/TcpPortInfo.h"

#include "platform/ui/FeatureRegistry.h"
#include "res/ids_stdmib.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_TCP_SERVICE, [] {
    CTcpPortInfo dlg;
    dlg.DoModal();
});

std::string StateCell(const WalkStep& step, int binding) {
    const std::optional<long long> value = step.Integer(binding);
    return value ? CTcpPortInfo::StateText(std::to_string(*value)) : std::string();
}

ListColumn Column(const char* oid, const char* heading, ListColumn::Format format) {
    return ListColumn(oid, heading, ColumnWidth::SampleText(heading, 15), std::move(format));
}

}  // namespace

CTcpPortInfo::CTcpPortInfo(QWidget* parent)
    : CStdMibTable({IDD_TCP_SERVICE, "TCP Service Table", IDC_TCP_LIST, 0, IDC_CONN_REFRESH, IDCANCEL,
                    "Failed to read the TCP connection table."},
                   {
                       Column(kTcpConnLocalPort, "Local Port ", &CStdMibTable::Number),
                       Column(kTcpConnLocalAddress, " Local IP        ", &CStdMibTable::Address),
                       Column(kTcpConnRemAddress, " Remote IP       ", &CStdMibTable::Address),
                       Column(kTcpConnRemPort, "Remote Port", &CStdMibTable::Number),
                       Column(kTcpConnState, " Status ", &StateCell),
                   },
                   parent) {}

std::string CTcpPortInfo::StateText(const std::string& value) {
    static const char* const kNames[] = {"listen",   "synSent",  "synReceived", "established",
                                         "finWait1", "finWait2", "closeWait",   "lastAck",
                                         "closing",  "timeWait", "deleteTCB"};
    for (int state = 2; state <= 12; ++state) {
        if (value == std::to_string(state)) {
            return kNames[state - 2];
        }
    }
    return "closed";
}
