// IGMP multicast entry table dialog.
#include "features/layer2/IGMPMulticastEntryTable.h"

#include <QApplication>

#include "controls/ListCtrlEx.h"
#include "platform/ui/Form.h"
#include "res/ids_igmp.h"

using namespace ksx;

CIGMPMulticastEntryTable::CIGMPMulticastEntryTable(QWidget* parent)
    : CDialog(IDD_IGMP_MULTICAST_TABLE, parent) {}

CIGMPMulticastEntryTable::~CIGMPMulticastEntryTable() = default;

void CIGMPMulticastEntryTable::CreateControls() {
    SetWindowText("Multicast Entry Table");
    ui::Form form(*this);
    ui::Form group = form.Group("Multicast Entry Table Info", IDC_IGMPM_GROUP);
    m_list = group.Fill(RegisterControl(IDC_IGMPM_LIST, new CListCtrlEx));
    form.Buttons({{IDC_IGMPM_REFRESH, "&Refresh"}, {IDC_IGMPM_CLOSE, "&Close"}});
    OnCommand(IDC_IGMPM_REFRESH, [this] { OnRefresh(); });
    OnCommand(IDC_IGMPM_CLOSE, [this] { OnCancel(); });
    OnMessage(WM_IGMP_GROUP_RESULT, [this](WPARAM w, LPARAM l) { return OnGroupResult(w, l); });
}

int CIGMPMulticastEntryTable::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_list->InsertColumn(0, "Group ID", LVCFMT_LEFT, 80);
    m_list->InsertColumn(1, "VLAN ID", LVCFMT_LEFT, 80);
    m_list->InsertColumn(2, "Multicast  Group", LVCFMT_LEFT, 150);
    m_list->InsertColumn(3, "Multicast MAC address", LVCFMT_LEFT, 180);
    m_list->InsertColumn(4, "Port Members", LVCFMT_LEFT, 140);
    m_list->setMinimumWidth(80 + 80 + 150 + 180 + 140 + 24);
    m_IGMPLogic.m_hOwner = this;
    OnRefresh();
    return 1;
}

void CIGMPMulticastEntryTable::OnRefresh() {
    EnableDlgItem(IDC_IGMPM_REFRESH, false);
    m_list->DeleteAllItems();
    m_IGMPLogic.ReadMulticastEntries();
}

LRESULT CIGMPMulticastEntryTable::OnGroupResult(WPARAM wParam, LPARAM lParam) {
    if (wParam == 0 && lParam != 0) {
        const auto& entry = *ksx::Record<IGMPGroupEntry>(lParam);
        const int n = m_list->GetItemCount();
        m_list->SetItemTextEx(n, 0, QString::number(n + 1));
        m_list->SetItemTextEx(n, 1, QString::fromStdString(entry.vlanId));
        m_list->SetItemTextEx(n, 2, QString::fromStdString(entry.groupAddress));
        m_list->SetItemTextEx(n, 3, QString::fromStdString(entry.groupMac));
        m_list->SetItemTextEx(n, 4, QString::fromStdString(entry.memberPorts));
    } else if (wParam == 3) {
        EnableDlgItem(IDC_IGMPM_REFRESH, true);
    }
    return 0;
}

int CIGMPMulticastEntryTable::DestroyWindow() {
    m_IGMPLogic.CloseSessions();
    return CDialog::DestroyWindow();
}
