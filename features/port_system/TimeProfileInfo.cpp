// Time profiles dialog.
#include "features/port_system/TimeProfileInfo.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

#include "controls/ListCtrlEx.h"
#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_power.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(ID_MENU_TIME_PROFILE_SETTINGS, [] {
    CTimeProfileInfo dlg;
    dlg.DoModal();
});

constexpr int kMaxNameLength = 20;
const int kDateCombos[] = {IDC_TP_FROM_YEAR, IDC_TP_FROM_MONTH, IDC_TP_FROM_DAY,
                           IDC_TP_TO_YEAR,   IDC_TP_TO_MONTH,   IDC_TP_TO_DAY};
const char* const kDayNames[] = {"Mon ", "Tue", "Wed ", "Thu", "Fri ", "Sat", "Sun"};
const char* const kDayTexts[] = {"Mon,", "Tue,", "Wed,", "Thu,", "Fri,", "Sat,", "Sun,"};

std::string LastTwo(const std::string& text) {
    return text.size() <= 2 ? text : text.substr(text.size() - 2);
}

int Number(const std::string& text) {
    return ksx::text::LeadingInt(text);
}

void FillNumbers(QComboBox* combo, int first, int last) {
    for (int n = first; n <= last; ++n) {
        combo->addItem(QString::number(n));
    }
    combo->setCurrentIndex(0);
}

}  // namespace

CTimeProfileInfo::CTimeProfileInfo(QWidget* parent) : CDialog(IDD_TIME_PROFILE, parent) {
    OnCommand(IDC_TP_ADD, [this] { OnAdd(); });
    OnCommand(IDC_TP_REFRESH, [this] { Refresh(); });
    OnCommand(IDC_TP_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_TP_CLOSE, [this] { EndDialog(IDCANCEL); });
    OnCommand(IDC_TP_DATE, [this] { OnDateClicked(); });
    OnCommand(IDC_TP_ALL_DAYS, [this] { OnSelectAllDays(); });
    auto fillFromDays = [this] {
        CUtils::FillDayCombo(GetDlgItemText(IDC_TP_FROM_YEAR), GetDlgItemText(IDC_TP_FROM_MONTH),
                             *Item<QComboBox>(IDC_TP_FROM_DAY));
    };
    auto fillToDays = [this] {
        CUtils::FillDayCombo(GetDlgItemText(IDC_TP_TO_YEAR), GetDlgItemText(IDC_TP_TO_MONTH),
                             *Item<QComboBox>(IDC_TP_TO_DAY));
    };
    OnNotify(CBN_SELCHANGE, IDC_TP_FROM_MONTH, Handler(fillFromDays));
    OnNotify(CBN_SELCHANGE, IDC_TP_FROM_YEAR, Handler(fillFromDays));
    OnNotify(CBN_SELCHANGE, IDC_TP_TO_MONTH, Handler(fillToDays));
    OnNotify(CBN_SELCHANGE, IDC_TP_TO_YEAR, Handler(fillToDays));
    OnMessage(WM_TIMEPROFILE_ROW, [this](WPARAM w, LPARAM l) { return OnTimeProfileRow(w, l); });
}

CTimeProfileInfo::~CTimeProfileInfo() {
    m_logic.CancelAll();
}

