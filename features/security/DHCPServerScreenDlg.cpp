// DHCP server screening dialog.
#include "features/security/DHCPServerScreenDlg.h"

#include <QApplication>
#include <QLineEdit>

#include <cstdlib>
#include <vector>

#include "controls/EditEXIPV6.h"
#include "controls/ListCtrlEx.h"
#include "core/Utils.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "platform/ui/Text.h"
#include "res/ids_screening.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_DHCP_SCREENING, [] {
    CDHCPServerScreenDlg dlg;
    dlg.DoModal();
});

constexpr int kMaxEntries = 5;

std::string Join(const std::vector<std::string>& parts) {
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) {
        text += i == 0 ? "" : (i + 1 == parts.size() ? " and " : ", ");
        text += parts[i];
    }
    return text;
}

}  // namespace

CDHCPServerScreenDlg::CDHCPServerScreenDlg(QWidget* parent) : CDialog(IDD_DHCP_SCREENING, parent) {
    OwnSessions(m_DHCPServerLogic.Sessions());
}

CDHCPServerScreenDlg::~CDHCPServerScreenDlg() = default;

void CDHCPServerScreenDlg::CreateControls() {
    SetWindowText("DHCP Server Screening Settings  ");
    ui::Form form(*this);

    auto ports = form.Group("DHCP Server Trusted Port Settings");
    QLineEdit* portEdit = ports.Edit(IDC_DHCPSCR_PORTS);
    portEdit->setMinimumWidth(portEdit->fontMetrics().horizontalAdvance("1-4,6,8,10-12,14") + 12);
    ports.Row({"DHCP Server Trusted Port :", portEdit, "Ex:(1,2,4-6) ", ui::Form::Stretch,
               ports.Button(IDC_DHCPSCR_PORT_ADD, "&Add")});

    auto server = form.Group("Trusted DHCP Server IP Settings");
    m_editServerIP = RegisterControl(IDC_DHCPSCR_SERVER_IP, new CEditEXIPV6);
    m_editServerIP->setMinimumWidth(
        m_editServerIP->fontMetrics().horizontalAdvance("ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff") + 12);
    server.Row(
        {"IP Address", m_editServerIP, ui::Form::Stretch, server.Button(IDC_DHCPSCR_SERVER_ADD, "&Add")});

    auto lists = form.Group("Trusted DHCP Server IP Lists ");
    lists.Note("Note:Maximum 5 entries");
    m_ServerList = lists.Fill(RegisterControl(IDC_DHCPSCR_LIST, new CListCtrlEx));
    lists.Row({ui::Form::Stretch, lists.Button(IDC_DHCPSCR_DELETE, "&Delete"),
               lists.Button(IDC_DHCPSCR_REFRESH, "&Refresh")});
    form.Buttons({{IDC_DHCPSCR_CLOSE, "&Close"}});

    OnCommand(IDC_DHCPSCR_REFRESH, [this] {
        if (!m_run.Running()) {
            Refresh();
        }
    });
    OnCommand(IDC_DHCPSCR_PORT_ADD, [this] { OnApplyPorts(); });
    OnCommand(IDC_DHCPSCR_SERVER_ADD, [this] { OnAddServer(); });
    OnCommand(IDC_DHCPSCR_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_DHCPSCR_CLOSE, [this] { OnCancel(); });
    OnMessage(WM_DHCPSCREEN_RESULT, [this](WPARAM w, LPARAM l) { return OnResult(w, l); });
    OnMessage(WM_DHCPSCREEN_TRUNKS, [this](WPARAM w, LPARAM l) { return OnTrunksDone(w, l); });
    OnMessage(WM_DHCPSCREEN_PORTS, [this](WPARAM w, LPARAM l) { return OnPortsRead(w, l); });
}

int CDHCPServerScreenDlg::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_DHCPServerLogic.SetOwnerWnd(this);
    m_ServerList->SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    m_ServerList->ModifyListStyle(0, LVS_SINGLESEL);
    m_ServerList->InsertColumn(0, "Index", LVCFMT_LEFT, 150);
    m_ServerList->InsertColumn(1, "IP Address", LVCFMT_LEFT, 450);
    Refresh();
    return 1;
}

