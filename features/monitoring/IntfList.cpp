// Interface table view.
#include "features/monitoring/IntfList.h"

#include "platform/ui/FeatureRegistry.h"
#include "res/ids_stdmib.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_INTERFACE_TABLE, [] {
    CIntfList dlg;
    dlg.DoModal();
});

std::string LinkStatusCell(const WalkStep& step, int binding) {
    const std::optional<long long> value = step.Integer(binding);
    return value ? CIntfList::LinkStatusText(std::to_string(*value)) : std::string();
}

// ifSpeed is a Gauge32: read unsigned, so speeds past 2^31 - 1 bit/s stay right.
std::string SpeedCell(const WalkStep& step, int binding) {
    const std::optional<unsigned long long> speed = step.Unsigned(binding);
    return speed ? CIntfList::SpeedText(*speed) : std::string();
}

ListColumn Column(const char* oid, const char* heading, ListColumn::Format format) {
    return ListColumn(oid, heading, ColumnWidth::SampleText(heading, 15), std::move(format));
}

}  // namespace

CIntfList::CIntfList(QWidget* parent)
    : CStdMibTable({IDD_INTERFACE_TABLE, "Interface Table", IDC_INTF_LIST, IDC_INTF_COUNT, IDC_INTF_REFRESH,
                    IDCANCEL, "Failed to read the interface table."},
                   {
                       Column(kIfIndex, "  Index          ", &CStdMibTable::Number),
                       Column(kIfOperStatus, "  Link Status             ", &LinkStatusCell),
                       Column(kIfSpeed, "  Speed(b/s)                      ", &SpeedCell),
                   },
                   parent) {}

std::string CIntfList::LinkStatusText(const std::string& value) {
    if (value == "1") {
        return "Connected";
    }
    if (value == "2") {
        return "UnConnected";
    }
    if (value == "3") {
        return "Test";
    }
    return "Unknown";
}

std::string CIntfList::SpeedText(unsigned long long bitsPerSecond) {
    return std::to_string(bitsPerSecond / 1000000) + "M";
}
