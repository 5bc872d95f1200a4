// RMON table dialogs: the shared list, read and fill.
#include "features/monitoring/RmonTableDialog.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

#include "platform/sys/MessageBox.h"
#include "platform/ui/Text.h"
#include "res/ids_rmon.h"

using namespace ksx;

CRmonTableDialog::CRmonTableDialog(unsigned templateId, int listId, int applyId, QWidget* parent)
    : CDialog(templateId, parent), m_listId(listId), m_applyId(applyId) {
    OwnSessions(m_rmon.Sessions());
    m_rmon.SetStopCheck([this] { return m_run.Runner().Stopping(); });
}

CRmonTableDialog::~CRmonTableDialog() = default;

CReportCtrl* CRmonTableDialog::MakeList(ui::Form& form) {
    m_list = RegisterControl(m_listId, new CReportCtrl);
    form.Fill(m_list);
    m_list->installEventFilter(this);
    return m_list;
}

void CRmonTableDialog::PlaceField(ui::Form& group, int row, int pair, const char* label, QWidget* control,
                                  bool required) {
    QGridLayout* grid = group.Layout();
    const int base = pair * 3;
    QLabel* text = group.Label(label);
    text->setBuddy(control);
    grid->addWidget(text, row, base);
    grid->addWidget(control, row, base + 1);
    if (required) {
        grid->addWidget(group.Label("*"), row, base + 2);
    }
    grid->setColumnStretch(base + 1, 1);
    grid->setColumnMinimumWidth(base + 2, control->fontMetrics().horizontalAdvance("**"));
}

void CRmonTableDialog::ApplyButton(ui::Form& group, int id) {
    QGridLayout* grid = group.Layout();
    auto* line = new QHBoxLayout;
    line->addStretch(1);
    line->addWidget(group.Button(id, "Apply"));
    grid->addLayout(line, grid->rowCount(), 0, 1, std::max(grid->columnCount(), 1));
}

void CRmonTableDialog::InitDialog(const std::string& title) {
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    SetWindowText(title);
    m_list->SetExtendedStyle(m_list->GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
}

void CRmonTableDialog::Relayout() {
    QPushButton probe("Delete");
    probe.setFont(m_list->font());
    QHeaderView* rows = m_list->verticalHeader();
    rows->setDefaultSectionSize(std::max(rows->defaultSectionSize(), probe.minimumSizeHint().height() + 2));
    // The buttons' column shows their whole caption: a button covers its cell, and the grid line takes
    // a pixel of the column.
    if (ButtonColumn() >= 0) {
        m_list->SetColumnSample(ButtonColumn(), QString(), probe.sizeHint().width() + 1);
    }
}

void CRmonTableDialog::WireTable(int applyId, int refreshId, int closeId, std::function<void()> apply,
                                 std::function<void(int row)> remove,
                                 std::function<void(ksx::WPARAM table)> walkEnded) {
    OnCommand(applyId, std::move(apply));
    OnCommand(refreshId, [this] { ReadTable(); });
    m_closeId = closeId;
    OnCommand(closeId, [this] { OnCancel(); });
    auto walkEnd = [walkEnded = std::move(walkEnded)](ksx::WPARAM wParam, ksx::LPARAM) -> ksx::LRESULT {
        walkEnded(wParam);
        return 0;
    };
    OnMessage(WM_SNMP_WALK_END, walkEnd);
    OnMessage(WM_SNMP_WALK_STALE, walkEnd);
    OnMessage(WM_REPORT_BUTTON_CLICKED,
              [remove = std::move(remove)](ksx::WPARAM wParam, ksx::LPARAM) -> ksx::LRESULT {
                  remove(static_cast<int>(wParam));
                  return 0;
              });
}

void CRmonTableDialog::SetBusy(bool busy) {
    m_busyNow = busy;
    for (int id : m_busyIds) {
        EnableDlgItem(id, !busy && (id != m_applyId || (m_applyAllowed && ApplyReady())));
    }
    if (m_list == nullptr) {
        return;
    }
    const int column = ButtonColumn();
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        if (CButtonEx* button = m_list->GetItemButton(row, column)) {
            button->setEnabled(!busy);
        }
    }
}

void CRmonTableDialog::ReadTable() {
    SetBusy(true);
    if (!m_rmon.SetOwnerWnd(this)) {
        SetBusy(false);
        return;
    }
    StartRead();
}

void CRmonTableDialog::RunWrite(int count, ksx::StepRunner::Step step, CStepRun::Text text,
                                CStepRun::End onEnd) {
    SetBusy(true);
    EnableDlgItem(m_closeId, true);
    m_run.Runner().SetCancel([this] { m_rmon.CancelRequests(); });
    m_run.Start(count, std::move(step), std::move(text), std::move(onEnd));
}

void CRmonTableDialog::RunCreate(const std::string& what, std::function<bool()> create,
                                 std::function<void()> after) {
    m_rmon.ResetProgress();
    RunWrite(
        1, [this, create](int) { return create() ? ksx::StepOutcome::Done() : m_rmon.LastOutcome(); },
        [what](int, int) { return ui::ToQ("Creating the RMON " + what + "..."); },
        [this, what, create, after](const ksx::StepsEnd& end) {
            if (end.stopped) {
                // Closed during the creation: the dialog is ending. What the device confirmed is said.
                Tell(ksx::StoppedAddText("the RMON " + what, m_rmon.Progress(), "created"));
                return;
            }
            if (m_rmon.Other().Found()) {
                // Another entry of that index, not valid: replaced only on the user's Yes.
                if (ksx::AskReplace(m_rmon.Other(), "the RMON " + what) && isVisible()) {
                    RunCreate(what, create, after);
                    return;
                }
            } else if (end.failed) {
                Tell(end.failure);
            }
            after();
        });
}

void CRmonTableDialog::ClearList() {
    const int column = ButtonColumn();
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        m_list->SetCheck(row, column, 0);
    }
    m_list->DeleteItems(RC_ITEM_ALL);
}

int CRmonTableDialog::AppendRow(const std::vector<std::string>& cells) {
    const int row = m_list->GetItemCount();
    m_list->InsertItem(row, cells.empty() ? QString() : ui::ToQ(cells[0]));
    for (size_t c = 1; c < cells.size(); ++c) {
        m_list->SetItemText(row, static_cast<int>(c), ui::ToQ(cells[c]));
    }
    m_list->SetItemButton(row, ButtonColumn(), {0, "Delete"});
    if (CButtonEx* button = m_list->GetItemButton(row, ButtonColumn())) {
        button->setEnabled(!m_busyNow);
    }
    return row;
}

void CRmonTableDialog::FillEnded(bool tableRead, const char* failText) {
    m_applyAllowed = tableRead;
    SetBusy(false);
    m_list->FitColumns();
    m_list->RefreshButtons();
    if (!tableRead) {
        Tell(failText);
    }
}

long long CRmonTableDialog::LeadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr long long kCap = 1000000000000LL;  // far past any 32-bit value
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = std::min(kCap, v * 10 + (text[i] - '0'));
    }
    return negative ? -v : v;
}

void CRmonTableDialog::Tell(const std::string& text) {
    AfxMessageBox(text, MB_OK);
}

bool CRmonTableDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && m_list != nullptr) {
        if (event->type() == QEvent::FontChange) {
            Relayout();
        }
    }
    return CDialog::eventFilter(watched, event);
}
