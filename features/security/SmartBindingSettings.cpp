// Binding settings per port.
#include "features/security/SmartBindingSettings.h"

#include <QApplication>
#include <QComboBox>
#include <algorithm>

#include "controls/ListCtrlEx.h"
#include "core/RunText.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_impb.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ui::RegisterFeature kRegister(IDM_SMART_BINDING_SETTINGS, [] {
    CSmartBindingSettings dlg;
    dlg.DoModal();
});

// The device takes a moment to apply a write before the list reads back.
constexpr unsigned kReloadTimer = 1;
constexpr unsigned kReloadAfterMs = 50;

const char kListReadFailed[] = "Failed to read the binding settings of the ports.";
const char kTrunksReadFailed[] =
    "Failed to read the trunk membership of the ports. Press Refresh to read it again.";

// Widths are the pixels at the default font (the list grows them with the font and the texts).
struct Column {
    const char* heading;
    int width;
};
constexpr Column kColumns[] = {
    {"Port", 80}, {"Admin State", 120}, {"Also inspect IP packets", 180}, {"DHCP Snooping", 120}};

QString EnabledText(const std::string& value) {
    if (value.empty()) {
        return QString();  // not read
    }
    return value == "1" ? "Enabled" : "Disabled";
}

}  // namespace

CSmartBindingSettings::CSmartBindingSettings(QWidget* parent)
    : CDialog(IDD_IMPB_SETTINGS, parent),
      m_range(*this, IDC_IMPBSET_FROM, IDC_IMPBSET_TO, "'To Port' can not be smaller than 'From Port'") {
    OwnSessions(m_logic.Sessions());
    OnMessage(WM_IMPB_PORT_RESULT, [this](WPARAM w, LPARAM l) { return OnPortResult(w, l); });
    OnCommand(IDC_IMPBSET_APPLY, [this] { OnApply(); });
    OnCommand(IDC_IMPBSET_REFRESH, [this] { Load(); });
    m_run.Runner().SetCancel([this] { m_logic.CancelWrite(); });
}

CSmartBindingSettings::~CSmartBindingSettings() = default;

void CSmartBindingSettings::CreateControls() {
    SetWindowText("Smart Binding Settings");
    ui::Form form(*this);
    auto settings = form.Group("Smart Binding Settings");
    settings.Row({"From Port", settings.Combo(IDC_IMPBSET_FROM), "To Port", settings.Combo(IDC_IMPBSET_TO),
                  "Admin State", settings.Combo(IDC_IMPBSET_ADMIN), ui::Form::Stretch});
    settings.Row({"Packet Inspection", settings.Combo(IDC_IMPBSET_INSPECTION), "DHCP Snooping",
                  settings.Combo(IDC_IMPBSET_DHCP), ui::Form::Stretch,
                  settings.Button(IDC_IMPBSET_APPLY, "&Apply")});
    auto list = form.Group("IMPB Setting List Info");
    m_list = list.Fill(RegisterControl(IDC_IMPBSET_LIST, new CListCtrlEx));
    form.Buttons({{IDC_IMPBSET_REFRESH, "&Refresh"}});
}

int CSmartBindingSettings::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_range.Fill(g_nPortNum);
    auto* to = Item<QComboBox>(IDC_IMPBSET_TO);
    to->setCurrentIndex(to->count() - 1);
    Item<QComboBox>(IDC_IMPBSET_ADMIN)->addItems({"Disabled", "Enabled"});
    Item<QComboBox>(IDC_IMPBSET_INSPECTION)->addItems({"ARP Inspection", "ARP+IP Inspection"});
    Item<QComboBox>(IDC_IMPBSET_DHCP)->addItems({"Disabled", "Enabled"});
    for (int i = 0; i < 4; ++i) {
        m_list->InsertColumn(i, kColumns[i].heading, LVCFMT_CENTER, kColumns[i].width);
    }
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_logic.SetOwnerWnd(this);
    Load();
    return 1;
}

