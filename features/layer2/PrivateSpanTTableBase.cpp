#include "features/layer2/PrivateSpanTTableBase.h"

#include <QApplication>
#include <QHeaderView>

#include "controls/ListCtrl.h"
#include "platform/sys/Debug.h"
#include "platform/ui/Form.h"
#include "platform/ui/Text.h"
#include "res/ids_stp.h"

using namespace ksx;

CPrivateSpanTTableBase::CPrivateSpanTTableBase(unsigned templateId, std::vector<std::string> oids,
                                               std::vector<Column> columns, int refreshId, QWidget* parent)
    : CDialog(templateId, parent),
      m_columns(std::move(columns)),
      m_refreshId(refreshId),
      m_read(m_cCommonSNMP, oids, [this](const WalkStep& s) { return ParseRow(s); }) {
    OwnReader(m_read);
    OwnSession(m_cCommonSNMP);
    m_read.onRow = [this](const std::vector<std::string>& cells) {
        const int r = m_list->GetItemCount();
        m_list->InsertItem(r, cells.empty() ? QString() : ui::ToQ(cells[0]));
        for (size_t c = 1; c < cells.size(); ++c) {
            m_list->SetItemText(r, static_cast<int>(c), ui::ToQ(cells[c]));
        }
        SetDlgItemText(IDC_STPT_ENTRIES, std::to_string(r + 1));
    };
    m_read.onEnd = [this](const WalkEnd& end) {
        if (!end.stale) {
            EnableButtons();
        }
    };
}

CPrivateSpanTTableBase::~CPrivateSpanTTableBase() = default;

std::optional<std::vector<std::string>> CPrivateSpanTTableBase::ParseRow(const WalkStep& s) const {
    // A reply without every column ends the walk: its row would be read past the reply.
    if (s.Count() < static_cast<int>(m_read.Oids().size())) {
        s.Reject();
        return std::nullopt;
    }
    return Cells(s);
}

void CPrivateSpanTTableBase::AddTableControls(ui::Form& form, int refreshId, int closeId,
                                              const char* closeText) {
    m_list = form.Fill(RegisterControl(IDC_STPT_LIST, new CListCtrl));
    form.Row({"Entries:", form.Label("0", IDC_STPT_ENTRIES), ui::Form::Stretch});
    form.Buttons({{IDC_STPT_PORT_CONFIG, "&Port Config"},
                  {IDC_STPT_BRIDGE_CONFIG, "&Bridge Config"},
                  {refreshId, "&Refresh"},
                  {closeId, closeText}},
                 refreshId);
    ShowDlgItem(IDC_STPT_BRIDGE_CONFIG, false);
    OnCommand(refreshId, [this] { Refresh(); });
    OnCommand(IDC_STPT_PORT_CONFIG, [this] { OnPortConfig(); });
    OnNotify(NM_DBLCLK, IDC_STPT_LIST, DataHandler([this](LPARAM row) {
                 if (row >= 0 && m_list->GetFirstSelectedItem() >= 0) {
                     OnPortConfig();
                 }
             }));
}

int CPrivateSpanTTableBase::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const Column& c = m_columns[i];
        const QString heading = ui::ToQ(c.heading);
        m_list->InsertColumn(static_cast<int>(i), heading, c.align,
                             c.width >= 0 ? c.width : m_list->GetStringWidth(heading) + 15);
    }
    // Wide enough for every column, and for a screenful of ports.
    int width = 0;
    for (int c = 0; c < m_list->GetColumnCount(); ++c) {
        width += m_list->GetColumnWidth(c);
    }
    m_list->setMinimumSize(width + 24, 320);
    adjustSize();
    m_list->SetHeaderButtons(false);
    m_list->SetExtendedStyle(m_list->GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    EnableButtons();
    return 1;
}

void CPrivateSpanTTableBase::showEvent(QShowEvent* e) {
    CDialog::showEvent(e);
    if (!e->spontaneous()) {
        PostMessage(WM_COMMAND, MAKEWPARAM(m_refreshId, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(m_refreshId)));
    }
}

void CPrivateSpanTTableBase::Refresh() {
    if (Busy()) {
        m_readWaiting = true;
        return;
    }
    m_readWaiting = false;
    m_list->DeleteAllItems();
    SetDlgItemText(IDC_STPT_ENTRIES, "0");
    EnableDlgItem(IDC_STPT_PORT_CONFIG, false);
    EnableDlgItem(m_refreshId, false);
    m_read.Walk(OnPortTableWalk, this);
}

void CPrivateSpanTTableBase::ReadWhenReady() {
    if (m_readWaiting) {
        Refresh();
    } else {
        EnableButtons();
    }
}

int CPrivateSpanTTableBase::OnPortTableWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CPrivateSpanTTableBase*>(userData)->m_read.Step(response, requestId, status);
}

void CPrivateSpanTTableBase::EnableButtons() {
    // The editor shows a row of the list: without rows there is nothing to edit.
    EnableDlgItem(IDC_STPT_PORT_CONFIG, !Reading() && m_list->GetItemCount() > 0);
    EnableDlgItem(m_refreshId, !Reading());
}

void CPrivateSpanTTableBase::OnPortConfig() {
    if (Reading() || m_list->GetItemCount() == 0) {
        return;
    }
    if (RunEditor() == IDOK) {
        Refresh();
    }
}

int CPrivateSpanTTableBase::DestroyWindow() {
    DebugOut("==================DestroyWindow===============");
    return CDialog::DestroyWindow();
}

std::vector<std::string> CPrivateSpanTTableBase::StepTexts(const WalkStep& step, int count) {
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) {
        texts.push_back(step.Text(i));
    }
    return texts;
}
