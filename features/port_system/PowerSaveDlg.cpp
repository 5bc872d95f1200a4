// Power saving dialog.
#include "features/port_system/PowerSaveDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "controls/ListCtrlEx.h"
#include "core/RunText.h"
#include "core/Utils.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_power.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(ID_MENU_POWER_SAVING_SETTINGS, [] {
    CPowerSaveDlg dlg;
    dlg.DoModal();
});

constexpr int kTypeSystemHibernation = 2;  // Type combo position

const char* TypeName(int type) {
    switch (type) {
        case 1:
            return "LED_Shutoff";
        case 2:
            return "Port_Shutoff";
        case 3:
            return "Port_Standby";
        case 4:
            return "System_Hibernation";
        default:
            return "";
    }
}

// Selects a profile name in its box: "None" for no profile; otherwise the item of that very name, and
// only without one the first that begins with it (case ignored, searching from the second item on and
// wrapping to the first). A name that matches no item is added, so that the form shows, and Apply
// writes back, what the device holds.
void SelectProfile(QComboBox* combo, const std::string& name) {
    if (name.empty()) {
        combo->setCurrentIndex(combo->findText("None"));
        return;
    }
    const QString text = QString::fromStdString(name);
    if (const int exact = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive); exact >= 0) {
        combo->setCurrentIndex(exact);
        return;
    }
    const int count = combo->count();
    for (int n = 1; n <= count; ++n) {
        if (combo->itemText(n % count).startsWith(text, Qt::CaseInsensitive)) {
            combo->setCurrentIndex(n % count);
            return;
        }
    }
    combo->addItem(text);
    combo->setCurrentIndex(count);
}

}  // namespace

CPowerSaveDlg::CPowerSaveDlg(QWidget* parent) : CDialog(IDD_POWER_SAVE, parent) {
    OwnSessions(m_logic.Sessions());
    m_run.Runner().SetCancel([this] { m_logic.m_cCommonSNMP.Cancel(); });
    OnCommand(IDC_PS_APPLY_GLOBAL, [this] { OnApplyGlobal(); });
    OnCommand(IDC_PS_APPLY_ENTRY, [this] { OnApplyEntry(); });
    OnCommand(IDC_PS_REFRESH, [this] {
        if (!m_run.Running()) {
            Refresh();
        }
    });
    OnCommand(IDC_PS_CLOSE, [this] { EndDialog(IDCANCEL); });
    OnNotify(CBN_SELCHANGE, IDC_PS_TYPE, Handler([this] { OnTypeChanged(); }));
    OnNotify(CBN_SELCHANGE, IDC_PS_STATE, Handler([this] { OnStateChanged(); }));
    OnMessage(WM_POWSAV_RESULT, [this](WPARAM w, LPARAM l) { return OnPowSavResult(w, l); });
}

CPowerSaveDlg::~CPowerSaveDlg() = default;

