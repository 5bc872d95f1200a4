// IGMP snooping global settings dialog.
#include "features/layer2/IGMPSnoopConfig.h"

#include <QApplication>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <cstdlib>

#include "core/RunText.h"
#include "features/layer2/IGMPSnoopingVLANSetting.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_igmp.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_IGMP_SNOOPING, [] {
    CIGMPSnoopConfig dlg;
    dlg.DoModal();
});

// The six number edits, in the order Apply checks them, with their accepted ranges and messages.
struct NumberField {
    int id;
    long lo;
    long hi;
    const char* message;
};
const NumberField kFields[] = {
    {IDC_IGMP_HOST_TIMEOUT, 130, 153025, "Invalid Host Timeout (130-153025 sec)."},
    {IDC_IGMP_ROUTER_TIMEOUT, 60, 600, "Invalid Router Timeout (60-600 sec)."},
    {IDC_IGMP_ROBUSTNESS, 2, 255, "Invalid Robustness Variable (2-255)."},
    {IDC_IGMP_LAST_MEMBER, 1, 25, "Invalid Last Member Query Interval (1-25 sec)."},
    {IDC_IGMP_QUERY_INTERVAL, 60, 600, "Invalid Query Interval (60-600 sec)."},
    {IDC_IGMP_MAX_RESPONSE, 10, 25, "Invalid Max. Response Time (10-25 sec)."},
};

const char kReadFailed[] = "Failed to read the IGMP snooping settings.";

QLineEdit* NumberEdit(ui::Form& form, int id) {
    QLineEdit* edit = form.Edit(id);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

}  // namespace

CIGMPSnoopConfig::CIGMPSnoopConfig(QWidget* parent) : CDialog(IDD_IGMP_SNOOP_CONFIG, parent) {}

CIGMPSnoopConfig::~CIGMPSnoopConfig() = default;

void CIGMPSnoopConfig::CreateControls() {
    SetWindowText("IGMP Snooping Configuration");
    ui::Form form(*this);
    ui::Form group = form.Group("IGMP Global Settings", IDC_IGMP_GLOBAL_GROUP);
    group.Add(group.Check(IDC_IGMP_ENABLE, "Enable IGMP Snooping "));
    group.Field("Host Timeout(130-153025 sec)", NumberEdit(group, IDC_IGMP_HOST_TIMEOUT));
    group.Field("Router Timeout(60-600 sec)", NumberEdit(group, IDC_IGMP_ROUTER_TIMEOUT));
    group.Field("Robustness Variable(2-255)", NumberEdit(group, IDC_IGMP_ROBUSTNESS));
    group.Field("Last Member Query Interval(1-25 sec)", NumberEdit(group, IDC_IGMP_LAST_MEMBER));
    group.Field("Query Interval(60-600 sec)", NumberEdit(group, IDC_IGMP_QUERY_INTERVAL));
    group.Field("Max Response Time(10-25 sec)", NumberEdit(group, IDC_IGMP_MAX_RESPONSE));
    group.Add(group.Check(IDC_IGMP_REPORT_ALL, "Report to all ports"));
    group.Note(
        "Note: The Host Timeout was computed automatically in Querier Enabled by\n"
        " (Robustness Variable * Query Interval + Max Response Time).",
        IDC_IGMP_NOTE);
    form.Buttons({{IDC_IGMP_APPLY, "&Apply"},
                  {IDC_IGMP_REFRESH, "&Refresh"},
                  {IDC_IGMP_VLAN_INFO, "&IGMP Vlan Info"},
                  {IDC_IGMP_CLOSE, "&Close"}});

    OnCommand(IDC_IGMP_APPLY, [this] { OnApply(); });
    OnCommand(IDC_IGMP_REFRESH, [this] { OnRefresh(); });
    OnCommand(IDC_IGMP_VLAN_INFO, [this] { OnVlanInfo(); });
    OnCommand(IDC_IGMP_ENABLE, [this] { OnEnableSnooping(); });
    OnCommand(IDC_IGMP_CLOSE, [this] { OnCancel(); });
    OnMessage(WM_IGMP_RESULT, [this](WPARAM w, LPARAM l) { return OnIGMPResult(w, l); });
}

int CIGMPSnoopConfig::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_IGMPLogic.m_hOwner = this;
    m_IGMPLogic.onGlobalRead = [this](bool ok) { OnGlobalRead(ok); };
    // Nothing to write back until the device's values are shown.
    EnableDlgItem(IDC_IGMP_APPLY, false);
    OnRefresh();
    return 1;
}

// Read without holding the window; Refresh returns when the read has ended.
void CIGMPSnoopConfig::OnRefresh() {
    EnableDlgItem(IDC_IGMP_REFRESH, false);
    m_IGMPLogic.StartGlobalRead();
}

void CIGMPSnoopConfig::OnGlobalRead(bool ok) {
    EnableDlgItem(IDC_IGMP_REFRESH, true);
    if (!ok) {
        // The fields keep what they showed; the user can try again.
        AfxMessageBox(kReadFailed, MB_OK);
        return;
    }
    ShowSettings();
}

void CIGMPSnoopConfig::EnableFields(bool enable) {
    for (const NumberField& f : kFields) {
        EnableDlgItem(f.id, enable);
    }
}

LRESULT CIGMPSnoopConfig::OnIGMPResult(WPARAM wParam, LPARAM /*lParam*/) {
    if (wParam == 2) {
        ShowSettings();
    }
    return 0;
}

