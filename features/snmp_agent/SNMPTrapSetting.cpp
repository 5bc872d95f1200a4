// SNMP trap settings dialog.
#include "features/snmp_agent/SNMPTrapSetting.h"

#include <QApplication>
#include <QCheckBox>
#include <algorithm>
#include <memory>

#include "core/RunText.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "platform/ui/WaitCursor.h"
#include "res/ids_snmp_agent.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_SNMP_TRAP, [] {
    CSNMPTrapSetting dlg;
    dlg.DoModal();
});

// The slots Apply writes: the five general switches and loopback detection, and the PoE ones.
constexpr int kWrittenSlots[] = {0, 1, 2, 3, 4, 10};
constexpr int kPoeSlots[] = {7, 8, 9};

}  // namespace

const std::array<int, 11> CSNMPTrapSetting::kSlotBoxes = {
    IDC_TRAP_AUTH,      IDC_TRAP_BOOTUP,       IDC_TRAP_LINK,    IDC_TRAP_RSTP,
    IDC_TRAP_FIRMWARE,  IDC_TRAP_DUPLICATE_IP, IDC_TRAP_CPU,     IDC_TRAP_POE_POWER,
    IDC_TRAP_POE_ERROR, IDC_TRAP_POE_BUDGET,   IDC_TRAP_LOOPBACK};

CSNMPTrapSetting::CSNMPTrapSetting(QWidget* parent) : CDialog(IDD_SNMP_TRAP, parent) {
    OwnSessions(m_config.Sessions());
    OnCommand(IDC_TRAP_APPLY, [this] { OnApply(); });
    OnCommand(IDC_TRAP_CLOSE, [this] { EndDialog(IDCANCEL); });
}

CSNMPTrapSetting::~CSNMPTrapSetting() = default;

void CSNMPTrapSetting::CreateControls() {
    SetWindowText("SNMP Trap Configuration");
    ui::Form form(*this);
    auto group = form.Group("Trap Settings");
    group.Add(group.Check(IDC_TRAP_AUTH, "SNMP Authentication Traps"));
    group.Add(group.Check(IDC_TRAP_BOOTUP, "Device Bootup"));
    group.Add(group.Check(IDC_TRAP_LINK, "Port Link Up / Link Down"));
    group.Add(group.Check(IDC_TRAP_RSTP, "RSTP Port State Change"));
    group.Add(group.Check(IDC_TRAP_FIRMWARE, "Firmware Upgrade State"));
    group.Add(group.Check(IDC_TRAP_LOOPBACK, "Loopback Detection occuring / recovery"));
    group.Add(group.Check(IDC_TRAP_POE_POWER, "PoE Power On / Off"));
    group.Add(group.Check(IDC_TRAP_POE_ERROR, "PoE Power Error "));
    group.Add(group.Check(IDC_TRAP_POE_BUDGET, "PoE over max power budget"));
    group.Add(group.Check(IDC_TRAP_DUPLICATE_IP, "Duplicate IP Detected"))->setVisible(false);
    group.Add(group.Check(IDC_TRAP_CPU, "CPU Utilization"))->setVisible(false);
    form.Note("", IDC_TRAP_READ_STATUS)->setWordWrap(true);
    form.Buttons({{IDC_TRAP_APPLY, "&Apply"}, {IDC_TRAP_CLOSE, "&Close"}});
}

int CSNMPTrapSetting::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_bPoEModel = g_strDeviceName.find_first_of("pP") != std::string::npos ? 1 : 0;
    if (m_bPoEModel == 0) {
        ShowDlgItem(IDC_TRAP_POE_POWER, false);
        ShowDlgItem(IDC_TRAP_POE_BUDGET, false);
        ShowDlgItem(IDC_TRAP_POE_ERROR, false);
    }
    ReadSettings();
    return 1;
}

bool CSNMPTrapSetting::ReadSettings() {
    return ShowSettings(m_config.ReadTrapSettings(m_bPoEModel));
}