void CTimeProfileInfo::CreateControls() {
    SetWindowText("Time Profile Info");
    AddGroupBox(IDC_TP_ADD_GROUP, "Time Profile Add", 10, 6, 680, 226);
    AddLabel(IDC_TP_NAME_LABEL, "Profile Name", 24, 32, 100, 22);
    AddEdit(IDC_TP_NAME, 130, 30, 220, 26);

    AddCheckBox(IDC_TP_DATE, "Date", 24, 66, 90, 24);
    AddLabel(IDC_TP_FROM_LABEL, "From Day ", 130, 66, 72, 22);
    AddComboBox(IDC_TP_FROM_YEAR, 204, 64, 74, 26);
    AddComboBox(IDC_TP_FROM_MONTH, 282, 64, 56, 26);
    AddComboBox(IDC_TP_FROM_DAY, 342, 64, 56, 26);
    AddLabel(IDC_TP_TO_LABEL, "To Day ", 416, 66, 60, 22);
    AddComboBox(IDC_TP_TO_YEAR, 478, 64, 74, 26);
    AddComboBox(IDC_TP_TO_MONTH, 556, 64, 56, 26);
    AddComboBox(IDC_TP_TO_DAY, 616, 64, 56, 26);

    AddLabel(IDC_TP_HOURS_LABEL, "Hours(HH MM)", 24, 102, 104, 22);
    AddLabel(IDC_TP_START_LABEL, "Start Time", 130, 102, 72, 22);
    AddComboBox(IDC_TP_START_HOUR, 204, 100, 56, 26);
    AddComboBox(IDC_TP_START_MINUTE, 264, 100, 56, 26);
    AddLabel(IDC_TP_END_LABEL, "End Time", 416, 102, 60, 22);
    AddComboBox(IDC_TP_END_HOUR, 478, 100, 56, 26);
    AddComboBox(IDC_TP_END_MINUTE, 538, 100, 56, 26);

    AddLabel(IDC_TP_WEEKDAYS_LABEL, "Weekdays", 24, 138, 100, 22);
    AddCheckBox(IDC_TP_ALL_DAYS, "Select All Days", 130, 136, 160, 24);
    for (int d = 0; d < 7; ++d) {
        AddCheckBox(IDC_TP_MONDAY + d, kDayNames[d], 130 + d * 72, 166, 70, 24);
    }
    AddButton(IDC_TP_ADD, "&Add", 596, 196, 80, 28);

    AddGroupBox(IDC_TP_LIST_GROUP, "Time Profile Entries", 10, 240, 680, 226);
    m_list = PlaceControl(IDC_TP_LIST, new CListCtrlEx, 20, 264, 660, 156);
    AddButton(IDC_TP_DELETE, "&Delete", 596, 428, 80, 28);

    AddButton(IDC_TP_REFRESH, "&Refresh", 508, 476, 80, 28);
    AddButton(IDC_TP_CLOSE, "&Close", 596, 476, 80, 28);
    SetClientSize(700, 514);
}

int CTimeProfileInfo::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());

    m_list->InsertColumn(0, "Profile Name", LVCFMT_LEFT, 100);
    m_list->InsertColumn(1, "Weekdays", LVCFMT_LEFT, 180);
    m_list->InsertColumn(2, "From Day", LVCFMT_CENTER, 80);
    m_list->InsertColumn(3, "To Day", LVCFMT_CENTER, 80);
    m_list->InsertColumn(4, "Start Time", LVCFMT_CENTER, 80);
    m_list->InsertColumn(5, "End Time", LVCFMT_CENTER, 70);
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT);
    m_list->ModifyListStyle(0, LVS_SINGLESEL);

    for (int id : {IDC_TP_FROM_YEAR, IDC_TP_TO_YEAR}) {
        FillNumbers(Item<QComboBox>(id), 2011, 2029);
    }
    for (int id : {IDC_TP_FROM_MONTH, IDC_TP_TO_MONTH}) {
        FillNumbers(Item<QComboBox>(id), 1, 12);
    }
    for (int id : {IDC_TP_FROM_DAY, IDC_TP_TO_DAY}) {
        FillNumbers(Item<QComboBox>(id), 1, 31);
    }
    for (int id : {IDC_TP_START_HOUR, IDC_TP_END_HOUR}) {
        FillNumbers(Item<QComboBox>(id), 0, 23);
    }
    for (int id : {IDC_TP_START_MINUTE, IDC_TP_END_MINUTE}) {
        FillNumbers(Item<QComboBox>(id), 0, 59);
    }
    EnableDateCombos(false);
    Item<QLineEdit>(IDC_TP_NAME)->setMaxLength(kMaxNameLength);
    m_logic.m_hOwnerWnd = this;
    Refresh();
    return 1;
}

int CTimeProfileInfo::DestroyWindow() {
    TRACE("==================DestroyWindow===============");
    m_logic.CancelAll();
    return CDialog::DestroyWindow();
}

