// Time profiles dialog.
#include "features/port_system/TimeProfileInfo.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <algorithm>
#include <string>

#include "controls/ListCtrlEx.h"
#include "core/RunText.h"
#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "features/common/AfterCloseRun.h"
#include "platform/snmplib/Tripwire.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
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
    OwnSessions(m_logic.Sessions());
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
    OnMessage(WM_POWSAV_RESULT, [this](WPARAM w, LPARAM) -> LRESULT {
        if (w == POWSAV_PROFILES_DONE) {
            OnProfilesRead();
        }
        return 0;
    });
    OnMessage(WM_TIMEPROFILE_ROW, [this](WPARAM, LPARAM) -> LRESULT {
        OnTimeProfileRow(m_logic.TimeProfileRowNow());
        return 0;
    });
    m_run.Runner().SetCancel([this] { m_logic.m_cCommonSNMPSet.Cancel(); });
    // A profile left half-made by a closed add is removed after its dialog has gone: Add and Delete wait
    // for that, then the table is read again.
    ui::OnAfterCloseRunEnd(this, CPowSavSettings::StatusColumn(), [this] {
        if (isVisible() && !m_run.Running()) {
            Refresh();
        }
    });
}

CTimeProfileInfo::~CTimeProfileInfo() = default;

void CTimeProfileInfo::CreateControls() {
    SetWindowText("Time Profile Info");
    ui::Form form(*this);
    // Labels in the first column; the date and time combos of "from" and "to" in two columns of pairs.
    auto add = form.Group("Time Profile Add", IDC_TP_ADD_GROUP);
    QGridLayout* grid = add.Layout();
    auto line = [&](std::initializer_list<QWidget*> widgets) {
        auto* box = new QHBoxLayout;
        for (QWidget* w : widgets) {
            box->addWidget(w);
        }
        box->addStretch(1);
        return box;
    };
    grid->addWidget(add.Label("Profile Name", IDC_TP_NAME_LABEL), 0, 0);
    grid->addWidget(add.Edit(IDC_TP_NAME), 0, 1, 1, 3);

    grid->addWidget(add.Check(IDC_TP_DATE, "Date"), 1, 0);
    grid->addLayout(line({add.Label("From Day ", IDC_TP_FROM_LABEL), add.Combo(IDC_TP_FROM_YEAR),
                          add.Combo(IDC_TP_FROM_MONTH), add.Combo(IDC_TP_FROM_DAY)}),
                    1, 1);
    grid->addLayout(line({add.Label("To Day ", IDC_TP_TO_LABEL), add.Combo(IDC_TP_TO_YEAR),
                          add.Combo(IDC_TP_TO_MONTH), add.Combo(IDC_TP_TO_DAY)}),
                    1, 2);

    grid->addWidget(add.Label("Hours(HH MM)", IDC_TP_HOURS_LABEL), 2, 0);
    grid->addLayout(line({add.Label("Start Time", IDC_TP_START_LABEL), add.Combo(IDC_TP_START_HOUR),
                          add.Combo(IDC_TP_START_MINUTE)}),
                    2, 1);
    grid->addLayout(line({add.Label("End Time", IDC_TP_END_LABEL), add.Combo(IDC_TP_END_HOUR),
                          add.Combo(IDC_TP_END_MINUTE)}),
                    2, 2);

    grid->addWidget(add.Label("Weekdays", IDC_TP_WEEKDAYS_LABEL), 3, 0);
    grid->addWidget(add.Check(IDC_TP_ALL_DAYS, "Select All Days"), 3, 1);
    auto* days = new QHBoxLayout;
    for (int d = 0; d < 7; ++d) {
        days->addWidget(add.Check(IDC_TP_MONDAY + d, kDayNames[d]));
    }
    days->addStretch(1);
    grid->addLayout(days, 4, 1, 1, 3);
    auto* addLine = new QHBoxLayout;
    addLine->addStretch(1);
    addLine->addWidget(add.Button(IDC_TP_ADD, "&Add"));
    grid->addLayout(addLine, 5, 0, 1, 4);
    grid->setColumnStretch(1, 0);
    grid->setColumnStretch(3, 1);

    auto entries = form.Group("Time Profile Entries", IDC_TP_LIST_GROUP);
    m_list = entries.Fill(RegisterControl(IDC_TP_LIST, new CListCtrlEx));
    form.Layout()->setRowStretch(form.Layout()->rowCount() - 1, 1);  // the list takes the new space
    entries.Row({ui::Form::Stretch, entries.Button(IDC_TP_DELETE, "&Delete")});

    form.Buttons({{IDC_TP_REFRESH, "&Refresh"}, {IDC_TP_CLOSE, "&Close"}});
}