bool CSNMPTrapSetting::ShowSettings(const std::optional<SNMP_TRAP_SETTINGS>& settings) {
    EnableDlgItem(IDC_TRAP_APPLY, settings.has_value());
    SetDlgItemText(IDC_TRAP_READ_STATUS, settings ? "" : kTextReadFailed);
    bool allRead = true;
    for (size_t slot = 0; slot < kSlotBoxes.size(); ++slot) {
        // A switch that did not read is in neither state and cannot be changed: Apply leaves it alone.
        const std::string value = settings ? settings->slot[slot] : std::string();
        auto* box = Item<QCheckBox>(kSlotBoxes[slot]);
        m_shown[slot] = value.empty() ? -1 : (value == "1" ? 1 : 0);
        box->setTristate(value.empty());
        box->setCheckState(value.empty() ? Qt::PartiallyChecked
                                         : (value == "1" ? Qt::Checked : Qt::Unchecked));
        box->setEnabled(!value.empty());
        if (value.empty() && box->isVisibleTo(this)) {
            allRead = false;
        }
    }
    if (!settings) {
        return false;
    }
    SetDlgItemText(IDC_TRAP_READ_STATUS, allRead ? "" : kTextSomeUnread);
    return true;
}

void CSNMPTrapSetting::OnApply() {
    if (!IsDlgItemEnabled(IDC_TRAP_APPLY) || m_writes.Running()) {
        return;
    }
    CWaitCursor wait;
    // Only the switches the user changed: one that did not read stays as the device has it.
    SNMP_TRAP_SETTINGS settings;
    std::array<int, 11> now = m_shown;
    const auto take = [&](int slot) {
        const size_t s = static_cast<size_t>(slot);
        if (m_shown[s] < 0) {
            return;  // not read: never written
        }
        now[s] = IsDlgButtonChecked(kSlotBoxes[s]) == 1 ? 1 : 0;
        if (now[s] != m_shown[s]) {
            settings.slot[s] = now[s] == 1 ? "1" : "2";
        }
    };
    for (int slot : kWrittenSlots) {
        take(slot);
    }
    if (m_bPoEModel == 1) {
        for (int slot : kPoeSlots) {
            take(slot);
        }
    }
    if (std::all_of(settings.slot.begin(), settings.slot.end(),
                    [](const std::string& v) { return v.empty(); })) {
        return;  // nothing changed: nothing to write
    }
    // The write, and after a failed one the read of what the device holds, off the window's thread.
    struct Outcome {
        bool failed = false;
        SnmpAnswer answer;  // of the write that failed
        std::optional<SNMP_TRAP_SETTINGS> read;
    };
    auto outcome = std::make_shared<Outcome>();
    const int poe = m_bPoEModel;
    EnableDlgItem(IDC_TRAP_APPLY, false);
    m_writes.Start(
        2,
        [this, outcome, settings, poe](int i) {
            if (i == 0) {
                if (!m_config.SetTrapSettings(settings, poe)) {
                    outcome->answer = m_config.LastAnswer();
                    if (m_writes.Stopping() && !outcome->answer.Refused()) {
                        return StepOutcome::Of(outcome->answer);  // cut short by Close: said at the end
                    }
                    outcome->failed = true;
                }
                return StepOutcome::Done();
            }
            if (outcome->failed) {
                outcome->read = m_config.ReadTrapSettings(poe);
            }
            return StepOutcome::Done();
        },
        [](int i, int) {
            return QString(i == 0 ? "Writing the trap settings..." : "Reading the trap settings...");
        },
        [this, outcome, now](const StepsEnd& end) {
            const StepsName written{"the trap settings", true};
            if (end.stopped) {
                // Closed during the run: the dialog is ending.
                if (end.done == 0) {
                    StepsEnd write = end;
                    write.total = 1;
                    AfxMessageBox(RunEndText(write, ListNamer({written})), MB_OK);
                } else if (outcome->failed) {
                    AfxMessageBox(AnswerText(outcome->answer, written), MB_OK);
                }
                return;
            }
            if (outcome->failed) {
                AfxMessageBox(AnswerText(outcome->answer, written), MB_OK);
                ShowSettings(outcome->read);
                return;
            }
            m_shown = now;
            EnableDlgItem(IDC_TRAP_APPLY, true);
        });
}