int CTimeProfileInfo::ProfileIndex(int row) const {
    return row >= 0 && row < static_cast<int>(m_nProfileIndex.size())
               ? m_nProfileIndex[static_cast<size_t>(row)]
               : 0;
}

int CTimeProfileInfo::LowestFreeIndex() const {
    for (int n = 1; n <= CPowSavSettings::kMaxTimeProfiles; ++n) {
        if (m_usedIndexes.count(n) == 0) {
            return n;
        }
    }
    return 0;
}

void CTimeProfileInfo::EnableDateCombos(bool enable) {
    for (int id : kDateCombos) {
        EnableDlgItem(id, enable);
    }
}

void CTimeProfileInfo::Refresh() {
    m_nProfileIndex.clear();
    m_usedIndexes.clear();
    m_list->DeleteAllItems();
    m_logic.ReadTimeProfiles();
}

LRESULT CTimeProfileInfo::OnTimeProfileRow(WPARAM wParam, LPARAM lParam) {
    const auto* row = reinterpret_cast<const TimeProfileRow*>(lParam);
    if (wParam != 0 || row == nullptr) {
        return 0;
    }
    // Every row holds its index on the device, listed or not.
    const int index = Number(row->index);
    m_usedIndexes.insert(index);
    if (row->rowStatus != "1") {
        return 0;
    }
    std::string fromDay;
    std::string toDay;
    if (row->dateEnabled == "1") {
        fromDay = row->from.year + "/" + LastTwo(row->from.month) + "/" + LastTwo(row->from.day);
        toDay = row->to.year + "/" + LastTwo(row->to.month) + "/" + LastTwo(row->to.day);
    }
    const std::string start = LastTwo(row->from.hour) + ":" + LastTwo(row->from.minute);
    const std::string end = LastTwo(row->to.hour) + ":" + LastTwo(row->to.minute);
    std::string weekdays;
    for (int d = 0; d < 7; ++d) {
        if (row->days[d] == "1") {
            weekdays += kDayTexts[d];
        }
    }
    if (!weekdays.empty()) {
        weekdays.pop_back();
    }
    const int n = m_list->GetItemCount();
    m_nProfileIndex.push_back(index);
    m_list->SetItemTextEx(n, 0, QString::fromStdString(row->name));
    m_list->SetItemTextEx(n, 1, QString::fromStdString(weekdays));
    m_list->SetItemTextEx(n, 2, QString::fromStdString(fromDay));
    m_list->SetItemTextEx(n, 3, QString::fromStdString(toDay));
    m_list->SetItemTextEx(n, 4, QString::fromStdString(start));
    m_list->SetItemTextEx(n, 5, QString::fromStdString(end));
    return 0;
}

bool CTimeProfileInfo::CheckDateTime() {
    const bool date = IsDlgButtonChecked(IDC_TP_DATE) == 1;
    auto take = [this](int id, std::string& text) {
        auto* combo = Item<QComboBox>(id);
        if (combo == nullptr || combo->currentIndex() < 0) {
            return false;
        }
        text = combo->currentText().toStdString();
        return true;
    };
    EnableDateCombos(date);
    if (date) {
        if (!take(IDC_TP_FROM_YEAR, m_strFromYear) || !take(IDC_TP_TO_YEAR, m_strToYear) ||
            !take(IDC_TP_FROM_MONTH, m_strFromMonth) || !take(IDC_TP_TO_MONTH, m_strToMonth) ||
            !take(IDC_TP_FROM_DAY, m_strFromDay) || !take(IDC_TP_TO_DAY, m_strToDay)) {
            return false;
        }
    } else {
        m_strFromYear = m_strToYear = m_strFromMonth = m_strToMonth = m_strFromDay = m_strToDay = "2";
    }
    if (!take(IDC_TP_START_HOUR, m_strStartHour) || !take(IDC_TP_END_HOUR, m_strEndHour) ||
        !take(IDC_TP_START_MINUTE, m_strStartMinute) || !take(IDC_TP_END_MINUTE, m_strEndMinute)) {
        return false;
    }
    const int start = Number(m_strStartHour) * 100 + Number(m_strStartMinute);
    const int end = Number(m_strEndHour) * 100 + Number(m_strEndMinute);
    if (start == end) {
        AfxMessageBox("'Start Time' and 'End Time' can't be the same", MB_OK);
        return false;
    }
    const int fromDate = Number(m_strFromYear) * 10000 + Number(m_strFromMonth) * 100 + Number(m_strFromDay);
    const int toDate = Number(m_strToYear) * 10000 + Number(m_strToMonth) * 100 + Number(m_strToDay);
    if (toDate < fromDate) {
        if (Number(m_strToYear) < Number(m_strFromYear)) {
            AfxMessageBox("'To year' can't be less than 'From year'", MB_OK);
        } else if (Number(m_strToMonth) < Number(m_strFromMonth)) {
            AfxMessageBox("'To month' can't be less than 'From month'", MB_OK);
        } else {
            AfxMessageBox("'To day' can't be less than 'From day'", MB_OK);
        }
        return false;
    }
    if (!date || fromDate != toDate) {
        return true;
    }
    if (end < start) {
        AfxMessageBox("'Start Time' can't be greater than 'End Time'", MB_OK);
        return false;
    }
    return true;
}

