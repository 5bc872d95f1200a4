// DHCP local relay settings dialog.
#include "features/security/DHCPLocalRelayDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <algorithm>
#include <memory>
#include <optional>

#include "controls/ListCtrlEx.h"
#include "core/RunText.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Form.h"
#include "platform/ui/Text.h"
#include "res/ids_legacy.h"

using namespace ksx;

CDHCPLocalRelayDlg::CDHCPLocalRelayDlg(QWidget* parent) : CDialog(IDD_RELAY_LOCAL, parent) {
    OwnSession(m_run.Runner());  // both stopped before the sessions their steps use are closed
    OwnSession(m_logic.VlanReads());
    m_run.Runner().SetCancel([this] { m_logic.CancelScalars(); });
    OwnSessions(m_logic.Sessions());
    OwnSessions(m_logic.ModuleSessions());
    OnMessage(WM_DHCPRELAY_RESULT, [this](WPARAM w, LPARAM l) { return OnResult(w, l); });
    OnNotify(CBN_SELCHANGE, IDC_RLL_VID, Handler([this] { OnVidChanged(); }));
    OnCommand(IDC_RLL_APPLY_STATE, [this] { OnApplyState(); });
    OnCommand(IDC_RLL_APPLY_VLAN, [this] { OnApplyVlan(); });
    OnCommand(IDC_RLL_REFRESH, [this] {
        if (!m_run.Running()) {
            Refresh();
        }
    });
}

CDHCPLocalRelayDlg::~CDHCPLocalRelayDlg() = default;

void CDHCPLocalRelayDlg::CreateControls() {
    SetWindowText("DHCP Local Relay Settings");
    ui::Form form(*this);
    ui::Form top = form.Group("");
    top.Row({top.Check(IDC_RLL_ENABLE, "Enable DHCP/BOOTP Local Relay "), ui::Form::Stretch,
             top.Button(IDC_RLL_APPLY_STATE, "&Apply")});
    ui::Form vlans = form.Group("DHCP/BOOTP Local Relay VID List ");
    m_list = vlans.Fill(RegisterControl(IDC_RLL_LIST, new CListCtrlEx));
    QLineEdit* name = vlans.Edit(IDC_RLL_NAME);
    name->setMinimumWidth(name->fontMetrics().horizontalAdvance(QString(20, 'x')) + 16);
    vlans.Row({"VID list:", vlans.Combo(IDC_RLL_VID), "Vlan name:", name, "Status:",
               vlans.Combo(IDC_RLL_STATUS), ui::Form::Stretch, vlans.Button(IDC_RLL_APPLY_VLAN, "&Apply")});
    form.Buttons({{IDC_RLL_REFRESH, "&Refresh"}});
}

int CDHCPLocalRelayDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_list->SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    m_list->InsertColumn(0, "VLAN ID", LVCFMT_LEFT, 80);
    m_list->InsertColumn(1, "VLAN name", LVCFMT_LEFT, 120);
    m_list->InsertColumn(2, "State", LVCFMT_LEFT, 80);
    m_list->setMinimumHeight(160);
    Item<QComboBox>(IDC_RLL_STATUS)->addItems({"Enabled", "Disabled"});
    EnableDlgItem(IDC_RLL_NAME, false);
    m_logic.SetOwnerWnd(this);
    Refresh();
    return 1;
}

void CDHCPLocalRelayDlg::Refresh() {
    ClearForRead();
    m_logic.ReadLocalRelay();
}

void CDHCPLocalRelayDlg::ClearForRead() {
    setEnabled(false);
    m_list->DeleteAllItems();
    Item<QComboBox>(IDC_RLL_VID)->clear();
    SetDlgItemText(IDC_RLL_NAME, "");
    EnableDlgItem(IDC_RLL_REFRESH, false);
    m_bStateRead = false;
}

