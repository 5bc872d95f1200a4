// RMON Ethernet statistics dialog.
#include "features/monitoring/RMONEthernetStatistics.h"

#include <QLineEdit>
#include <QString>

#include <algorithm>
#include <atomic>
#include <memory>

#include "core/RunText.h"
#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Text.h"
#include "res/ids_rmon.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ui::RegisterFeature kRegister(IDM_RMON_STATISTICS, [] {
    CRMONEthernetStatistics dlg;
    dlg.DoModal();
});

bool Contains(const std::vector<int>& list, long long value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

CRMONEthernetStatistics::CRMONEthernetStatistics(QWidget* parent)
    : CRmonTableDialog(IDD_RMON_STATISTICS, IDC_RMONS_LIST, IDC_RMONS_APPLY, parent) {}

CRMONEthernetStatistics::~CRMONEthernetStatistics() = default;

void CRMONEthernetStatistics::CreateControls() {
    ui::Form form(*this);
    ui::Form settings = form.Group("Ethernet Statistics Settings");
    GridField(settings, 0, 0, "Index (1 ~ 65535)", settings.Edit(IDC_RMONS_INDEX), true);
    GridField(settings, 0, 1, "Port", settings.Edit(IDC_RMONS_PORT), true);
    GridField(settings, 1, 0, "Owner", settings.Edit(IDC_RMONS_OWNER), false)->setMaxLength(32);
    ApplyButton(settings, IDC_RMONS_APPLY);
    ui::Form table = form.Group("Ethernet Statistics Configuration");
    MakeList(table);
    form.Buttons({{IDC_RMONS_REFRESH, "Refresh"}, {IDC_RMONS_CLOSE, "Close"}});

    SetBusyControls({IDC_RMONS_PORT, IDC_RMONS_OWNER, IDC_RMONS_INDEX, IDC_RMONS_REFRESH, IDC_RMONS_CLOSE,
                     IDC_RMONS_APPLY});
    WireTable(
        IDC_RMONS_APPLY, IDC_RMONS_REFRESH, IDC_RMONS_CLOSE, [this] { Apply(); },
        [this](int row) { Delete(row); }, [this](WPARAM) { Fill(); });
}

int CRMONEthernetStatistics::OnInitDialog() {
    InitDialog("RMON Ethernet Statistics Configuration");
    const char* headings[] = {
        "Index", "Port", "Drop Event", "Octets ", "Packets ", "Broadcast \n Packets", "Multicast \n Packets",
        "Owner", ""};
    for (int c = 0; c < 9; ++c) {
        m_list->InsertColumn(c, headings[c], LVCFMT_LEFT);
    }
    // The counters as wide as their headings need; index, port and owner share the rest of the list's
    // width.
    m_list->SetColumnSample(2, "Drop Event ", 10);
    m_list->SetColumnSample(3, "Octets    ", 20);
    m_list->SetColumnSample(4, "Packets ", 15);
    m_list->SetColumnSample(5, "Broadcast ", 10);
    m_list->SetColumnSample(6, "Multicast ", 10);
    for (int c : {0, 1, 7}) {
        m_list->SetColumnFill(c, 20);
    }
    Relayout();
    ReadTable();
    return 1;
}

void CRMONEthernetStatistics::StartRead() {
    m_rmon.StartStatisticsWalk();
}

void CRMONEthernetStatistics::Fill() {
    ClearList();
    m_arrPortList.clear();
    m_arrIndexList.clear();
    m_arrOtherPortList.clear();
    m_arrOtherIndexList.clear();
    for (const RMON_ethernet_statistics_info& s : m_rmon.m_lstStatistics) {
        const RMON_ethernet_statistics_configuration& c = s.control;
        // A row whose status did not read is not listed as valid, but its index and port stay taken and
        // it is never taken for an unused one.
        const bool statusRead = s.Has(3);
        if (!statusRead) {
            if (s.Has(0)) {
                m_arrIndexList.push_back(c.index);
                if (s.Has(1)) {
                    m_arrPortList.push_back(c.port);
                }
            }
            continue;
        }
        if (c.status != 1) {
            if (statusRead && s.Has(1)) {
                m_arrOtherIndexList.push_back(c.index);
                m_arrOtherPortList.push_back(c.port);
            }
            continue;
        }
        const auto count = [&s](int position, std::uint64_t value) {
            return s.Has(position) ? std::to_string(value) : std::string();
        };
        AppendRow({std::to_string(c.index), s.Has(1) && c.port > 0 ? std::to_string(c.port) : std::string(),
                   count(4, s.drop_events), count(5, s.octets), count(6, s.packets),
                   count(7, s.broadcast_packets), count(8, s.multicast_packets),
                   s.Has(2) ? c.owner : std::string()});
        m_arrIndexList.push_back(c.index);
        if (s.Has(1)) {
            m_arrPortList.push_back(c.port);
        }
    }
    FillEnded(m_rmon.TableWasRead(CRMON::kStatistics), "Failed to read the RMON Ethernet statistics table.");
}

std::vector<int> CRMONEthernetStatistics::PortEntriesToClear(int port) const {
    std::vector<int> indexes;
    for (size_t i = 0; i < m_arrOtherPortList.size() && i < m_arrOtherIndexList.size(); ++i) {
        if (m_arrOtherPortList[i] == port) {
            indexes.push_back(m_arrOtherIndexList[i]);
        }
    }
    return indexes;
}

void CRMONEthernetStatistics::Apply() {
    const long long index = FieldNumber(IDC_RMONS_INDEX);
    if (index < 1 || index > 65535) {
        return Tell("Index must be between 1 and 65535!");
    }
    if (Contains(m_arrIndexList, index)) {
        return Tell("Index had already exits!");
    }
    const long long port = FieldNumber(IDC_RMONS_PORT);
    if (port < 1 || port > g_nPortNum) {
        return Tell("Port number must be between 1 and " + std::to_string(g_nPortNum) + "!");
    }
    if (Contains(m_arrPortList, port)) {
        return Tell("Setting error. Port number had already exits!");
    }
    RMON_ethernet_statistics_configuration entry;
    entry.index = static_cast<int>(index);
    entry.port = static_cast<int>(port);
    entry.owner = GetDlgItemText(IDC_RMONS_OWNER);

    // The port's rows in another status are set invalid one by one, then the row is created: off the
    // window's thread, one step each. The device keeps one row a port, so a row in the way goes: one
    // this module left under creation at once, another manager's only on the user's Yes (asked of each
    // at the end of a run that stopped at it; on Yes the Apply runs again).
    const std::vector<int> clears = PortEntriesToClear(entry.port);
    const int nClears = static_cast<int>(clears.size());
    const std::string portText = std::to_string(entry.port);
    const std::string created = "The RMON Ethernet statistics entry " + std::to_string(entry.index);
    // "unused entries 10 and 11 of port 5": the clears from..to of a run.
    const StepsNamer clearsNamer = [clears, portText](int from, int to, StepsState) {
        std::vector<std::string> ids;
        for (int i = std::max(from, 0); i < to && i < static_cast<int>(clears.size()); ++i) {
            ids.push_back(std::to_string(clears[static_cast<size_t>(i)]));
        }
        std::string list;
        for (size_t i = 0; i < ids.size(); ++i) {
            list += (i == 0 ? "" : i + 1 == ids.size() ? " and " : ", ") + ids[i];
        }
        const bool plural = ids.size() > 1;
        return StepsName{(plural ? "unused entries " : "unused entry ") + list + " of port " + portText,
                         plural};
    };
    m_rmon.ResetProgress();
    auto inTheWay = std::make_shared<std::atomic<int>>(0);  // the entry a question is to be asked of
    RunWrite(
        nClears + 1,
        [this, clears, nClears, entry, created, inTheWay](int i) {
            if (i < nClears) {
                switch (m_rmon.ClearStatisticsEntry(clears[i], entry.port)) {
                    case RowAdded::kRemoved:
                    case RowAdded::kNotMade:
                        return StepOutcome::Done();
                    case RowAdded::kStopped:
                        return StepOutcome::NothingSent();
                    case RowAdded::kOccupied:
                        *inTheWay = clears[i];
                        return StepOutcome::Failed("");  // asked once the run has ended
                    case RowAdded::kLeft: {
                        StepOutcome outcome = StepOutcome::Of(m_rmon.LastAnswer());
                        outcome.failure = m_rmon.LastError() + " " + created + " was not created.";
                        return outcome;
                    }
                    default:
                        return StepOutcome::Failed(m_rmon.LastError() + " " + created + " was not created.");
                }
            }
            return m_rmon.SetStatisticsEntry(entry) ? StepOutcome::Done() : m_rmon.LastOutcome();
        },
        [clears, nClears, portText](int i, int) {
            if (i < nClears) {
                return QString("Clearing unused entry %1 of port %2 (%3 of %4)...")
                    .arg(clears[i])
                    .arg(ui::ToQ(portText))
                    .arg(i + 1)
                    .arg(nClears);
            }
            return QString("Creating the entry of port %1...").arg(ui::ToQ(portText));
        },
        [this, nClears, entry, created, clearsNamer, inTheWay](const StepsEnd& end) {
            if (end.stopped) {
                // Closed during the write: the dialog is ending.
                if (end.done < nClears) {
                    StepsEnd clearing = end;
                    clearing.total = nClears;
                    Tell(RunEndText(clearing, clearsNamer, "cleared") + " " + created + " was not created.");
                } else {
                    Tell(ksx::StoppedAddText(
                        "the RMON Ethernet statistics entry " + std::to_string(entry.index),
                        m_rmon.Progress(), "created"));
                }
                return;
            }
            if (m_rmon.Other().Found()) {
                // Another entry of that index, or another of the port, not valid: replaced or cleared
                // only on the user's Yes. On No the add does not go on.
                const std::string other =
                    *inTheWay != 0
                        ? "the RMON Ethernet statistics entry " + std::to_string(inTheWay->load()) +
                              " of port " + std::to_string(entry.port)
                        : "the RMON Ethernet statistics entry " + std::to_string(entry.index);
                if (ksx::AskReplace(m_rmon.Other(), other) && isVisible()) {
                    Apply();
                    return;
                }
            } else if (end.failed) {
                Tell(end.failure);
            }
            // A row of the port left behind would make two rows for one port: the form is kept.
            if (!end.failed || end.done == nClears) {
                SetDlgItemText(IDC_RMONS_PORT, "");
                SetDlgItemText(IDC_RMONS_OWNER, "");
                SetDlgItemText(IDC_RMONS_INDEX, "");
            }
            ReadTable();
        });
}

void CRMONEthernetStatistics::Delete(int row) {
    if (Busy() || row < 0 || row >= m_list->GetItemCount()) {
        return;
    }
    const int index = static_cast<int>(LeadingNumber(ui::ToStd(m_list->GetItemText(row, 0))));
    const int port = static_cast<int>(LeadingNumber(ui::ToStd(m_list->GetItemText(row, 1))));
    m_list->SetCheck(row, ButtonColumn(), 0);
    if (m_rmon.DeleteStatisticsEntry(index)) {
        m_arrPortList.erase(std::remove(m_arrPortList.begin(), m_arrPortList.end(), port),
                            m_arrPortList.end());
    } else {
        Tell(m_rmon.LastError());
    }
    ReadTable();
}