void CTimeProfileInfo::OnAdd() {
    if (m_list->GetItemCount() >= CPowSavSettings::kMaxTimeProfiles) {
        AfxMessageBox("The Max entry is 8.", MB_OK);
        return;
    }
    const std::string name = GetDlgItemText(IDC_TP_NAME);
    if (name.empty()) {
        AfxMessageBox("The Profile name can not be empty,please input it.", MB_OK);
        return;
    }
    if (!CUtils::HasNoSpecialChar(name)) {
        AfxMessageBox("Invalid Profile name.", MB_OK);
        return;
    }
    for (int i = 0; i < m_list->GetItemCount(); ++i) {
        if (m_list->GetItemText(i, 0).toStdString() == name) {
            AfxMessageBox("The Profile Name is exist.", MB_OK);
            return;
        }
    }
    const std::string dateEnabled = IsDlgButtonChecked(IDC_TP_DATE) == 1 ? "1" : "2";
    if (!CheckDateTime()) {
        return;
    }
    // Rows that are not active still hold their index on the device.
    const int index = LowestFreeIndex();
    if (index == 0) {
        AfxMessageBox("The Max entry is 8.", MB_OK);
        return;
    }
    TimeProfileRow row;
    row.index = std::to_string(index);
    row.name = name;
    row.dateEnabled = dateEnabled;
    if (dateEnabled == "1") {
        row.from.year = m_strFromYear;
        row.from.month = m_strFromMonth;
        row.from.day = m_strFromDay;
        row.to.year = m_strToYear;
        row.to.month = m_strToMonth;
        row.to.day = m_strToDay;
    }
    row.from.hour = m_strStartHour;
    row.from.minute = m_strStartMinute;
    row.to.hour = m_strEndHour;
    row.to.minute = m_strEndMinute;
    for (int d = 0; d < 7; ++d) {
        row.days[d] = IsDlgButtonChecked(IDC_TP_MONDAY + d) == 1 ? "1" : "2";
    }
    if (m_logic.AddTimeProfile(row)) {
        Refresh();
    }
}

void CTimeProfileInfo::OnDelete() {
    const int selected = m_list->GetFirstSelectedItem();
    if (selected < 0) {
        AfxMessageBox("Please select the Time Range to be deleted!", MB_ICONINFORMATION | MB_OK);
        return;
    }
    if (m_logic.DeleteTimeProfile(std::to_string(ProfileIndex(selected)))) {
        Refresh();
    }
}

void CTimeProfileInfo::OnDateClicked() {
    EnableDateCombos(IsDlgButtonChecked(IDC_TP_DATE) == 1);
}

void CTimeProfileInfo::OnSelectAllDays() {
    const int all = IsDlgButtonChecked(IDC_TP_ALL_DAYS);
    for (int d = 0; d < 7; ++d) {
        CheckDlgButton(IDC_TP_MONDAY + d, all);
    }
}
