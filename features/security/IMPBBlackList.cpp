// Blocked list.
#include "features/security/IMPBBlackList.h"

#include <QApplication>
#include <QLineEdit>

#include <algorithm>
#include <cctype>

#include "controls/EditEXIPV6.h"
#include "controls/ListCtrlEx.h"
#include "core/RunText.h"
#include "core/Utils.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_impb.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ui::RegisterFeature kRegister(IDM_BLACK_LIST, [] {
    CIMPBBlackList dlg;
    dlg.DoModal();
});

// Widths are the pixels at the default font (the list grows them with the font and the texts).
struct Column {
    const char* heading;
    int width;
};
constexpr Column kColumns[] = {{"VID", 85}, {"IP Address", 185}, {"Mac Address", 200}, {"Port", 90}};

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

}  // namespace

CIMPBBlackList::CIMPBBlackList(QWidget* parent) : CDialog(IDD_IMPB_BLACK, parent) {
    OwnSessions(m_logic.Sessions());
    OnMessage(WM_IMPB_LIST_RESULT, [this](WPARAM w, LPARAM l) { return OnListResult(w, l); });
    OnCommand(IDC_IMPBK_FIND, [this] { OnFind(); });
    OnCommand(IDC_IMPBK_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_IMPBK_REFRESH, [this] { Load(); });
}

CIMPBBlackList::~CIMPBBlackList() = default;

void CIMPBBlackList::CreateControls() {
    SetWindowText("Black List");
    ui::Form form(*this);
    auto filter = form.Group("Find");
    auto* vid = filter.Edit(IDC_IMPBK_VID);
    vid->setMinimumWidth(vid->fontMetrics().horizontalAdvance("00000") + 16);
    m_address = RegisterControl(IDC_IMPBK_ADDRESS, new CEditEXIPV6);
    m_address->setMinimumWidth(m_address->fontMetrics().horizontalAdvance("ffff:ffff:ffff:ffff:ffff") + 12);
    auto* mac = filter.Edit(IDC_IMPBK_MAC);
    mac->setMaxLength(17);
    mac->setMinimumWidth(mac->fontMetrics().horizontalAdvance("00-00-00-00-00-00") + 16);
    auto* port = filter.Edit(IDC_IMPBK_PORT);
    port->setMinimumWidth(port->fontMetrics().horizontalAdvance("0000") + 16);
    filter.Row({"VID", vid, "IP Address", m_address, ui::Form::Stretch});
    filter.Row(
        {"MAC Address", mac, "Ports", port, ui::Form::Stretch, filter.Button(IDC_IMPBK_FIND, "&Find")});
    m_list = form.Fill(RegisterControl(IDC_IMPBK_LIST, new CListCtrlEx));
    auto* count = form.Edit(IDC_IMPBK_COUNT);
    count->setReadOnly(true);
    count->setMaximumWidth(count->fontMetrics().horizontalAdvance("00000") + 16);
    form.Row({"Total Entries :", count, ui::Form::Stretch, form.Button(IDC_IMPBK_DELETE, "&Delete"),
              form.Button(IDC_IMPBK_REFRESH, "&Refresh")});
}

int CIMPBBlackList::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    for (int i = 0; i < 4; ++i) {
        m_list->InsertColumn(i, kColumns[i].heading, LVCFMT_CENTER, kColumns[i].width);
    }
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_logic.SetOwnerWnd(this);
    Load();
    return 1;
}

void CIMPBBlackList::Load() {
    EnableDlgItem(IDC_IMPBK_DELETE, false);
    EnableDlgItem(IDC_IMPBK_REFRESH, false);
    EnableDlgItem(IDC_IMPBK_FIND, false);
    m_list->DeleteAllItems();
    m_rows.clear();
    m_logic.ReadBlockedList();
}

