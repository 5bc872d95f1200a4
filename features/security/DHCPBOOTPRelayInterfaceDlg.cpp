// DHCP/BOOTP relay interface settings dialog.
#include "features/security/DHCPBOOTPRelayInterfaceDlg.h"

#include <QApplication>
#include <QLineEdit>
#include <algorithm>

#include "controls/IPAddressCtrl.h"
#include "controls/ListCtrlEx.h"
#include "core/RunText.h"
#include "platform/sys/MessageBox.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/Form.h"
#include "platform/ui/Text.h"
#include "res/ids_legacy.h"

using namespace ksx;

namespace {

constexpr int kMaxServers = 4;
// The pause between creating a server's row and making it active.
const ksx::Tunable kActivatePauseMs("dhcp-relay.activate-pause-ms", 50);

}  // namespace

CDHCPBOOTPRelayInterfaceDlg::CDHCPBOOTPRelayInterfaceDlg(QWidget* parent)
    : CDialog(IDD_RELAY_INTERFACE, parent) {
    OwnSessions(m_logic.Sessions());
    OwnSessions(m_logic.ModuleSessions());
    OnMessage(WM_DHCPRELAY_RESULT, [this](WPARAM w, LPARAM l) { return OnResult(w, l); });
    OnCommand(IDC_RLI_APPLY, [this] { OnApply(); });
    OnCommand(IDC_RLI_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_RLI_REFRESH, [this] {
        if (!m_run.Running()) {
            Refresh();
        }
    });
    OnCommand(IDC_RLI_CLOSE, [this] { OnCancel(); });
}

CDHCPBOOTPRelayInterfaceDlg::~CDHCPBOOTPRelayInterfaceDlg() = default;

void CDHCPBOOTPRelayInterfaceDlg::CreateControls() {
    SetWindowText("DHCP/BOOTP Relay Interface Settings");
    ui::Form form(*this);
    ui::Form top = form.Group("");
    QLineEdit* iface = top.Edit(IDC_RLI_INTERFACE);
    iface->setReadOnly(true);
    iface->setMinimumWidth(iface->fontMetrics().horizontalAdvance("SystemW") + 16);
    m_address = RegisterControl(IDC_RLI_SERVER_IP, new CIPAddressCtrl);
    top.Row({"Interface", iface, "Server IP", m_address, ui::Form::Stretch,
             top.Button(IDC_RLI_APPLY, "&Apply ")});
    ui::Form table = form.Group("DHCP/BOOTP Relay Interface Table");
    m_list = table.Fill(RegisterControl(IDC_RLI_LIST, new CListCtrlEx));
    form.Buttons({{IDC_RLI_DELETE, "&Delete"}, {IDC_RLI_REFRESH, "&Refresh"}, {IDC_RLI_CLOSE, "&Close"}});
}

int CDHCPBOOTPRelayInterfaceDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_list->SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    m_list->ModifyListStyle(0, LVS_SINGLESEL);
    m_list->InsertColumn(0, "Interface", LVCFMT_LEFT, 80);
    m_list->InsertColumn(1, "Server", LVCFMT_LEFT, 120);
    m_list->setMinimumHeight(140);
    SetDlgItemText(IDC_RLI_INTERFACE, "System");
    m_logic.SetOwnerWnd(this);
    Refresh();
    return 1;
}

void CDHCPBOOTPRelayInterfaceDlg::Refresh() {
    // Add checks the limit and duplicates against the list: it waits for the whole list.
    for (int id : {IDC_RLI_APPLY, IDC_RLI_DELETE, IDC_RLI_REFRESH}) {
        EnableDlgItem(id, false);
    }
    m_list->DeleteAllItems();
    m_arrServers.clear();
    m_logic.ReadRelayServers();
}