int CTimeProfileInfo::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());

    // The device's widths, or wider where the font needs it for the widest text of the column.
    struct Column {
        const char* heading;
        int format;
        int width;
        const char* widest;
    };
    const Column columns[] = {{"Profile Name", LVCFMT_LEFT, 100, "Profile Name"},
                              {"Weekdays", LVCFMT_LEFT, 180, "Mon,Tue,Wed,Thu,Fri,Sat,Sun"},
                              {"From Day", LVCFMT_CENTER, 80, "0000/00/00"},
                              {"To Day", LVCFMT_CENTER, 80, "0000/00/00"},
                              {"Start Time", LVCFMT_CENTER, 80, "Start Time"},
                              {"End Time", LVCFMT_CENTER, 70, "End Time"}};
    int listWidth = 0;
    for (int c = 0; c < 6; ++c) {
        const Column& col = columns[c];
        const int width = std::max(col.width, m_list->GetStringWidth(QString::fromLatin1(col.widest)) + 15);
        m_list->InsertColumn(c, col.heading, col.format, width);
        listWidth += width;
    }
    m_list->setMinimumSize(listWidth + 4 * m_list->frameWidth() + 24, 156);
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
    m_rowsNotRead = false;
    // Add decides on the whole table (free index, count, names): it waits for the read's end.
    m_readOk = false;
    EnableWrites();
    m_logic.ReadTimeProfiles();
}

void CTimeProfileInfo::EnableWrites() {
    const bool free = !m_run.Running() && !ui::AfterCloseRunWriting(CPowSavSettings::StatusColumn());
    EnableDlgItem(IDC_TP_ADD, m_readOk && free);
    EnableDlgItem(IDC_TP_DELETE, free);
    EnableDlgItem(IDC_TP_REFRESH, !m_run.Running());
}

void CTimeProfileInfo::OnProfilesRead() {
    const bool ok = m_logic.ProfilesReadOk() && !m_rowsNotRead;
    m_readOk = ok;
    EnableWrites();
    if (!ok) {
        AfxMessageBox("Failed to read the time profiles; press Refresh to try again.", MB_OK);
    }
}

void CTimeProfileInfo::OnTimeProfileRow(const TimeProfileRow& profile) {
    const TimeProfileRow* row = &profile;
    // Every row holds its index on the device, listed or not.
    const int index = Number(row->index);
    m_usedIndexes.insert(index);
    if (!row->read) {
        m_rowsNotRead = true;  // neither listed nor taken as inactive
        return;
    }
    if (row->rowStatus != "1") {
        return;
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
    if (m_run.Running()) {
        return;
    }
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
    StartAdd(row);
}

void CTimeProfileInfo::StartAdd(const TimeProfileRow& row) {
    // Off the window's thread, on the table's write session; the row is copied here.
    m_progress.Reset();
    m_other.Begin();
    m_run.Start(
        CPowSavSettings::kAddSteps,
        [this, row](int i) {
            return m_logic.AddTimeProfileStep(i, row, m_run.Runner(), m_progress, m_other);
        },
        [name = row.name](int i, int) {
            return QString::fromStdString("Adding the time profile " + name + ": " +
                                          (i == 0 ? "creating its row..." : "writing and activating it..."));
        },
        [this, row](const StepsEnd& end) { OnAddEnd(end, row); });
    EnableWrites();
}

void CTimeProfileInfo::OnAddEnd(const StepsEnd& end, const TimeProfileRow& row) {
    const std::string what = "the time profile " + row.name;
    if (end.stopped) {
        // Closed during the add (a stop never follows a confirmed activation, the last step): the dialog
        // is ending. Row creation removes what this add made of the row once the run has ended, and says
        // then what the device holds.
        ui::RemoveUnfinishedAfterClose(CPowSavSettings::StatusColumn(), "." + row.index, what, m_progress);
        return;
    }
    if (m_other.Found()) {
        // Another profile row of that index, not active: replaced only on the user's Yes.
        if (AskReplace(m_other, what) && isVisible()) {
            StartAdd(row);
            return;
        }
    }
    if (isVisible()) {
        Refresh();  // a run that had just ended as the dialog ended reads nothing again
    }
    if (end.failed && !m_other.Found()) {
        AfxMessageBox(end.failure + " The settings it holds are shown.", MB_OK);
    }
}

void CTimeProfileInfo::OnDelete() {
    if (m_run.Running()) {
        return;  // the add's session is in use
    }
    const int selected = m_list->GetFirstSelectedItem();
    if (selected < 0) {
        AfxMessageBox("Please select the Time Range to be deleted!", MB_ICONINFORMATION | MB_OK);
        return;
    }
    const std::string name = m_list->GetItemText(selected, 0).toStdString();
    const SnmpAnswer answer = m_logic.DeleteTimeProfile(std::to_string(ProfileIndex(selected)));
    Refresh();
    if (!answer.Accepted()) {
        AfxMessageBox(
            AnswerText(answer, {"it"}, "Failed to delete the time profile " + name + ": ", "deleted") +
                " The settings it holds are shown.",
            MB_OK);
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
