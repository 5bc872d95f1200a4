// RMON event dialog.
#include "features/monitoring/RMONEvent.h"

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>

#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Text.h"
#include "res/ids_rmon.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ui::RegisterFeature kRegister(IDM_RMON_EVENT, [] {
    CRMONEvent dlg;
    dlg.DoModal();
});

const char* const kTypes[] = {"None", "Log", "SNMP Trap", "Log and Trap"};

std::string TypeText(int type) {
    return type >= 1 && type <= 4 ? kTypes[type - 1] : std::to_string(type);
}

}  // namespace

CRMONEvent::CRMONEvent(QWidget* parent)
    : CRmonTableDialog(IDD_RMON_EVENT, IDC_RMONE_LIST, IDC_RMONE_APPLY, parent) {}

CRMONEvent::~CRMONEvent() = default;

void CRMONEvent::CreateControls() {
    ui::Form form(*this);
    ui::Form settings = form.Group("RMON Event Settings");
    GridField(settings, 0, 0, "Index (1~65535)", settings.Edit(IDC_RMONE_INDEX), true);
    GridField(settings, 0, 1, "Description", settings.Edit(IDC_RMONE_DESCRIPTION), true)->setMaxLength(128);
    GridField(settings, 1, 0, "Type", settings.Combo(IDC_RMONE_TYPE), true);
    GridField(settings, 1, 1, "Community", settings.Edit(IDC_RMONE_COMMUNITY), false)->setMaxLength(32);
    GridField(settings, 2, 0, "Owner", settings.Edit(IDC_RMONE_OWNER), false)->setMaxLength(32);
    ApplyButton(settings, IDC_RMONE_APPLY);
    ui::Form table = form.Group("RMON Event Configuration");
    MakeList(table);
    form.Buttons({{IDC_RMONE_REFRESH, "Refresh"}, {IDC_RMONE_CLOSE, "Close"}});

    SetBusyControls({IDC_RMONE_INDEX, IDC_RMONE_DESCRIPTION, IDC_RMONE_TYPE, IDC_RMONE_COMMUNITY,
                     IDC_RMONE_OWNER, IDC_RMONE_REFRESH, IDC_RMONE_CLOSE, IDC_RMONE_APPLY});
    WireTable(
        IDC_RMONE_APPLY, IDC_RMONE_REFRESH, IDC_RMONE_CLOSE, [this] { Apply(); },
        [this](int row) { Delete(row); },
        [this](WPARAM table) {
            if (table == CRMON::kEvent) {
                Fill();
            }
        });
    OnMessage(WM_RMON_EVENT_REFS_DONE, [this](WPARAM, LPARAM) -> LRESULT {
        if (m_readPending) {
            m_readPending = false;
            m_rmon.StartEventWalk();
        }
        return 0;
    });
    m_rmon.onCommunityWalkEnd = [this](const WalkEnd&) {
        m_communityEnded = true;
        if (!Busy()) {
            SetBusy(false);  // Apply may come back now
        }
    };
}

int CRMONEvent::OnInitDialog() {
    InitDialog("RMON Event Configuration");
    const char* headings[] = {"Index", "Description", "Type", "Community", "Owner", " Last Time Sent", ""};
    for (int c = 0; c < 7; ++c) {
        m_list->InsertColumn(c, headings[c], LVCFMT_LEFT);
    }
    // Description, community and the time sent as wide as their headings need (the time with room for
    // its text); index, type and owner share the rest of the list's width.
    m_list->SetColumnSample(1, "Description ", 10);
    m_list->SetColumnSample(3, "Community ", 10);
    m_list->SetColumnSample(5, "Last Time Sent ", 110);
    for (int c : {0, 2, 4}) {
        m_list->SetColumnFill(c, 20);
    }
    Relayout();
    Item<QComboBox>(IDC_RMONE_TYPE)->addItems({kTypes[0], kTypes[1], kTypes[2], kTypes[3]});
    Item<QComboBox>(IDC_RMONE_TYPE)->setCurrentIndex(0);
    ReadTable();
    m_rmon.StartCommunityWalk();
    return 1;
}

void CRMONEvent::StartRead() {
    // Every read renews the alarms' event references first. A community read that failed is tried again.
    if (m_communityEnded && !m_rmon.CommunityNamesRead()) {
        m_communityEnded = false;
        m_rmon.StartCommunityWalk();
    }
    m_readPending = true;
    m_rmon.StartAlarmEventRefWalk();
}