void CPowerSaveDlg::CreateControls() {
    SetWindowText("Power Saving Settings ");
    ui::Form form(*this);
    auto global = form.Group("Global Settings", IDC_PS_GLOBAL_GROUP);
    global.Row({global.Check(IDC_PS_LINK_STATUS, "Enable Link Status Detection"),
                global.Check(IDC_PS_CABLE_LENGTH, "Enable Cable Length Detection"), ui::Form::Stretch,
                global.Button(IDC_PS_APPLY_GLOBAL, "&Apply")});

    // Two label/control pairs a line, the pairs in columns.
    auto advanced = form.Group("Advanced Power Saving Settings", IDC_PS_ADVANCED_GROUP);
    QGridLayout* grid = advanced.Layout();
    auto pair = [&](int row, int column, const char* label, int labelId, QWidget* control) {
        grid->addWidget(advanced.Label(label, labelId), row, column);
        grid->addWidget(control, row, column + 1);
    };
    pair(0, 0, "Type", IDC_PS_TYPE_LABEL, advanced.Combo(IDC_PS_TYPE));
    pair(0, 2, "State", IDC_PS_STATE_LABEL, advanced.Combo(IDC_PS_STATE));
    pair(1, 0, "Time Profile1", IDC_PS_PROFILE1_LABEL, advanced.Combo(IDC_PS_PROFILE1));
    pair(1, 2, "Time Profile2", IDC_PS_PROFILE2_LABEL, advanced.Combo(IDC_PS_PROFILE2));
    pair(2, 0, "Port", IDC_PS_PORT_LABEL, advanced.Edit(IDC_PS_PORT));
    grid->addWidget(advanced.Label("(e.g.:1-4,6)", IDC_PS_PORT_HINT), 2, 2, 1, 2);
    grid->addWidget(advanced.Button(IDC_PS_APPLY_ENTRY, "&Apply"), 3, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto summary = form.Group("Summary", IDC_PS_SUMMARY_GROUP);
    m_list = summary.Fill(RegisterControl(IDC_PS_SUMMARY, new CListCtrlEx));
    form.Layout()->setRowStretch(form.Layout()->rowCount() - 1, 1);  // the list takes the new space

    form.Buttons({{IDC_PS_REFRESH, "&Refresh"}, {IDC_PS_CLOSE, "&Close"}});
}

int CPowerSaveDlg::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_logic.m_hOwnerWnd = this;

    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    // The device's widths, or wider where the font needs it for the widest text of the column.
    struct Column {
        const char* heading;
        int width;
        const char* widest;
    };
    const Column columns[] = {{"Type", 140, "System_Hibernation"},
                              {"State", 80, "Disabled"},
                              {"Time Profile 1 ", 120, "Time Profile 1 "},
                              {"Time Profile 2", 120, "Time Profile 2"},
                              {"Port ", 120, "1-4,6,8-12"}};
    int listWidth = 0;
    for (int c = 0; c < 5; ++c) {
        const int width =
            std::max(columns[c].width, m_list->GetStringWidth(QString::fromLatin1(columns[c].widest)) + 15);
        m_list->InsertColumn(c, columns[c].heading, LVCFMT_LEFT, width);
        listWidth += width;
    }
    m_list->setMinimumSize(listWidth + 4 * m_list->frameWidth() + 24, 128);

    auto* type = Item<QComboBox>(IDC_PS_TYPE);
    type->addItems({"LED Shut-off", "Port Shut-off", "System Hibernation", "Port Standby"});
    type->removeItem(3);
    Item<QComboBox>(IDC_PS_STATE)->addItems({"Enabled", "Disabled"});
    ShowDlgItem(IDC_PS_CABLE_LENGTH, false);

    Refresh();
    return 1;
}

void CPowerSaveDlg::Refresh() {
    ShowRead(m_logic.FetchPowerSaving());
}

void CPowerSaveDlg::ShowRead(const PowerSavingRead& read) {
    auto* profile1 = Item<QComboBox>(IDC_PS_PROFILE1);
    auto* profile2 = Item<QComboBox>(IDC_PS_PROFILE2);
    profile1->clear();
    profile2->clear();
    m_list->DeleteAllItems();
    m_namesLoaded = false;
    m_typeLoaded = false;
    m_readFailSaid = false;
    m_logic.TakePowerSaving(read);
    // The switch and the functions are written back only once read.
    UpdateApply();
    if (!read.Complete()) {
        SayReadFailure();
    }

    // The names are added when their walk has ended (WM_POWSAV_RESULT 2), on this thread.
    m_namesWalk = m_logic.ReadProfileNames();
    profile1->addItem("None");
    profile2->addItem("None");

    Item<QComboBox>(IDC_PS_TYPE)->setCurrentIndex(0);
    Item<QComboBox>(IDC_PS_STATE)->setCurrentIndex(1);
    profile1->setCurrentIndex(0);
    profile2->setCurrentIndex(0);
    UpdateApply();
    EnableDlgItem(IDC_PS_PROFILE1, false);
    EnableDlgItem(IDC_PS_PROFILE2, false);
    EnableDlgItem(IDC_PS_PORT, false);
    SetDlgItemText(IDC_PS_PORT, "");
}

