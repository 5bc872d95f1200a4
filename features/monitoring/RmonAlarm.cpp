// RMON alarm dialog.
#include "features/monitoring/RmonAlarm.h"

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>
#include <climits>
#include <utility>

#include "platform/sys/Globals.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Text.h"
#include "res/ids_rmon.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ui::RegisterFeature kRegister(IDM_RMON_ALARM, [] {
    CRmonAlarm dlg;
    dlg.DoModal();
});

const char kIfEntryPrefix[] = "1.3.6.1.2.1.2.2.1.";
const char kEventMissing[] = "Event Index is not exist,please add first!";

bool Contains(const std::vector<int>& list, long long value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// The whole text as a decimal number of at most ten digits.
std::optional<long long> Digits(const std::string& text) {
    if (text.empty() || text.size() > 10 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return std::stoll(text);
}

std::string SampleTypeText(int type) {
    if (type == 1) {
        return "Absolute value";
    }
    if (type == 2) {
        return "Delta value";
    }
    return std::to_string(type);
}

}  // namespace

CRmonAlarm::CRmonAlarm(QWidget* parent)
    : CRmonTableDialog(IDD_RMON_ALARM, IDC_RMONA_LIST, IDC_RMONA_APPLY, parent) {}

CRmonAlarm::~CRmonAlarm() = default;

std::optional<std::string> CRmonAlarm::NormalisedVariable(const std::string& text, int ports) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::nullopt;
    }
    std::string oid = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (!oid.empty() && oid[0] == '.') {
        oid.erase(0, 1);
    }
    const std::string prefix = kIfEntryPrefix;
    if (oid.compare(0, prefix.size(), prefix) != 0) {
        return std::nullopt;
    }
    const std::string rest = oid.substr(prefix.size());
    const size_t dot = rest.find('.');
    if (dot == std::string::npos) {
        return std::nullopt;
    }
    const std::optional<long long> column = Digits(rest.substr(0, dot));
    const std::optional<long long> port = Digits(rest.substr(dot + 1));
    if (!column || !port || *column < 10 || *column > 21 || *port < 1 || *port > ports) {
        return std::nullopt;
    }
    return prefix + std::to_string(*column) + "." + std::to_string(*port);
}

void CRmonAlarm::CreateControls() {
    ui::Form form(*this);
    ui::Form settings = form.Group("RMON Alarm Settings");
    QLineEdit* index = settings.Edit(IDC_RMONA_INDEX);
    index->setMaxLength(5);  // only the first five characters of what is typed remain
    GridField(settings, 0, 0, "Index (1~65535)", index, true);
    GridField(settings, 0, 1, "Interval (1~2^31-1 secs)", settings.Edit(IDC_RMONA_INTERVAL), true);
    GridField(settings, 1, 0, "Variable", settings.Edit(IDC_RMONA_VARIABLE), true);
    GridField(settings, 1, 1, "Sample type", settings.Combo(IDC_RMONA_SAMPLE_TYPE), true);
    GridField(settings, 2, 0, "Rising Threshold (0~2^31-1)", settings.Edit(IDC_RMONA_RISING), true);
    GridField(settings, 2, 1, "Falling Threshold (0~2^31-1)", settings.Edit(IDC_RMONA_FALLING), true);
    GridField(settings, 3, 0, "Rising Event Index (1~65535)", settings.Edit(IDC_RMONA_RISING_EVENT), true);
    GridField(settings, 3, 1, "Falling Event Index (1~65535)", settings.Edit(IDC_RMONA_FALLING_EVENT), true);
    GridField(settings, 4, 0, "Owner", settings.Edit(IDC_RMONA_OWNER), false)->setMaxLength(32);
    ApplyButton(settings, IDC_RMONA_APPLY);
    ui::Form table = form.Group("RMON Alarm Configuration");
    MakeList(table);
    form.Buttons({{IDC_RMONA_REFRESH, "Refresh"}, {IDC_RMONA_CLOSE, "Close"}});

    SetBusyControls({IDC_RMONA_INDEX, IDC_RMONA_INTERVAL, IDC_RMONA_VARIABLE, IDC_RMONA_SAMPLE_TYPE,
                     IDC_RMONA_RISING, IDC_RMONA_FALLING, IDC_RMONA_RISING_EVENT, IDC_RMONA_FALLING_EVENT,
                     IDC_RMONA_OWNER, IDC_RMONA_REFRESH, IDC_RMONA_CLOSE, IDC_RMONA_APPLY});
    WireTable(
        IDC_RMONA_APPLY, IDC_RMONA_REFRESH, IDC_RMONA_CLOSE, [this] { ApplyStart(); },
        [this](int row) { Delete(row); },
        [this](WPARAM table) {
            if (table == CRMON::kAlarm) {
                Fill();
            } else if (table == CRMON::kEvent) {
                ApplyChecked();
            }
        });
}

int CRmonAlarm::OnInitDialog() {
    InitDialog("RMON Alarm Configuration");
    // The last column holds the rows' Delete buttons.
    const std::pair<const char*, int> columns[] = {{"Index", 50},
                                                   {"Interval", 70},
                                                   {"Variable", 70},
                                                   {"Sample Type", 120},
                                                   {"Rising Threshold", 130},
                                                   {"Falling Threshold", 135},
                                                   {"Rising Event Index", 150},
                                                   {"Falling Event Index", 150},
                                                   {"Owner", 50},
                                                   {"", 70}};
    int c = 0;
    for (const auto& [heading, width] : columns) {
        m_list->InsertColumn(c++, heading, LVCFMT_LEFT, width);
    }
    Relayout();
    auto* sample = Item<QComboBox>(IDC_RMONA_SAMPLE_TYPE);
    sample->addItems({"Absolute value", "Delta value"});
    sample->setCurrentIndex(0);
    SetDlgItemText(IDC_RMONA_INTERVAL, "300");
    ReadTable();
    return 1;
}

