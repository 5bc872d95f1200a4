// DHCP/BOOTP relay global settings dialog.
#include "features/security/DHCPBOOTPRelayGlobalDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <memory>
#include <optional>

#include "core/RunText.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Form.h"
#include "res/ids_legacy.h"

using namespace ksx;

namespace {

// A whole decimal number within low..high; nothing else.
std::optional<long long> ParseNumber(const std::string& text, long long low, long long high) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const long long value = std::stoll(text);
    if (value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

CDHCPBOOTPRelayGlobalDlg::CDHCPBOOTPRelayGlobalDlg(QWidget* parent) : CDialog(IDD_RELAY_GLOBAL, parent) {
    OwnSession(m_run.Runner());  // stopped before the sessions its steps use are closed
    OwnSessions(m_logic.Sessions());
    OwnSessions(m_logic.ModuleSessions());
    m_run.Runner().SetCancel([this] { m_logic.CancelScalars(); });
    OnMessage(WM_DHCPRELAY_RESULT, [this](WPARAM w, LPARAM l) { return OnResult(w, l); });
    OnNotify(CBN_SELCHANGE, IDC_RLG_REMOTE_TYPE, Handler([this] { OnRemoteTypeChanged(); }));
    OnCommand(IDC_RLG_APPLY, [this] { OnApply(); });
    OnCommand(IDC_RLG_REFRESH, [this] {
        if (!m_run.Running()) {
            Refresh();
        }
    });
}

CDHCPBOOTPRelayGlobalDlg::~CDHCPBOOTPRelayGlobalDlg() = default;

void CDHCPBOOTPRelayGlobalDlg::CreateControls() {
    SetWindowText("DHCP BOOTP Relay Global Settings");
    ui::Form form(*this);
    ui::Form group = form.Group("");
    group.Field("BOOTP Relay State ", group.Combo(IDC_RLG_STATE));
    group.Field("BOOTP Relay Hops Count Limit (1-16) ", group.Edit(IDC_RLG_HOPS));
    group.Field("BOOTP Relay Time Threshold (0-65535) ", group.Edit(IDC_RLG_THRESHOLD));
    group.Field("DHCP Relay Agent Information Option 82 State ", group.Combo(IDC_RLG_OPT82_STATE));
    group.Field("DHCP Relay Agent Information Option 82 Check ", group.Combo(IDC_RLG_OPT82_CHECK));
    group.Field("DHCP Relay Agent Information Option 82 Policy ", group.Combo(IDC_RLG_OPT82_POLICY));
    // The remote-ID type and its text share the last line of the label column.
    auto* remote = new QWidget;
    auto* line = new QHBoxLayout(remote);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(group.Combo(IDC_RLG_REMOTE_TYPE));
    line->addWidget(group.Edit(IDC_RLG_REMOTE_ID), 1);
    group.Field("DHCP Relay Agent Information Option 82 Remote ID ", remote);
    form.Buttons({{IDC_RLG_APPLY, "&Apply"}, {IDC_RLG_REFRESH, "&Refresh"}});
}

int CDHCPBOOTPRelayGlobalDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    // The three on/off lists are sorted: "Disabled" is item 0, "Enabled" item 1.
    for (int id : {IDC_RLG_STATE, IDC_RLG_OPT82_STATE, IDC_RLG_OPT82_CHECK}) {
        Item<QComboBox>(id)->addItems({"Disabled", "Enabled"});
    }
    Item<QComboBox>(IDC_RLG_OPT82_POLICY)->addItems({"Replace", "Drop", "Keep"});
    Item<QComboBox>(IDC_RLG_REMOTE_TYPE)->addItems({"Default", "User Define"});
    for (int id : {IDC_RLG_STATE, IDC_RLG_OPT82_STATE, IDC_RLG_OPT82_CHECK, IDC_RLG_OPT82_POLICY,
                   IDC_RLG_REMOTE_TYPE}) {
        Item<QComboBox>(id)->setCurrentIndex(0);
    }
    auto* remoteId = Item<QLineEdit>(IDC_RLG_REMOTE_ID);
    remoteId->setMaxLength(32);
    remoteId->setMinimumWidth(remoteId->fontMetrics().horizontalAdvance(QString(24, 'W')));
    m_logic.SetOwnerWnd(this);
    Refresh();
    return 1;
}

void CDHCPBOOTPRelayGlobalDlg::Refresh() {
    EnableDlgItem(IDC_RLG_APPLY, false);
    m_logic.ReadRelayGlobal();
}

LRESULT CDHCPBOOTPRelayGlobalDlg::OnResult(WPARAM wParam, LPARAM lParam) {
    if (wParam == 0 && lParam != 0) {
        ShowGlobal(*Record<DHCPRelayGlobalInfo>(lParam));
    }
    return 0;
}

void CDHCPBOOTPRelayGlobalDlg::ShowGlobal(const DHCPRelayGlobalInfo& info) {
    const auto& v = info.value;
    // A value that did not read shows as no selection or an empty field, never as a default.
    const auto pick = [&](int id, size_t i, int index) {
        Item<QComboBox>(id)->setCurrentIndex(info.read[i] ? index : -1);
    };
    pick(IDC_RLG_STATE, 0, v[0] == "1" ? 1 : 0);
    SetDlgItemText(IDC_RLG_HOPS, v[1]);
    SetDlgItemText(IDC_RLG_THRESHOLD, v[2]);
    pick(IDC_RLG_OPT82_STATE, 3, v[3] == "1" ? 1 : 0);
    EnableDlgItem(IDC_RLG_OPT82_STATE, false);
    pick(IDC_RLG_OPT82_CHECK, 4, v[4] == "1" ? 1 : 0);
    const bool policyKnown = v[5] == "1" || v[5] == "2" || v[5] == "3";
    Item<QComboBox>(IDC_RLG_OPT82_POLICY)->setCurrentIndex(policyKnown ? std::stoi(v[5]) - 1 : -1);
    pick(IDC_RLG_REMOTE_TYPE, 6, v[6] == "1" ? 0 : 1);
    EnableDlgItem(IDC_RLG_REMOTE_ID, info.read[6] && v[6] != "1");
    SetDlgItemText(IDC_RLG_REMOTE_ID, v[7]);
    ++m_readsEnded;
    // Apply writes every value back: only after a read that gave all of them, the policy one of its
    // three.
    bool complete = policyKnown;
    for (bool read : info.read) {
        complete = complete && read;
    }
    EnableDlgItem(IDC_RLG_APPLY, complete);
    if (!complete) {
        AfxMessageBox("Failed to read the DHCP/BOOTP relay settings.", MB_OK);
    }
}

void CDHCPBOOTPRelayGlobalDlg::OnRemoteTypeChanged() {
    EnableDlgItem(IDC_RLG_REMOTE_ID, Item<QComboBox>(IDC_RLG_REMOTE_TYPE)->currentIndex() != 0);
}

void CDHCPBOOTPRelayGlobalDlg::OnApply() {
    if (!IsDlgItemEnabled(IDC_RLG_APPLY) || m_run.Running()) {
        return;
    }
    DHCPRelayGlobalInfo info;
    info.value[0] = Item<QComboBox>(IDC_RLG_STATE)->currentIndex() == 1 ? "1" : "2";
    const std::optional<long long> hops = ParseNumber(GetDlgItemText(IDC_RLG_HOPS), 1, 16);
    if (!hops) {
        AfxMessageBox("BOOTP Relay Hops Count Limit rang is 1-16", MB_OK);
        return;
    }
    info.value[1] = std::to_string(*hops);
    // An empty threshold is 0.
    const std::string thresholdText = GetDlgItemText(IDC_RLG_THRESHOLD);
    const std::optional<long long> threshold =
        thresholdText.empty() ? 0 : ParseNumber(thresholdText, 0, 65535);
    if (!threshold) {
        AfxMessageBox("BOOTP Relay Time Threshold is 0-65535 ", MB_OK);
        return;
    }
    info.value[2] = std::to_string(*threshold);
    info.value[4] = Item<QComboBox>(IDC_RLG_OPT82_CHECK)->currentIndex() == 1 ? "1" : "2";
    const int policy = Item<QComboBox>(IDC_RLG_OPT82_POLICY)->currentIndex();
    if (policy < 0) {
        AfxMessageBox("Please select the DHCP Relay Agent Information Option 82 Policy.", MB_OK);
        return;
    }
    info.value[5] = std::to_string(policy + 1);
    info.value[6] = Item<QComboBox>(IDC_RLG_REMOTE_TYPE)->currentIndex() == 0 ? "1" : "2";
    info.value[7] = GetDlgItemText(IDC_RLG_REMOTE_ID);
    // The write, then the read of what the device holds, on the run's worker; shown once it ends.
    EnableDlgItem(IDC_RLG_APPLY, false);
    EnableDlgItem(IDC_RLG_REFRESH, false);
    const StepsName what{"the DHCP/BOOTP relay settings", true};
    m_run.StartWriteAndReadBack<DHCPRelayGlobalInfo>(
        what, "Writing the DHCP/BOOTP relay settings...", "Reading the DHCP/BOOTP relay settings...",
        [this, info] { return m_logic.WriteRelayGlobal(info); },
        [this] { return m_logic.FetchRelayGlobal(); },
        [what](const SnmpAnswer& answer) { return AnswerText(answer, what); },
        [this, what](const SnmpAnswer& answer, const DHCPRelayGlobalInfo& read) {
            EnableDlgItem(IDC_RLG_REFRESH, true);
            if (!answer.Accepted()) {
                AfxMessageBox(AnswerText(answer, what), MB_OK);
            }
            ShowGlobal(read);
        });
}