void CIGMPSnoopConfig::ShowSettings() {
    const IGMPGlobalSettings& s = m_IGMPLogic.m_GlobalSettings;
    CheckDlgButton(IDC_IGMP_ENABLE, s.state == "1" ? 1 : 0);
    CheckDlgButton(IDC_IGMP_REPORT_ALL, s.reportAllPorts == "1" ? 1 : 0);
    const bool enabled = IsDlgButtonChecked(IDC_IGMP_ENABLE) == 1;
    EnableFields(enabled);
    SetDlgItemText(IDC_IGMP_HOST_TIMEOUT, s.hostTimeout);
    SetDlgItemText(IDC_IGMP_ROUTER_TIMEOUT, s.routerTimeout);
    SetDlgItemText(IDC_IGMP_ROBUSTNESS, s.robustness);
    SetDlgItemText(IDC_IGMP_QUERY_INTERVAL, s.queryInterval);
    SetDlgItemText(IDC_IGMP_LAST_MEMBER, s.lastMemberInterval);
    SetDlgItemText(IDC_IGMP_MAX_RESPONSE, s.maxResponseTime);
    EnableDlgItem(IDC_IGMP_REPORT_ALL, enabled);
    EnableDlgItem(IDC_IGMP_REFRESH, true);
    m_bSettingsRead = true;
    EnableDlgItem(IDC_IGMP_APPLY, true);
}

void CIGMPSnoopConfig::OnEnableSnooping() {
    const bool enabled = IsDlgButtonChecked(IDC_IGMP_ENABLE) == 1;
    EnableFields(enabled);
    EnableDlgItem(IDC_IGMP_REPORT_ALL, enabled);
}

void CIGMPSnoopConfig::OnApply() {
    if (!m_bSettingsRead || m_run.Running()) {
        return;
    }
    const std::string state = IsDlgButtonChecked(IDC_IGMP_ENABLE) == 1 ? "1" : "2";
    const std::string report = IsDlgButtonChecked(IDC_IGMP_REPORT_ALL) == 1 ? "1" : "2";
    // Every field is checked, greyed or not; a text that is no number counts as 0.
    for (const NumberField& f : kFields) {
        const long value = std::atol(GetDlgItemText(f.id).c_str());
        if (value < f.lo || value > f.hi) {
            AfxMessageBox(f.message, MB_OK);
            return;
        }
    }
    if (state == "2" && AfxMessageBox("All router ports will be deleted.", MB_OKCANCEL) != IDOK) {
        OnRefresh();
        return;
    }
    IGMPGlobalSettings settings;
    settings.state = state;
    settings.routerTimeout = GetDlgItemText(IDC_IGMP_ROUTER_TIMEOUT);
    settings.hostTimeout = GetDlgItemText(IDC_IGMP_HOST_TIMEOUT);
    settings.robustness = GetDlgItemText(IDC_IGMP_ROBUSTNESS);
    settings.lastMemberInterval = GetDlgItemText(IDC_IGMP_LAST_MEMBER);
    settings.queryInterval = GetDlgItemText(IDC_IGMP_QUERY_INTERVAL);
    settings.maxResponseTime = GetDlgItemText(IDC_IGMP_MAX_RESPONSE);
    settings.reportAllPorts = report;
    // The writes run off the window's thread (the state, then the changed fields); what the device holds
    // afterwards is shown by the read that follows.
    EnableDlgItem(IDC_IGMP_REFRESH, false);
    const IGMPGlobalSettings old = m_IGMPLogic.m_GlobalSettings;
    StartIgmpWrite(
        m_run, m_IGMPLogic, [this, old, settings] { m_IGMPLogic.WriteGlobalSettings(old, settings); },
        StepsName{"the IGMP snooping settings", true}, [this] { OnRefresh(); });
}

void StartIgmpWrite(CStepRun& run, CIGMPSnoopingLogic& logic, std::function<void()> write,
                    const StepsName& what, std::function<void()> afterwards) {
    run.Runner().SetCancel([&logic] { logic.m_cCommonSNMPSet.Cancel(); });
    run.Start(
        1,
        [&run, &logic, write](int) {
            if (run.Runner().Stopping()) {
                return StepOutcome::NothingSent();
            }
            write();
            if (!logic.m_failedWrite) {
                return StepOutcome::Done();
            }
            StepOutcome outcome = StepOutcome::Of(*logic.m_failedWrite);
            outcome.sent = outcome.sent || logic.m_acceptedWrites > 0;  // the state went before the rest
            return outcome;
        },
        [](int, int) { return QString("Writing the IGMP snooping settings..."); },
        [&logic, what, afterwards](const StepsEnd& end) {
            if (end.stopped) {
                AfxMessageBox(RunEndText(end, ListNamer({what})), MB_OK);
                return;
            }
            if (logic.m_failedWrite) {
                AfxMessageBox(AnswerText(*logic.m_failedWrite, what) + " The settings it holds are shown.",
                              MB_OK);
            }
            afterwards();
        });
}

void CIGMPSnoopConfig::OnVlanInfo() {
    // The state last read from the device, not the check box.
    CIGMPSnoopingVLANSetting dlg(m_IGMPLogic.m_GlobalSettings.state);
    dlg.DoModal();
}

int CIGMPSnoopConfig::DestroyWindow() {
    m_run.Stop();  // Apply's writes end before their sessions close
    m_IGMPLogic.CloseSessions();
    return CDialog::DestroyWindow();
}