void CDHCPServerScreenDlg::Refresh() {
    // Every action waits for the reads it depends on: the port Add for the bitmap and the trunk
    // membership, the server Add for the whole table (the free index and the limit of five).
    for (int id : {IDC_DHCPSCR_PORT_ADD, IDC_DHCPSCR_SERVER_ADD, IDC_DHCPSCR_DELETE, IDC_DHCPSCR_REFRESH}) {
        EnableDlgItem(id, false);
    }
    m_ServerList->DeleteAllItems();
    m_usedIndexes.clear();
    m_bPortsRead = false;
    m_bWalkEnded = false;
    m_bTrunksEnded = false;
    m_bTrunksRead = false;
    // The bitmap first, then the table and the trunk membership, in the order the device sees them.
    m_DHCPServerLogic.ReadTrustedPorts();
}

LRESULT CDHCPServerScreenDlg::OnPortsRead(WPARAM wParam, LPARAM lParam) {
    m_bPortsRead = wParam == 1 && lParam != 0;
    // A failed read shows no ports: neither the last read's nor a default stand for the device's.
    m_strTrustedPorts = m_bPortsRead ? *Record<std::string>(lParam) : std::string();
    SetDlgItemText(IDC_DHCPSCR_PORTS, "");
    SetDlgItemText(IDC_DHCPSCR_PORTS, m_strTrustedPorts);
    m_DHCPServerLogic.ReadServerTable();
    m_DHCPServerLogic.ReadTrunkPorts();
    return 0;
}

LRESULT CDHCPServerScreenDlg::OnResult(WPARAM wParam, LPARAM lParam) {
    if (wParam == 0 && lParam != 0) {
        const DHCPServerEntry& entry = *Record<DHCPServerEntry>(lParam);
        m_usedIndexes.insert(std::atoll(entry.index.c_str()));
        if (entry.rowStatus == "1") {
            const int row = m_ServerList->GetItemCount();
            m_ServerList->SetItemTextEx(row, 0, ui::ToQ(entry.index));
            m_ServerList->SetItemTextEx(row, 1, ui::ToQ(entry.address));
        }
    } else if (wParam == 1) {
        m_bWalkEnded = true;
        ReadsEnded();
    }
    return 0;
}

LRESULT CDHCPServerScreenDlg::OnTrunksDone(WPARAM wParam, LPARAM /*lParam*/) {
    m_bTrunksEnded = true;
    m_bTrunksRead = wParam == 1;
    ReadsEnded();
    return 0;
}

void CDHCPServerScreenDlg::ReadsEnded() {
    if (!m_bWalkEnded || !m_bTrunksEnded) {
        return;
    }
    ++m_refreshesEnded;
    const bool tableRead = m_DHCPServerLogic.LastWalkOk();
    EnableDlgItem(IDC_DHCPSCR_REFRESH, true);
    EnableDlgItem(IDC_DHCPSCR_DELETE, true);
    EnableDlgItem(IDC_DHCPSCR_SERVER_ADD, tableRead);
    EnableDlgItem(IDC_DHCPSCR_PORT_ADD, m_bPortsRead && m_bTrunksRead);
    std::vector<std::string> failed;
    if (!m_bPortsRead) {
        failed.push_back("the trusted ports");
    }
    if (!tableRead) {
        failed.push_back("the trusted DHCP server list");
    }
    if (!m_bTrunksRead) {
        failed.push_back("the link aggregation groups");
    }
    if (!failed.empty()) {
        AfxMessageBox("Failed to read " + Join(failed) + ".", MB_OK);
    }
}

void CDHCPServerScreenDlg::OnApplyPorts() {
    if (!IsDlgItemEnabled(IDC_DHCPSCR_PORT_ADD)) {
        return;
    }
    const std::string text = GetDlgItemText(IDC_DHCPSCR_PORTS);
    if (text == m_strTrustedPorts) {
        return;
    }
    if (m_DHCPServerLogic.SetTrustedPorts(text)) {
        Refresh();
    } else if (!m_DHCPServerLogic.LastFailure().empty()) {
        AfxMessageBox(m_DHCPServerLogic.LastFailure(), MB_OK);
        Refresh();
    }
}

