// Read-only list view over the SNMP class library.
#include "features/common/DirectListView.h"

#include <QApplication>
#include <algorithm>
#include <cstdlib>

#include "controls/ListCtrlEx.h"
#include "core/CommonSNMP.h"
#include "platform/sys/Globals.h"
#include "platform/ui/Form.h"
#include "platform/ui/WaitCursor.h"

using namespace ksx;

CDirectListView::CDirectListView(ViewSetup setup, QWidget* parent)
    : CDialog(setup.templateId, parent), m_setup(std::move(setup)) {
    OnCommand(m_setup.refreshId, [this] { Refresh(); });
    m_walk.onReply = [this](const DirectReply& r) { return OnReply(r, false); };
    m_v3.onReply = [this](const DirectReply& r) { return OnReply(r, true); };
    m_walk.SetGroups(m_setup.groups);
    m_v3.SetGroups(m_setup.groups);
}

CDirectListView::~CDirectListView() = default;

void CDirectListView::CreateControls() {
    ui::Form form(*this);
    m_list = RegisterControl(m_setup.listId, new CListCtrlEx);
    m_list->setMinimumHeight(200);
    if (m_setup.groupCaption.empty()) {
        form.Fill(m_list);
    } else {
        form.Group(m_setup.groupCaption).Fill(m_list);
    }
    if (m_setup.countId != 0) {
        form.Row({"Entries:", form.Label("0", m_setup.countId), ui::Form::Stretch});
    }
    MoreControls();
    form.Buttons({{m_setup.refreshId, m_setup.refreshText.c_str()}, {IDCANCEL, "&Close"}}, m_setup.refreshId);
}

int CDirectListView::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    for (size_t c = 0; c < m_setup.headings.size(); ++c) {
        m_list->InsertColumn(QString::fromStdString(m_setup.headings[c]), static_cast<int>(c));
    }
    m_list->ModifyListStyle(0, LVS_SINGLESEL);
    m_list->SetExtendedStyle(0x120);
    SetWindowText(m_setup.caption);
    return 1;
}

int CDirectListView::DestroyWindow() {
    const int result = CDialog::DestroyWindow();  // nothing is delivered to the window any more
    m_walk.Release();
    m_v3.Release();
    return result;
}

bool CDirectListView::Reading() const {
    return m_walk.Pending() || m_v3.Running();
}

void CDirectListView::ClearList() {
    m_list->DeleteAllItems();
    if (m_setup.countId != 0) {
        SetDlgItemText(m_setup.countId, "0");
    }
    OnCleared();
}

void CDirectListView::Refresh() {
    if (Reading()) {
        if (m_setup.whilePending == WhilePending::Ignore) {
            return;
        }
        if (m_setup.whilePending == WhilePending::ClearOnly) {
            ClearList();
            return;
        }
    }
    ClearList();
    const unsigned long timeout =
        static_cast<unsigned long>(std::max(0, std::atoi(g_strSnmpTimeout.c_str())));
    if (g_strSnmpVersion == "1") {
        m_walk.Restart(m_setup.oids, timeout);
    } else if (g_strSnmpVersion == "3" && m_setup.readsV3) {
        CWaitCursor wait;
        m_v3.Start(m_setup.oids, 1, timeout);
    }
}

bool CDirectListView::OnReply(const DirectReply& reply, bool v3) {
    if (reply.status != 0 || reply.errorStatus != 0) {
        m_lastEnd = reply.status != 0 ? reply.status : -20;
        OnReadEnd(m_lastEnd, v3);
        return false;
    }
    // A column the agent lacks answers with the next object: that is no value of this column.
    DirectReply row = reply;
    for (size_t i = 0; i < row.bindings.size() && i < m_setup.oids.size(); ++i) {
        if (!row.Instance(i, m_setup.oids[i])) {
            row.bindings[i].present = false;
            row.bindings[i].value.clear();
        }
    }
    const auto cells = RowCells(row);
    if (!cells) {
        m_lastEnd = -21;
        return false;
    }
    const int at = m_list->GetItemCount();
    for (size_t c = 0; c < cells->size(); ++c) {
        m_list->SetItemTextEx(at, static_cast<int>(c), QString::fromStdString((*cells)[c]));
    }
    if (m_setup.countId != 0) {
        SetDlgItemText(m_setup.countId, std::to_string(at + 1));
    }
    OnRowAdded(at, row);
    return true;
}

void CDirectListView::OnReadEnd(int status, bool v3) {
    if (!v3 || status == 0 || status == CSnmp4w::EC_END_OF_WALK || status == CDirectV3Read::kMissingValue ||
        status == CSnmp4w::EC_CANCELLED) {
        return;
    }
    AfxMessageBox(NoteSnmpV3ReadFailure(status), MB_ICONWARNING);
}