void CRmonAlarm::StartRead() {
    m_rmon.StartAlarmWalk();
}

void CRmonAlarm::Fill() {
    ClearList();
    m_arrAlarmIndexList.clear();
    for (const RMON_alarm_configuration& a : m_rmon.m_lstAlarm) {
        // A row whose status did not read is shown; a cell that did not read is empty.
        if (a.Has(9) ? a.status != 1 : !a.Has(0)) {
            continue;
        }
        const auto number = [&a](int position, int value) {
            return a.Has(position) ? std::to_string(value) : std::string();
        };
        AppendRow({std::to_string(a.index), number(1, a.interval), a.Has(2) ? a.variable : std::string(),
                   a.Has(3) ? SampleTypeText(a.sample_type) : std::string(), number(4, a.rising_threshold),
                   number(5, a.falling_threshold), number(6, a.rising_event_index),
                   number(7, a.falling_event_index), a.Has(8) ? a.owner : std::string()});
        m_arrAlarmIndexList.push_back(a.index);
    }
    FillEnded(m_rmon.TableWasRead(CRMON::kAlarm), "Failed to read the RMON alarm table.");
}

void CRmonAlarm::ApplyStart() {
    // The events the alarm may name are read first; the checks run when that walk has ended.
    SetBusy(true);
    if (!m_rmon.SetOwnerWnd(this)) {
        SetBusy(false);
        return;
    }
    m_applyPending = true;
    m_rmon.StartEventWalk();
}

void CRmonAlarm::ApplyChecked() {
    if (!m_applyPending) {
        return;
    }
    m_applyPending = false;
    m_arrEventIndexList.clear();
    for (const RMON_event_configuration& e : m_rmon.m_lstEvent) {
        m_arrEventIndexList.push_back(e.index);
    }
    if (!m_rmon.TableWasRead(CRMON::kEvent)) {
        // The event check would run against part of the table.
        Tell("Failed to read the RMON event table: the alarm was not created.");
        ReadTable();
        return;
    }
    const auto Told = [](const std::string& text) {
        Tell(text);
        return false;
    };
    RMON_alarm_configuration alarm;
    const bool checked = [&] {
        const long long index = FieldNumber(IDC_RMONA_INDEX);
        if (index < 1 || index > 65535) {
            return Told("Index number must be between 1 and 65535!");
        }
        if (Contains(m_arrAlarmIndexList, index)) {
            return Told("Index had already exits!");
        }
        const long long interval = FieldNumber(IDC_RMONA_INTERVAL);
        if (interval < 1 || interval > INT_MAX) {
            return Told("Interval number must be between 1 and 2147483647!");
        }
        const std::optional<std::string> variable =
            NormalisedVariable(GetDlgItemText(IDC_RMONA_VARIABLE), g_nPortNum);
        if (!variable) {
            return Told(
                "Variable Format is 1.3.6.1.2.1.2.2.1.X.Y!\nX = standard MIB Entry between 10~21\nY = Device "
                "Port "
                "Number");
        }
        const int sample = Item<QComboBox>(IDC_RMONA_SAMPLE_TYPE)->currentIndex();
        if (sample != 0 && sample != 1) {
            return false;
        }
        const long long rising = FieldNumber(IDC_RMONA_RISING);
        if (rising < 0 || rising > INT_MAX) {
            return Told("Rising Threshold must be between 0 and 2^31-1!");
        }
        const long long falling = FieldNumber(IDC_RMONA_FALLING);
        if (falling < 0 || falling > INT_MAX) {
            return Told("Filling Threshold must be between 0 and 2^31-1!");
        }
        const long long risingEvent = FieldNumber(IDC_RMONA_RISING_EVENT);
        if (risingEvent < 1 || risingEvent > 65535) {
            return Told("Rising event index must be between 1 and 65535!");
        }
        if (falling >= rising) {
            return Told("Falling-threshold should be less than Rising-threshold !");
        }
        if (!Contains(m_arrEventIndexList, risingEvent)) {
            return Told(kEventMissing);
        }
        const long long fallingEvent = FieldNumber(IDC_RMONA_FALLING_EVENT);
        if (fallingEvent < 1 || fallingEvent > 65535) {
            return Told("Failling event index must be between 1 and 65535!");
        }
        if (!Contains(m_arrEventIndexList, fallingEvent)) {
            return Told(kEventMissing);
        }
        alarm.index = static_cast<int>(index);
        alarm.interval = static_cast<int>(interval);
        alarm.variable = *variable;
        alarm.sample_type = sample + 1;
        alarm.rising_threshold = static_cast<int>(rising);
        alarm.falling_threshold = static_cast<int>(falling);
        alarm.rising_event_index = static_cast<int>(risingEvent);
        alarm.falling_event_index = static_cast<int>(fallingEvent);
        alarm.owner = GetDlgItemText(IDC_RMONA_OWNER);
        RunCreate(
            "alarm entry " + std::to_string(alarm.index),
            [this, alarm] { return m_rmon.SetAlarmEntry(alarm); }, [this] { ReadTable(); });
        return true;
    }();
    if (!checked) {
        ReadTable();
    }
}

void CRmonAlarm::Delete(int row) {
    if (Busy() || row < 0 || row >= m_list->GetItemCount()) {
        return;
    }
    const int index = static_cast<int>(LeadingNumber(ui::ToStd(m_list->GetItemText(row, 0))));
    m_list->SetCheck(row, ButtonColumn(), 0);
    if (!m_rmon.DeleteAlarmEntry(index)) {
        Tell(m_rmon.LastError());
    }
    ReadTable();
}