LRESULT CIMPBBlackList::OnListResult(WPARAM wParam, LPARAM lParam) {
    if (wParam == 0 && lParam != 0) {
        ImpbEntry row = *Record<ImpbEntry>(lParam);
        row.field[4] = "2";
        m_rows.push_back(std::move(row));
    } else if (wParam == 1) {
        FillList();
        EnableDlgItem(IDC_IMPBK_DELETE, true);
        EnableDlgItem(IDC_IMPBK_REFRESH, true);
        EnableDlgItem(IDC_IMPBK_FIND, true);
        // A count only of a list read whole.
        SetDlgItemText(IDC_IMPBK_COUNT, lParam == 0 ? std::to_string(m_list->GetItemCount()) : std::string());
        if (lParam != 0) {
            AfxMessageBox("Failed to read the black list.", MB_OK);
        }
    }
    return 0;
}

void CIMPBBlackList::FillList() {
    m_list->DeleteAllItems();
    for (const ImpbEntry& row : m_rows) {
        if (row.field[4] != "2") {
            continue;
        }
        const int n = m_list->GetItemCount();
        m_list->SetItemTextEx(n, 0, QString::fromStdString(row.field[2]));
        m_list->SetItemTextEx(n, 1, QString::fromStdString(row.field[0]));
        m_list->SetItemTextEx(n, 2, QString::fromStdString(row.field[1]));
        m_list->SetItemTextEx(n, 3, QString::fromStdString(row.field[3]));
    }
}

void CIMPBBlackList::OnFind() {
    if (!IsDlgItemEnabled(IDC_IMPBK_FIND)) {
        return;
    }
    std::string address = GetDlgItemText(IDC_IMPBK_ADDRESS);
    if (!address.empty()) {
        m_address->OnKillFocus();
        if (m_address->m_nValidCode != 1) {
            AfxMessageBox("Please enter correct IP format.", MB_OK);
            return;
        }
    }
    const std::string mac = GetDlgItemText(IDC_IMPBK_MAC);
    if (!mac.empty() && !CUtils::ValidateMacText(mac, false)) {
        return;
    }
    const std::string vid = GetDlgItemText(IDC_IMPBK_VID);
    if (!vid.empty() && !impb::NumberIn(vid, 1, 4094)) {
        AfxMessageBox("Please enter a VID from 1 to 4094.", MB_OK);
        return;
    }
    const std::string port = GetDlgItemText(IDC_IMPBK_PORT);
    if (!port.empty() && !impb::NumberIn(port, 1, g_nPortNum)) {
        AfxMessageBox("Please enter a port from 1 to " + std::to_string(g_nPortNum) + ".", MB_OK);
        return;
    }
    if (address.find(':') != std::string::npos) {
        // The list shows IPv6 addresses in their shortest form, without an interface name.
        address = CUtils::CompressIPv6(CUtils::ExpandIPv6(m_address->m_strAddress));
    }
    for (ImpbEntry& row : m_rows) {
        const bool hidden = (!vid.empty() && vid != row.field[2]) ||
                            (!port.empty() && port != row.field[3]) ||
                            (!mac.empty() && !SameIgnoringCase(mac, row.field[1])) ||
                            (!address.empty() && address != row.field[0]);
        row.field[4] = hidden ? "0" : "2";
    }
    FillList();
    for (int id : {IDC_IMPBK_VID, IDC_IMPBK_ADDRESS, IDC_IMPBK_MAC, IDC_IMPBK_PORT}) {
        SetDlgItemText(id, "");
    }
}

void CIMPBBlackList::OnDelete() {
    const int row = m_list->GetFirstSelectedItem();
    if (row < 0) {
        AfxMessageBox("Please select the item would be delete!\n", MB_OK);
        return;
    }
    ImpbEntry entry;
    entry.field = {m_list->GetItemText(row, 1).toStdString(), m_list->GetItemText(row, 2).toStdString(),
                   m_list->GetItemText(row, 0).toStdString(), m_list->GetItemText(row, 3).toStdString(), "3"};
    if (entry.field[1].empty() || entry.field[2].empty() || entry.field[3].empty()) {
        AfxMessageBox("The entry cannot be deleted: its MAC address, VID or port was not read.", MB_OK);
        return;
    }
    if (const SnmpAnswer answer = m_logic.DeleteBlockedEntry(entry); !answer.Accepted()) {
        AfxMessageBox(
            ksx::AnswerText(answer, {"it"}, "Failed to delete the entry from the black list: ", "deleted"),
            MB_OK | MB_ICONERROR);
    }
    Load();
}
