// Allowed list.
#include "features/security/IMPBWhiteList.h"

#include <QApplication>

#include <QLineEdit>
#include <algorithm>

#include "controls/ListCtrlEx.h"
#include "core/RunText.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_impb.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ui::RegisterFeature kRegister(IDM_WHITE_LIST, [] {
    CIMPBWhiteList dlg;
    dlg.DoModal();
});

// Widths are the pixels at the default font (the list grows them with the font and the texts).
struct Column {
    const char* heading;
    int width;
};
constexpr Column kColumns[] = {{"IP Address", 200}, {"Mac Address", 220}, {"Port", 160}};

}  // namespace

CIMPBWhiteList::CIMPBWhiteList(QWidget* parent) : CDialog(IDD_IMPB_WHITE, parent) {
    OwnSessions(m_logic.Sessions());
    OnMessage(WM_IMPB_LIST_RESULT, [this](WPARAM w, LPARAM l) { return OnListResult(w, l); });
    OnCommand(IDC_IMPBW_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_IMPBW_REFRESH, [this] { Load(); });
}

CIMPBWhiteList::~CIMPBWhiteList() = default;

void CIMPBWhiteList::CreateControls() {
    SetWindowText("White List");
    ui::Form form(*this);
    m_list = form.Fill(RegisterControl(IDC_IMPBW_LIST, new CListCtrlEx));
    auto* count = form.Edit(IDC_IMPBW_COUNT);
    count->setReadOnly(true);
    count->setMaximumWidth(count->fontMetrics().horizontalAdvance("00000") + 16);
    form.Row({"Total Entries: ", count, ui::Form::Stretch, form.Button(IDC_IMPBW_DELETE, "&Delete"),
              form.Button(IDC_IMPBW_REFRESH, "&Refresh")});
}

int CIMPBWhiteList::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    for (int i = 0; i < 3; ++i) {
        m_list->InsertColumn(i, kColumns[i].heading, LVCFMT_CENTER, kColumns[i].width);
    }
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_logic.SetOwnerWnd(this);
    Load();
    return 1;
}

void CIMPBWhiteList::Load() {
    EnableDlgItem(IDC_IMPBW_REFRESH, false);
    EnableDlgItem(IDC_IMPBW_DELETE, false);
    m_list->DeleteAllItems();
    m_logic.ReadAllowedList();
}

LRESULT CIMPBWhiteList::OnListResult(WPARAM wParam, LPARAM lParam) {
    if (wParam == 0 && lParam != 0) {
        const ImpbEntry& row = *Record<ImpbEntry>(lParam);
        const int n = m_list->GetItemCount();
        m_list->SetItemTextEx(n, 0, QString::fromStdString(row.field[0]));
        m_list->SetItemTextEx(n, 1, QString::fromStdString(row.field[1]));
        m_list->SetItemTextEx(n, 2, QString::fromStdString(row.field[3]));
    } else if (wParam == 1) {
        EnableDlgItem(IDC_IMPBW_REFRESH, true);
        EnableDlgItem(IDC_IMPBW_DELETE, true);
        // A count only of a list read whole.
        SetDlgItemText(IDC_IMPBW_COUNT, lParam == 0 ? std::to_string(m_list->GetItemCount()) : std::string());
        if (lParam != 0) {
            AfxMessageBox("Failed to read the white list.", MB_OK);
        }
    }
    return 0;
}

void CIMPBWhiteList::OnDelete() {
    const int row = m_list->GetFirstSelectedItem();
    if (row < 0) {
        AfxMessageBox("Please select the item would be delete!\n", MB_OK);
        return;
    }
    ImpbEntry entry;
    entry.field = {m_list->GetItemText(row, 0).toStdString(), m_list->GetItemText(row, 1).toStdString(), "1",
                   m_list->GetItemText(row, 2).toStdString(), "3"};
    if (entry.field[0].empty() || entry.field[1].empty()) {
        AfxMessageBox("The entry cannot be deleted: its IP address or MAC address was not read.", MB_OK);
        return;
    }
    if (const SnmpAnswer answer = m_logic.DeleteAllowedEntry(entry); !answer.Accepted()) {
        AfxMessageBox(
            ksx::AnswerText(answer, {"it"}, "Failed to delete the entry from the white list: ", "deleted"),
            MB_OK | MB_ICONERROR);
    }
    Load();
}