std::string CDHCPServerScreenDlg::FreeIndex() const {
    long long index = 1;
    while (m_usedIndexes.count(index) != 0) {
        ++index;
    }
    return std::to_string(index);
}

void CDHCPServerScreenDlg::OnAddServer() {
    if (!IsDlgItemEnabled(IDC_DHCPSCR_SERVER_ADD)) {
        return;
    }
    // The edit checks its text when it loses the focus: check it now, whatever had the focus.
    m_editServerIP->OnKillFocus();
    if (m_editServerIP->m_nValidCode == 0) {
        AfxMessageBox("Invalid server IP address.", MB_OK);
        return;
    }
    if (m_editServerIP->m_nValidCode != 1) {
        m_editServerIP->ShowAddressError();
        return;
    }
    if (m_ServerList->GetItemCount() >= kMaxEntries) {
        AfxMessageBox("The maximum entries is 5.", MB_OK);
        return;
    }
    std::string entered = m_editServerIP->m_strAddress;
    if (m_editServerIP->m_strAddrType == "2") {
        entered = CUtils::CompressIPv6(CUtils::ExpandIPv6(entered));
    }
    for (int row = 0; row < m_ServerList->GetItemCount(); ++row) {
        if (ui::ToStd(m_ServerList->GetItemText(row, 1)) == entered) {
            AfxMessageBox("Duplicate server IP address.", MB_OK);
            return;
        }
    }
    // The fields are taken now; the create, the address and the activation go out off the window's thread.
    StartAddServer(CDHCPServerLogic::ServerAddOf(FreeIndex(), m_editServerIP->m_strAddrType,
                                                 GetDlgItemText(IDC_DHCPSCR_SERVER_IP)));
}

void CDHCPServerScreenDlg::StartAddServer(const DHCPServerAdd& add) {
    m_addProgress.Reset();
    m_other.Begin();
    for (int id : {IDC_DHCPSCR_PORT_ADD, IDC_DHCPSCR_SERVER_ADD, IDC_DHCPSCR_DELETE, IDC_DHCPSCR_REFRESH}) {
        EnableDlgItem(id, false);
    }
    m_run.Runner().SetCancel([this] { m_DHCPServerLogic.CancelWrites(); });
    m_run.Start(
        CDHCPServerLogic::kAddSteps,
        [this, add](int i) {
            return m_DHCPServerLogic.AddServerStep(
                i, add, m_addProgress, [this] { return m_run.Runner().Stopping(); }, &m_other);
        },
        [](int i, int) {
            static const char* const kSteps[] = {"creating its entry", "writing its address",
                                                 "activating it"};
            return QString("Adding the trusted DHCP server: %1...").arg(kSteps[i < 3 ? i : 2]);
        },
        [this, add](const StepsEnd& end) {
            if (end.stopped) {
                // Closed during the add: the dialog is ending.
                AfxMessageBox(StoppedAddText(CDHCPServerLogic::kServerWhat, m_addProgress), MB_OK);
                return;
            }
            if (m_other.Found()) {
                // Another entry of that index, not active: replaced only on the user's Yes.
                if (AskReplace(m_other, CDHCPServerLogic::kServerWhat) && isVisible()) {
                    StartAddServer(add);
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

void CDHCPServerScreenDlg::OnDelete() {
    if (!IsDlgItemEnabled(IDC_DHCPSCR_DELETE)) {
        return;
    }
    const int row = m_ServerList->GetFirstSelectedItem();
    if (row < 0) {
        AfxMessageBox("Please select the entry to delete.", MB_OK);
        return;
    }
    const std::string server = ui::ToStd(m_ServerList->GetItemText(row, 0));
    if (!m_DHCPServerLogic.DeleteServerEntry(server)) {
        AfxMessageBox(m_DHCPServerLogic.LastFailure(), MB_OK);
    }
    Refresh();
}
