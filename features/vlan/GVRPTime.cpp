// GVRP global settings dialog.
#include "features/vlan/GVRPTime.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "core/RunText.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_gvrp.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_GVRP_TIME, [] {
    CGVRPTime dlg;
    dlg.DoModal();
});

const int kTimerEdits[3] = {IDC_GVRPT_JOIN, IDC_GVRPT_LEAVE, IDC_GVRPT_LEAVE_ALL};

}  // namespace

CGVRPTime::CGVRPTime(QWidget* parent) : CDialog(IDD_GVRP_TIME, parent) {
    OwnSessions(m_logic.Sessions());  // closed when the window goes
    m_logic.onState = [this](std::optional<long long> state) { OnGvrpState(state); };
    m_logic.onGlobal = [this](const std::optional<GvrpGlobalRow>& row) { OnGlobalRead(row); };
}

CGVRPTime::~CGVRPTime() = default;

void CGVRPTime::CreateControls() {
    SetWindowText("GVRP Global Settings");
    auto* outer = new QVBoxLayout(Client());
    auto* group = RegisterControl(IDC_GVRPT_GROUP, new QGroupBox("GVRP Global Settings"));
    outer->addWidget(group);
    auto* grid = new QGridLayout(group);
    auto* radios = new QHBoxLayout;
    radios->addWidget(RegisterControl(IDC_GVRPT_ENABLED, new QRadioButton("Enabled")));
    radios->addWidget(RegisterControl(IDC_GVRPT_DISABLED, new QRadioButton("Disabled")));
    radios->addStretch();
    grid->addLayout(radios, 0, 0, 1, 3);
    const char* labels[3] = {"Join Time(100-100000)", "Leave Time(100-100000)", "Leave_All Time(100-100000)"};
    const int labelIds[3] = {IDC_GVRPT_JOIN_LABEL, IDC_GVRPT_LEAVE_LABEL, IDC_GVRPT_LEAVE_ALL_LABEL};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(RegisterControl(labelIds[i], new QLabel(labels[i])), i + 1, 0);
        auto* edit = RegisterControl(kTimerEdits[i], new QLineEdit);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
        grid->addWidget(edit, i + 1, 1);
        grid->addWidget(new QLabel("ms"), i + 1, 2);
    }
    auto* note =
        RegisterControl(IDC_GVRPT_NOTE, new QLabel("Note:\nLeave Time should be greater than 2*Join Time.\n"
                                                   "Leave All Time should be greater than Leave Time."));
    grid->addWidget(note, 4, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(RegisterControl(IDC_GVRPT_APPLY, new QPushButton("&Apply")));
    buttons->addWidget(RegisterControl(IDC_GVRPT_REFRESH, new QPushButton("&Refresh")));
    buttons->addWidget(RegisterControl(IDC_GVRPT_CLOSE, new QPushButton("&Close")));
    outer->addLayout(buttons);

    OnCommand(IDC_GVRPT_APPLY, [this] { OnApply(); });
    OnCommand(IDC_GVRPT_REFRESH, [this] { OnRefresh(); });
    OnCommand(IDC_GVRPT_CLOSE, [this] { OnCancel(); });
    OnCommand(IDC_GVRPT_ENABLED, [this] { EnableTimers(true); });
    OnCommand(IDC_GVRPT_DISABLED, [this] { EnableTimers(false); });
}

int CGVRPTime::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    OnRefresh();
    return 1;
}

void CGVRPTime::EnableTimers(bool enable) {
    for (int id : kTimerEdits) {
        EnableDlgItem(id, enable);
    }
}

// The state is read first, the state and timers after it, as the requests always went; neither holds
// the window while the device does not answer.
void CGVRPTime::ReadGvrpState() {
    m_logic.ReadState();
}

// A state not read (no answer, a value that is no number) is shown as neither state and keeps Apply
// unavailable: Apply would write a state nobody chose.
void CGVRPTime::OnGvrpState(std::optional<long long> state) {
    m_strState = state ? std::to_string(*state) : std::string();
    const bool enabled = state && *state == 1;
    for (int id : {IDC_GVRPT_ENABLED, IDC_GVRPT_DISABLED}) {
        // Exclusive radio buttons cannot all be cleared: the group lets go while they are set.
        Item<QRadioButton>(id)->setAutoExclusive(false);
    }
    CheckDlgButton(IDC_GVRPT_ENABLED, enabled ? 1 : 0);
    CheckDlgButton(IDC_GVRPT_DISABLED, state && !enabled ? 1 : 0);
    for (int id : {IDC_GVRPT_ENABLED, IDC_GVRPT_DISABLED}) {
        Item<QRadioButton>(id)->setAutoExclusive(true);
    }
    EnableTimers(enabled);
    m_logic.ReadGlobalSettings();
}

void CGVRPTime::OnRefresh() {
    EnableDlgItem(IDC_GVRPT_REFRESH, false);
    EnableDlgItem(IDC_GVRPT_APPLY, false);
    EnableDlgItem(IDC_GVRPT_CLOSE, false);
    ReadGvrpState();
}

void CGVRPTime::OnGlobalRead(const std::optional<GvrpGlobalRow>& row) {
    EnableDlgItem(IDC_GVRPT_REFRESH, true);
    EnableDlgItem(IDC_GVRPT_CLOSE, true);
    if (row) {
        if (row->enabled == 0) {
            EnableTimers(false);
        }
        SetDlgItemText(IDC_GVRPT_JOIN, row->join);
        SetDlgItemText(IDC_GVRPT_LEAVE, row->leave);
        SetDlgItemText(IDC_GVRPT_LEAVE_ALL, row->leaveAll);
        m_bTimersRead = true;
    }
    // Apply only over values read from the device.
    EnableDlgItem(IDC_GVRPT_APPLY, m_bTimersRead && !m_strState.empty());
    if (!row || m_strState.empty()) {
        AfxMessageBox("Failed to read the GVRP global settings; press Refresh to try again.", MB_OK);
    }
}

void CGVRPTime::OnApply() {
    if (!IsDlgItemEnabled(IDC_GVRPT_APPLY)) {
        return;
    }
    const std::string newState = IsDlgButtonChecked(IDC_GVRPT_ENABLED) == 1 ? "1" : "2";
    const auto written =
        m_logic.SetGlobalSettings(m_strState, newState, GetDlgItemText(IDC_GVRPT_JOIN),
                                  GetDlgItemText(IDC_GVRPT_LEAVE), GetDlgItemText(IDC_GVRPT_LEAVE_ALL));
    if (written && !written->Accepted()) {
        AfxMessageBox(
            AnswerText(*written, {"the GVRP global settings", true}) + " The settings it holds are shown.",
            MB_OK);
    }
    OnRefresh();
}