void CRMONEvent::Fill() {
    ClearList();
    m_arrIndexList.clear();
    for (const RMON_event_configuration& e : m_rmon.m_lstEvent) {
        // A row whose status did not read is shown; a cell that did not read is empty.
        if (e.Has(5) ? e.status != 1 : !e.Has(0)) {
            continue;
        }
        const auto text = [&e](int position, const std::string& value) {
            return e.Has(position) ? value : std::string();
        };
        AppendRow({std::to_string(e.index), text(1, e.description),
                   e.Has(2) ? TypeText(e.type) : std::string(), text(3, e.community), text(4, e.owner),
                   text(6, e.last_time_sent)});
        m_arrIndexList.push_back(e.index);
    }
    FillEnded(m_rmon.TableWasRead(CRMON::kEvent), "Failed to read the RMON event table.");
}

void CRMONEvent::ClearForm() {
    SetDlgItemText(IDC_RMONE_INDEX, "");
    SetDlgItemText(IDC_RMONE_DESCRIPTION, "");
    SetDlgItemText(IDC_RMONE_COMMUNITY, "");
    SetDlgItemText(IDC_RMONE_OWNER, "");
    Item<QComboBox>(IDC_RMONE_TYPE)->setCurrentIndex(0);
}

void CRMONEvent::Apply() {
    SetBusy(true);
    const auto Told = [](const std::string& text) {
        Tell(text);
        return false;
    };
    const bool checked = [&] {
        const long long index = FieldNumber(IDC_RMONE_INDEX);
        if (index < 1 || index > 65535) {
            return Told("Index number must be between 1 and 65535!");
        }
        if (std::find(m_arrIndexList.begin(), m_arrIndexList.end(), index) != m_arrIndexList.end()) {
            return Told("Setting error. Index number had already exits!");
        }
        RMON_event_configuration event;
        event.index = static_cast<int>(index);
        event.description = GetDlgItemText(IDC_RMONE_DESCRIPTION);
        if (event.description.empty()) {
            return Told("Fill inputs which are marked '*'!");
        }
        const int type = Item<QComboBox>(IDC_RMONE_TYPE)->currentIndex();
        if (type < 0 || type > 3) {
            return false;
        }
        event.type = type + 1;
        event.community = GetDlgItemText(IDC_RMONE_COMMUNITY);
        if (event.type == 3 || event.type == 4) {
            if (!m_rmon.CommunityNamesRead()) {
                return Told("Failed to read the SNMP community table: the event was not created.");
            }
            const auto& names = m_rmon.m_arrCommunityNames;
            if (std::find(names.begin(), names.end(), event.community) == names.end()) {
                return Told(
                    "Community Name doesn't exist on SNMP host table.\n Please create SNMP host table "
                    "first.");
            }
        }
        event.owner = GetDlgItemText(IDC_RMONE_OWNER);
        RunCreate(
            "event entry " + std::to_string(event.index),
            [this, event]() mutable { return m_rmon.SetEventEntry(event); },
            [this] {
                ClearForm();
                ReadTable();
            });
        return true;
    }();
    if (!checked) {
        ClearForm();
        ReadTable();
    }
}

void CRMONEvent::Delete(int row) {
    if (Busy() || row < 0 || row >= m_list->GetItemCount()) {
        return;
    }
    const std::string index = ui::ToStd(m_list->GetItemText(row, 0));
    if (!m_rmon.AlarmEventRefsRead()) {
        // Without the whole alarm table the event might still be in use.
        Tell("Failed to read the RMON alarm table: the event was not deleted.");
    } else if (m_rmon.IsEventUsedByAlarm(index)) {
        Tell("This event cannot be deleted since dependent alarm entry exists !");
    } else {
        m_list->SetCheck(row, ButtonColumn(), 0);
        const int n = static_cast<int>(LeadingNumber(index));
        if (m_rmon.DeleteEventEntry(n)) {
            m_arrIndexList.erase(std::remove(m_arrIndexList.begin(), m_arrIndexList.end(), n),
                                 m_arrIndexList.end());
        } else {
            Tell(m_rmon.LastError());
        }
    }
    ReadTable();
}