void CPowerSaveDlg::FillProfileNames() {
    auto* profile1 = Item<QComboBox>(IDC_PS_PROFILE1);
    auto* profile2 = Item<QComboBox>(IDC_PS_PROFILE2);
    for (const std::string& name : m_logic.ProfileNames()) {
        profile1->addItem(QString::fromStdString(name));
        profile2->addItem(QString::fromStdString(name));
    }
    m_namesLoaded = true;
    UpdateApply();
    if (!m_logic.NamesReadOk()) {
        SayReadFailure();
    }
    // A type picked before the names came gets its profiles shown now.
    if (m_typeLoaded) {
        const int k = Item<QComboBox>(IDC_PS_TYPE)->currentIndex();
        if (k >= 0 && k < 4) {
            SelectProfiles(m_logic.m_aPowSavEntry[k]);
        }
    }
}

LRESULT CPowerSaveDlg::OnPowSavResult(WPARAM wParam, LPARAM lParam) {
    if (wParam == POWSAV_FLAGS) {
        const PowerSavingFlags& flags = m_logic.Flags();
        CheckDlgButton(IDC_PS_CABLE_LENGTH, flags.cableLengthDetection == "1" ? 1 : 0);
        if (flags.linkStatusRead) {  // a switch not read is left as it was
            CheckDlgButton(IDC_PS_LINK_STATUS, flags.linkStatusDetection == "1" ? 1 : 0);
        }
    } else if (wParam == POWSAV_ENTRIES) {
        const PowerSavingEntry* entries = m_logic.m_aPowSavEntry;
        const int rows = Item<QComboBox>(IDC_PS_TYPE)->count();
        for (int i = 0; i < rows && i < 4; ++i) {
            const PowerSavingEntry& e = entries[i];
            m_list->SetItemTextEx(i, 0, TypeName(e.type));
            if (!e.read) {
                for (int c = 1; c < 5; ++c) {
                    m_list->SetItemTextEx(i, c, QString());  // not read: nothing to show
                }
                continue;
            }
            m_list->SetItemTextEx(i, 1, e.state == "1" ? "Enabled" : "Disabled");
            m_list->SetItemTextEx(i, 2, QString::fromStdString(e.profile1));
            m_list->SetItemTextEx(i, 3, QString::fromStdString(e.profile2));
            m_list->SetItemTextEx(i, 4,
                                  e.portList.empty() ? QString("None") : QString::fromStdString(e.portList));
        }
    } else if (wParam == POWSAV_NAMES_DONE) {
        // A walk replaced by a later refresh is not shown.
        if (static_cast<int>(lParam) == m_namesWalk && !m_namesLoaded) {
            FillProfileNames();
        }
    }
    return 0;
}

void CPowerSaveDlg::SelectProfiles(const PowerSavingEntry& entry) {
    SelectProfile(Item<QComboBox>(IDC_PS_PROFILE1), entry.profile1);
    SelectProfile(Item<QComboBox>(IDC_PS_PROFILE2), entry.profile2);
}

void CPowerSaveDlg::OnTypeChanged() {
    const int k = Item<QComboBox>(IDC_PS_TYPE)->currentIndex();
    if (k < 0 || k >= 4) {
        return;
    }
    m_typeLoaded = true;
    UpdateApply();
    const PowerSavingEntry& entry = m_logic.m_aPowSavEntry[k];
    if (m_namesLoaded) {
        SelectProfiles(entry);  // otherwise once the names came
    }
    SetDlgItemText(IDC_PS_PORT, entry.portList);
    const bool enabled = entry.state == "1";
    Item<QComboBox>(IDC_PS_STATE)->setCurrentIndex(enabled ? 0 : 1);
    EnableDlgItem(IDC_PS_PROFILE1, enabled);
    EnableDlgItem(IDC_PS_PROFILE2, enabled);
    EnableDlgItem(IDC_PS_PORT, enabled);
}