LRESULT CDHCPLocalRelayDlg::OnResult(WPARAM wParam, LPARAM lParam) {
    if (wParam == 10) {
        ++m_walksEnded;
        EnableDlgItem(IDC_RLL_REFRESH, true);
        setEnabled(true);
        // Apply writes what the user sees: the global state once it was read, a VLAN's once it is listed.
        EnableDlgItem(IDC_RLL_APPLY_STATE, m_bStateRead);
        EnableDlgItem(IDC_RLL_APPLY_VLAN, Item<QComboBox>(IDC_RLL_VID)->count() > 0);
        if (!m_bStateRead || !m_logic.LastLocalWalkOk() || !m_logic.LastVlanReadsOk()) {
            AfxMessageBox("Failed to read the DHCP local relay settings.", MB_OK);
        }
    } else if (wParam == 3) {
        m_bStateRead = lParam != 0;
        // A state that did not read is neither on nor off, and cannot be changed.
        auto* box = Item<QCheckBox>(IDC_RLL_ENABLE);
        box->setTristate(!m_bStateRead);
        box->setEnabled(m_bStateRead);
        CheckDlgButton(IDC_RLL_ENABLE, !m_bStateRead ? 2 : *Record<std::string>(lParam) == "1" ? 1 : 0);
    } else if (wParam == 2 && lParam != 0) {
        const DHCPLocalRelayInfo& info = *Record<DHCPLocalRelayInfo>(lParam);
        if (info.value[3] != "1") {
            return 0;
        }
        const int row = m_list->GetItemCount();
        // A VLAN state that did not read is an empty cell.
        const char* state = info.value[2] == "1" ? "Enabled" : info.value[2] == "2" ? "Disabled" : "";
        m_list->SetItemTextEx(row, 0, ui::ToQ(info.value[0]));
        m_list->SetItemTextEx(row, 1, ui::ToQ(info.value[1]));
        m_list->SetItemTextEx(row, 2, state);
        auto* vids = Item<QComboBox>(IDC_RLL_VID);
        vids->addItem(ui::ToQ(info.value[0]));
        if (row == 0) {
            vids->setCurrentIndex(0);
            SetDlgItemText(IDC_RLL_NAME, info.value[1]);
            Item<QComboBox>(IDC_RLL_STATUS)
                ->setCurrentIndex(info.value[2] == "1"   ? 0
                                  : info.value[2] == "2" ? 1
                                                         : -1);
        }
    }
    return 0;
}

void CDHCPLocalRelayDlg::OnVidChanged() {
    const QString vid = Item<QComboBox>(IDC_RLL_VID)->currentText();
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        if (m_list->GetItemText(row, 0) == vid) {
            SetDlgItemText(IDC_RLL_NAME, ui::ToStd(m_list->GetItemText(row, 1)));
            const QString state = m_list->GetItemText(row, 2);
            Item<QComboBox>(IDC_RLL_STATUS)
                ->setCurrentIndex(state == "Enabled"    ? 0
                                  : state == "Disabled" ? 1
                                                        : -1);
            return;
        }
    }
}

void CDHCPLocalRelayDlg::OnApplyState() {
    if (!IsDlgItemEnabled(IDC_RLL_APPLY_STATE) || m_run.Running()) {
        return;
    }
    const std::string value = IsDlgButtonChecked(IDC_RLL_ENABLE) == 1 ? "1" : "2";
    StartApply([this, value] { return m_logic.SetLocalRelayState(value); }, {"the DHCP local relay state"});
}

void CDHCPLocalRelayDlg::OnApplyVlan() {
    const std::string vid = GetDlgItemText(IDC_RLL_VID);
    if (!IsDlgItemEnabled(IDC_RLL_APPLY_VLAN) || vid.empty() || m_run.Running()) {
        return;
    }
    const int status = Item<QComboBox>(IDC_RLL_STATUS)->currentIndex();
    if (status < 0) {
        return;  // the VLAN's state did not read and none was chosen: nothing to write
    }
    const std::string value = status == 0 ? "1" : "2";
    StartApply([this, vid, value] { return m_logic.SetVlanLocalRelay(vid, value); },
               {"the DHCP local relay state of VLAN " + vid});
}

void CDHCPLocalRelayDlg::StartApply(std::function<SnmpAnswer()> send, const StepsName& what) {
    for (int id : {IDC_RLL_APPLY_STATE, IDC_RLL_APPLY_VLAN, IDC_RLL_REFRESH}) {
        EnableDlgItem(id, false);
    }
    m_run.StartWriteAndReadBack<std::optional<std::string>>(
        what, QString::fromStdString("Writing " + what.text + "..."),
        "Reading the DHCP local relay settings...", std::move(send),
        [this] { return m_logic.FetchLocalState(); },
        [what](const SnmpAnswer& answer) { return AnswerText(answer, what); },
        [this, what](const SnmpAnswer& answer, const std::optional<std::string>& state) {
            if (!answer.Accepted()) {
                AfxMessageBox(AnswerText(answer, what), MB_OK);
            }
            // The list is read again, with the state just read.
            ClearForRead();
            m_logic.ReadLocalRelay(state);
        });
}