void CSmartBindingSettings::Load() {
    m_list->DeleteAllItems();
    m_listReading = true;
    m_trunksReading = true;
    UpdateButtons();
    m_logic.ReadPortSettings();
    m_logic.ReadTrunks([this](bool complete) { OnTrunksRead(complete); });
}

void CSmartBindingSettings::UpdateButtons() {
    const bool idle = !m_listReading && !m_trunksReading && !m_writing;
    EnableDlgItem(IDC_IMPBSET_REFRESH, idle);
    // The trunk rule of Apply needs the membership as the device has it now.
    EnableDlgItem(IDC_IMPBSET_APPLY, idle && m_logic.TrunksRead());
}

void CSmartBindingSettings::OnTrunksRead(bool complete) {
    m_trunksReading = false;
    UpdateButtons();
    if (!complete) {
        AfxMessageBox(kTrunksReadFailed, MB_OK);
    }
}

LRESULT CSmartBindingSettings::OnPortResult(WPARAM wParam, LPARAM lParam) {
    if (wParam == 0 && lParam != 0) {
        const ImpbPortEntry& row = *Record<ImpbPortEntry>(lParam);
        const int n = m_list->GetItemCount();
        m_list->SetItemTextEx(n, 0, QString::fromStdString(row.field[0]));
        for (int i = 1; i <= 3; ++i) {
            m_list->SetItemTextEx(n, i, EnabledText(row.field[static_cast<size_t>(i)]));
        }
    } else if (wParam == 1) {
        m_listReading = false;
        UpdateButtons();
        if (lParam != 0) {
            AfxMessageBox(kListReadFailed, MB_OK);
        }
    }
    return 0;
}

void CSmartBindingSettings::OnApply() {
    if (!IsDlgItemEnabled(IDC_IMPBSET_APPLY)) {
        return;
    }
    const int from = m_range.From();
    const int to = m_range.To();
    ImpbPortEntry entry;
    entry.field[1] = GetDlgItemText(IDC_IMPBSET_ADMIN) == "Disabled" ? "0" : "1";
    entry.field[2] = GetDlgItemText(IDC_IMPBSET_INSPECTION) == "ARP+IP Inspection" ? "1" : "0";
    entry.field[3] = GetDlgItemText(IDC_IMPBSET_DHCP) == "Disabled" ? "0" : "1";
    if (!m_logic.CheckTrunkPorts(from, to, entry.field[1])) {
        AfxMessageBox("Cannot add a port-security enabled port to an aggregated link.", MB_OK);
        return;
    }
    if (from == 1 && to == g_nPortNum && entry.field[1] == "1") {
        AfxMessageBox("This operation will cause device to out of control.", MB_OK);
        Item<QComboBox>(IDC_IMPBSET_ADMIN)->setCurrentIndex(0);
        return;
    }
    // One SET per port, in order, off the window's thread; the first refused one ends the write.
    m_writing = true;
    UpdateButtons();
    m_run.Start(
        to - from + 1,
        [this, from, entry](int i) {
            const SnmpAnswer answer = m_logic.WritePortSetting(from + i, entry);
            return StepOutcome::Of(answer, AnswerText(answer, {"them", true},
                                                      "Failed to write the binding settings of port " +
                                                          std::to_string(from + i) + ": "));
        },
        [from](int i, int n) { return CStepRun::PortText(from, i, n); },
        [this, from, to](const StepsEnd& end) {
            if (end.stopped) {
                // Closed during the write: the dialog is ending.
                m_writing = false;
                AfxMessageBox(RunEndText(end, PortsNamer(from, to)), MB_OK);
                return;
            }
            if (end.failed) {
                AfxMessageBox(RunEndText(end, PortsNamer(from, to)), MB_OK | MB_ICONERROR);
            }
            // Apply and Refresh stay unavailable until the list reads again.
            SetTimer(kReloadTimer, kReloadAfterMs);
        });
}

void CSmartBindingSettings::OnTimer(unsigned id) {
    if (id == kReloadTimer) {
        KillTimer(kReloadTimer);
        m_writing = false;
        Load();
    }
}