void CPowerSaveDlg::OnStateChanged() {
    const bool enabled = GetDlgItemText(IDC_PS_STATE) == "Enabled";
    EnableDlgItem(IDC_PS_PROFILE1, enabled);
    EnableDlgItem(IDC_PS_PROFILE2, enabled);
    const bool hibernation = Item<QComboBox>(IDC_PS_TYPE)->currentIndex() == kTypeSystemHibernation;
    EnableDlgItem(IDC_PS_PORT, !hibernation && enabled);
}

void CPowerSaveDlg::OnApplyGlobal() {
    if (m_run.Running()) {
        return;
    }
    PowerSavingFlags flags;
    flags.cableLengthDetection = IsDlgButtonChecked(IDC_PS_CABLE_LENGTH) == 1 ? "1" : "2";
    flags.linkStatusDetection = IsDlgButtonChecked(IDC_PS_LINK_STATUS) == 1 ? "1" : "2";
    StartApply({"the link status detection setting"},
               [this, flags] { return m_logic.SendLinkStatus(flags); });
}

void CPowerSaveDlg::StartApply(const StepsName& what, std::function<SnmpAnswer()> send) {
    m_run.StartWriteAndReadBack<PowerSavingRead>(
        what, QString::fromStdString("Writing " + what.text + "..."), "Reading the power saving settings...",
        std::move(send), [this] { return m_logic.FetchPowerSaving(); },
        [what](const SnmpAnswer& answer) { return AnswerText(answer, what); },
        [this, what](const SnmpAnswer& answer, const PowerSavingRead& read) {
            ShowRead(read);
            if (!answer.Accepted()) {
                AfxMessageBox(AnswerText(answer, what) + " The settings it holds are shown.", MB_OK);
            }
        });
    UpdateApply();
}

void CPowerSaveDlg::UpdateApply() {
    const bool idle = !m_run.Running();
    EnableDlgItem(IDC_PS_REFRESH, idle);
    EnableDlgItem(IDC_PS_APPLY_GLOBAL, idle && m_logic.Flags().linkStatusRead);
    // The form holds a function's values once the user picked its type, and its profile boxes once the
    // names arrived: only then does Apply write what the user changed, never a default.
    const int k = Item<QComboBox>(IDC_PS_TYPE)->currentIndex();
    const bool entryRead = k >= 0 && k < 4 && m_logic.m_aPowSavEntry[k].read;
    EnableDlgItem(IDC_PS_APPLY_ENTRY,
                  idle && entryRead && m_typeLoaded && m_namesLoaded && m_logic.NamesReadOk());
}

void CPowerSaveDlg::SayReadFailure() {
    if (!m_readFailSaid) {
        m_readFailSaid = true;  // once per refresh
        AfxMessageBox("Failed to read the power saving settings; press Refresh to try again.", MB_OK);
    }
}

void CPowerSaveDlg::OnApplyEntry() {
    static const int kTypeCodes[] = {1, 2, 4, 3};
    const int position = Item<QComboBox>(IDC_PS_TYPE)->currentIndex();
    if (position < 0 || position > 3 || m_run.Running()) {
        return;
    }
    PowerSavingEntry entry;
    entry.type = kTypeCodes[position];
    entry.state = Item<QComboBox>(IDC_PS_STATE)->currentIndex() == 0 ? "1" : "2";
    if (position != kTypeSystemHibernation) {
        entry.portList = GetDlgItemText(IDC_PS_PORT);
        if (!CUtils::IsPortListText(entry.portList)) {
            AfxMessageBox("Invalid Portlist", MB_OK);
            return;
        }
    }
    entry.profile1 = GetDlgItemText(IDC_PS_PROFILE1);
    entry.profile2 = GetDlgItemText(IDC_PS_PROFILE2);
    const std::optional<PowerSavingWrite> write = m_logic.CheckEntry(entry);
    if (!write) {
        return;  // said by the check; nothing was sent
    }
    static const char* const kNames[] = {"LED shut-off", "port shut-off", "system hibernation",
                                         "port standby"};
    StartApply({std::string("the ") + kNames[position] + " settings", true},
               [this, w = *write] { return m_logic.SendEntry(w); });
}