LRESULT CDHCPBOOTPRelayInterfaceDlg::OnResult(WPARAM wParam, LPARAM lParam) {
    if (wParam == 0 && lParam != 0) {
        const DHCPRelayServerInfo& info = *Record<DHCPRelayServerInfo>(lParam);
        if (info.value[2] == "1") {
            const int row = m_list->GetItemCount();
            m_list->SetItemTextEx(row, 0, ui::ToQ(info.value[0]));
            m_list->SetItemTextEx(row, 1, ui::ToQ(info.value[1]));
            m_arrServers.push_back(info.value[1]);
        }
    } else if (wParam == 1) {
        ++m_walksEnded;
        const bool ok = m_logic.LastServerWalkOk();
        EnableDlgItem(IDC_RLI_REFRESH, true);
        EnableDlgItem(IDC_RLI_DELETE, true);
        EnableDlgItem(IDC_RLI_APPLY, ok);
        if (!ok) {
            AfxMessageBox("Failed to read the DHCP/BOOTP relay servers.", MB_OK);
        }
    }
    return 0;
}

void CDHCPBOOTPRelayInterfaceDlg::OnApply() {
    if (!IsDlgItemEnabled(IDC_RLI_APPLY) || m_run.Running()) {
        return;
    }
    const std::string address = m_address->GetAddress();
    if (m_list->GetItemCount() >= kMaxServers) {
        AfxMessageBox("Maximum number of servers(4) has been reached.", MB_OK);
        return;
    }
    if (address.empty()) {
        AfxMessageBox("Please enter the whole server IP address.", MB_OK);
        return;
    }
    if (std::find(m_arrServers.begin(), m_arrServers.end(), address) != m_arrServers.end()) {
        AfxMessageBox("Server IP Already Exist. ", MB_OK);
        return;
    }
    StartAdd(address);
}

void CDHCPBOOTPRelayInterfaceDlg::StartAdd(const std::string& address) {
    // The create and the activation go out off the window's thread.
    m_addProgress.Reset();
    m_other.Begin();
    for (int id : {IDC_RLI_APPLY, IDC_RLI_DELETE, IDC_RLI_REFRESH}) {
        EnableDlgItem(id, false);
    }
    const unsigned pauseMs = static_cast<unsigned>(std::max(kActivatePauseMs.Get(), 0));
    m_run.Runner().SetCancel([this] { m_logic.CancelAdd(); });
    m_run.Start(
        CDHCPBootpLogic::kAddSteps,
        [this, address, pauseMs](int i) {
            return m_logic.AddServerStep(i, address, pauseMs, m_addProgress, m_run.Runner(), &m_other);
        },
        [address](int i, int) {
            return QString("Adding the relay server %1: %2...")
                .arg(ui::ToQ(address), i == 0 ? "creating its row" : "activating it");
        },
        [this, address](const StepsEnd& end) {
            if (end.stopped) {
                // Closed during the add: the dialog is ending.
                AfxMessageBox(StoppedAddText("the relay server " + address, m_addProgress), MB_OK);
                return;
            }
            if (m_other.Found()) {
                // Another entry of that server, not active: replaced only on the user's Yes.
                if (AskReplace(m_other, "the relay server " + address) && isVisible()) {
                    StartAdd(address);
                    return;
                }
            } else if (end.failed && !end.failure.empty()) {
                AfxMessageBox(end.failure, MB_OK);
            }
            if (isVisible()) {
                Refresh();
            }
        });
}

void CDHCPBOOTPRelayInterfaceDlg::OnDelete() {
    if (!IsDlgItemEnabled(IDC_RLI_DELETE) || m_run.Running()) {
        return;
    }
    const int row = m_list->GetFirstSelectedItem();
    if (row < 0) {
        AfxMessageBox("Please select the server to delete", MB_OK);
        return;
    }
    const std::string server = ui::ToStd(m_list->GetItemText(row, 1));
    if (const SnmpAnswer answer = m_logic.DeleteRelayServer(server); !answer.Accepted()) {
        AfxMessageBox(
            AnswerText(answer, {"it"}, "Failed to delete the relay server " + server + ": ", "deleted"),
            MB_OK);
    }
    Refresh();
}
