// Auto surveillance VLAN OUI editor.
#include "features/vlan/CameraVLANOUISetting.h"

#include <QApplication>
#include <QLineEdit>
#include <algorithm>
#include <atomic>
#include <memory>

#include "core/CodeConvert.h"
#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "features/common/AfterCloseRun.h"
#include "features/vlan/CameraDeviceTable.h"
#include "features/vlan/CameraVlanRules.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_surveillance.h"
#include "res/resource.h"

using namespace ksx;
using namespace camvlan;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_SURVEILLANCE_OUI, [] {
    CCameraVLANOUISetting dlg;
    dlg.DoModal();
});

const char* const kTextReadFailed = "Reading the device failed. Press Refresh to try again.";

enum OuiListColumn { kColId, kColDescription, kColOui, kColMask };

// The device's settle time after a write, before the re-read.
const ksx::Tunable kSettleMs("surveillance-oui.settle-ms", 50);

unsigned SettleMs() {
    return static_cast<unsigned>(std::max(kSettleMs.Get(), 0));
}

// How far the writes after an add's create got: its description, sent (unconfirmed) or answered;
// when refused, the removal of the entry again, sent or answered (kKept: refused too).
enum class Description : int { kNotSent, kSent, kWritten, kRefused, kRemoving, kRemoved, kKept };

// What an add's worker learns; the UI thread reads it once the run has ended.
struct AddState {
    ksx::AddProgress progress;  // the create (a create-and-go: the entry's activation)
    std::atomic<Description> description{Description::kNotSent};
    std::atomic<bool> finished{false};  // an unanswered create had made the row; its description is written
    std::atomic<bool> tableChanged{false};
};

// An add stopped by Close after its create went out, before the entry held its description: the
// create-and-go may have left the entry active without it.
bool LeftHalfMade(const AddState& state) {
    const Description d = state.description.load();
    return state.progress.Stage() != AddStage::kNone && !state.progress.Refused() && !state.finished &&
           d != Description::kWritten && d != Description::kRemoved;
}

}  // namespace

CCameraVLANOUISetting::CCameraVLANOUISetting(QWidget* parent)
    : CTableDialog(
          IDD_SURVEILLANCE_OUI,
          {
              {"", "ID", ColumnWidth::Fixed(50), nullptr, LVCFMT_CENTER},
              {kDevDescCol, "Description", ColumnWidth::Fixed(150),
               [](const WalkStep& step, int b) {
                   std::string text;
                   CCodeConvert::UTF8ToAnsi(step.Text(b), &text);
                   return text;
               },
               LVCFMT_CENTER},
              // Values shorter than six octets are shown empty rather than read past their end.
              {kDevMacCol, "Surveillance OUI", ColumnWidth::Fixed(200),
               [](const WalkStep& step, int b) { return FormatMac(SameRowText(step, b)); }, LVCFMT_CENTER},
              {kDevMaskCol, "OUI Mask", ColumnWidth::Fixed(200),
               [](const WalkStep& step, int b) { return FormatMac(SameRowText(step, b)); }, LVCFMT_CENTER},
              // Walked with the row but not shown.
              {kDevStatusCol, "", ColumnWidth::Fixed(0), nullptr, LVCFMT_CENTER},
          },
          parent) {
    OwnSession(m_cCommonSNMP);
    OnCommand(IDC_OUI_ADD, [this] { OnAdd(); });
    OnCommand(IDC_OUI_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_OUI_CLOSE, [this] { EndDialog(IDCANCEL); });
    ui::OnAfterCloseRunEnd(this, kDevStatusCol, [this] {
        if (isVisible()) {
            RefreshOuiTable();
        }
    });
}

CCameraVLANOUISetting::~CCameraVLANOUISetting() = default;

void CCameraVLANOUISetting::CreateControls() {
    SetWindowText("Auto Surveillance VLAN OUI Settings");
    ui::Form form(*this);
    auto entry = form.Group("");
    auto* description = entry.Edit(IDC_OUI_DESCRIPTION);
    description->setMaxLength(20);
    auto* mac = entry.Edit(IDC_OUI_MAC);
    mac->setMaxLength(17);
    mac->setMinimumWidth(160);
    entry.Row({entry.Label("User defined OUI \n(Camera or Server)", IDC_OUI_USER_TEXT),
               entry.Label("Description", IDC_OUI_DESCRIPTION_LABEL), description,
               entry.Label("( Maximum user defined OUI:5)", IDC_OUI_MAX_TEXT), ui::Form::Stretch});
    entry.Row({entry.Label("Surveillance OUI", IDC_OUI_MAC_LABEL), mac,
               entry.Label("(XX-XX-XX-XX-XX-XX)", IDC_OUI_MAC_HINT), ui::Form::Stretch,
               entry.Button(IDC_OUI_ADD, "&Add")});
    auto* list = MakeList(IDC_OUI_LIST);
    list->ModifyListStyle(0, LVS_SINGLESEL);
    form.Group("Auto Surveillance VLAN OUI Info", IDC_OUI_GROUP).Fill(list);
    form.Note("", IDC_OUI_READ_STATUS);
    form.Buttons({{IDC_OUI_DELETE, "&Delete"}, {IDC_OUI_REFRESH, "&Refresh"}, {IDC_OUI_CLOSE, "&Close"}});
    SetRefreshButton(IDC_OUI_REFRESH);
    SetBusyControls({IDC_OUI_ADD, IDC_OUI_DELETE, IDC_OUI_REFRESH});
}

int CCameraVLANOUISetting::OnInitDialog() {
    SetTopmost(true);
    SetIcon(QApplication::windowIcon());
    const int result = CTableDialog::OnInitDialog();
    List()->setColumnHidden(4, true);
    return result;
}

std::vector<std::string> CCameraVLANOUISetting::ListOuiTexts() const {
    std::vector<std::string> out;
    for (int row = 0; row < List()->GetItemCount(); ++row) {
        out.push_back(List()->GetItemText(row, kColOui).toStdString());
    }
    return out;
}

void CCameraVLANOUISetting::RefreshOuiTable() {
    if (m_run.Running()) {
        return;
    }
    m_bTableRead = false;
    Refresh();
}

void CCameraVLANOUISetting::OnRow(const TableRow& row) {
    TableRow numbered = row;
    numbered.cells[kColId] = std::to_string(List()->GetItemCount() + 1);
    AppendRow(numbered);
}

void CCameraVLANOUISetting::OnReadEnd(const WalkEnd& end) {
    if (end.stale) {
        return;
    }
    ++m_walksEnded;
    m_bTableRead = end.AtEnd();
    UpdateControls();
    SetDlgItemText(IDC_OUI_READ_STATUS, m_bTableRead ? "" : kTextReadFailed);
}

bool CCameraVLANOUISetting::ValidateOuiEntry(const std::string& description, const std::string& mac) {
    const std::string refusal = CheckOuiEntry(description, mac, ListOuiTexts());
    if (!refusal.empty()) {
        AfxMessageBox(refusal, MB_OK);
        return false;
    }
    return true;
}

void CCameraVLANOUISetting::UpdateControls() {
    // An entry left half-made by a stopped add is removed after its dialog has gone: Add and Delete wait
    // for that.
    const bool idle = !m_run.Running();
    const bool removing = ui::AfterCloseRunWriting(kDevStatusCol);
    EnableDlgItem(IDC_OUI_ADD, idle && !removing && m_bTableRead);
    EnableDlgItem(IDC_OUI_DELETE, idle && !removing);
    EnableDlgItem(IDC_OUI_REFRESH, idle);
}

void CCameraVLANOUISetting::OnAdd() {
    if (m_run.Running()) {
        return;
    }
    const std::string description = GetDlgItemText(IDC_OUI_DESCRIPTION);
    const std::string mac = GetDlgItemText(IDC_OUI_MAC);
    if (!ValidateOuiEntry(description, mac)) {
        return;
    }
    StartAdd(description, mac);
}

void CCameraVLANOUISetting::StartAdd(const std::string& description, const std::string& mac) {
    // Off the window's thread: the row created, then its description; each accepted write lets the
    // device settle. A row whose description was refused would count toward the limit: it is removed.
    const std::string index = MacIndex(mac);
    auto state = std::make_shared<AddState>();
    m_other.Begin();
    const unsigned settleMs = SettleMs();
    m_run.Runner().SetCancel([this] { m_cCommonSNMP.Cancel(); });
    auto step = [this, index, description, state, settleMs](int i) {
        StepRunner& runner = m_run.Runner();
        const auto fill = [&] {
            state->description = Description::kSent;
            const SnmpAnswer written = FillDeviceRow(m_cCommonSNMP, index, description, nullptr);
            // Unanswered (or cut short by Close), it stays unconfirmed: the device may have applied it.
            state->description = written.Accepted()  ? Description::kWritten
                                 : written.Refused() ? Description::kRefused
                                 : written.NotSent() ? Description::kNotSent
                                                     : Description::kSent;
            return written;
        };
        if (i == 1 && state->finished) {
            return StepOutcome::Done();  // the create's own check wrote the description
        }
        if (runner.Stopping()) {
            return StepOutcome::NothingSent();
        }
        if (i == 0) {
            const RowAdded made = CreateDeviceRow(
                m_cCommonSNMP, index, [&] { return fill().Accepted(); }, [&] { return runner.Stopping(); },
                &state->progress, &m_other);
            state->finished = made == RowAdded::kFinished;
            if (made != RowAdded::kCreated && made != RowAdded::kFinished) {
                // A create nobody answered may have changed the table.
                state->tableChanged =
                    made != RowAdded::kRefused && made != RowAdded::kNotMade && made != RowAdded::kActive;
                return StepOutcome::Failed(CreateFailureText(made));
            }
            state->progress.Confirm();
        } else if (const SnmpAnswer written = fill(); !written.Accepted()) {
            StepOutcome out = StepOutcome::Of(written);
            if (runner.Stopping()) {
                return out;
            }
            state->tableChanged = true;
            state->description = Description::kRemoving;
            const SnmpAnswer removal = RemoveAddedDeviceRow(m_cCommonSNMP, index, state->progress.Owner());
            state->description = removal.Accepted() ? Description::kRemoved : Description::kKept;
            out.failure = FillFailureText(written, removal);
            return out;
        }
        runner.Pause(settleMs);
        return StepOutcome::Done();
    };
    auto text = [](int i, int) {
        return QString(i == 0 ? "Adding the entry: creating its row..."
                              : "Adding the entry: writing its description...");
    };
    m_run.Start(2, step, text, [this, state, index, description, mac](const StepsEnd& end) {
        if (end.stopped) {
            // Closed during the add: the dialog is ending. An entry left without its description goes once
            // the run has ended, and what the device holds is said then.
            if (state->description == Description::kRemoved) {
                AfxMessageBox(RemovedUnfinishedText(RowAdded::kRemoved, "the entry"), MB_OK);
            } else if (LeftHalfMade(*state)) {
                ui::RemoveUnfinishedAfterClose(kDevStatusCol, index, "the entry", state->progress);
            } else {
                AfxMessageBox(StoppedAddText("the entry", state->progress), MB_OK);
            }
            return;
        }
        if (m_other.Found()) {
            // Another entry of this OUI, not active: replaced only on the user's Yes.
            if (AskReplace(m_other, "the entry") && isVisible()) {
                StartAdd(description, mac);
            } else {
                UpdateControls();
            }
            return;
        }
        if (end.failed) {
            AfxMessageBox(end.failure, MB_OK);
            if (!state->tableChanged) {
                UpdateControls();  // nothing changed: the entry stays in the fields
                return;
            }
        } else {
            if (state->finished) {
                AfxMessageBox(RowAddedText(RowAdded::kFinished, "the entry"), MB_OK);
            }
            SetDlgItemText(IDC_OUI_DESCRIPTION, "");
            SetDlgItemText(IDC_OUI_MAC, "");
        }
        if (isVisible()) {
            RefreshOuiTable();
        }
    });
    UpdateControls();
}

void CCameraVLANOUISetting::OnDelete() {
    if (m_run.Running()) {
        return;
    }
    const int row = List()->GetFirstSelectedItem();
    if (row < 0) {
        AfxMessageBox(kTextSelectToDelete, MB_OK);
        return;
    }
    const std::string oui = List()->GetItemText(row, kColOui).toStdString();
    // Both built-in entries are protected, as in the surveillance VLAN dialog.
    if (IsReservedMac(oui)) {
        AfxMessageBox(kTextDefaultNoDelete, MB_OK);
        return;
    }
    const std::string index = MacIndex(oui);
    if (index.empty()) {
        return;  // a row whose address did not arrive whole has no index to address
    }
    const unsigned settleMs = SettleMs();
    m_run.Runner().SetCancel([this] { m_cCommonSNMP.Cancel(); });
    m_run.Start(
        1,
        [this, index, settleMs](int) {
            if (m_run.Runner().Stopping()) {
                return StepOutcome::NothingSent();
            }
            const SnmpAnswer deleted = RemoveDeviceRow(m_cCommonSNMP, index);
            if (deleted.Accepted()) {
                m_run.Runner().Pause(settleMs);
            }
            return StepOutcome::Of(deleted);
        },
        [](int, int) { return QString("Deleting the entry..."); },
        [this](const StepsEnd& end) {
            if (end.stopped) {
                AfxMessageBox(RunEndText(end, DeletedEntryNamer(), "deleted"), MB_OK);
                return;
            }
            // A delete that did not go through shows nothing and leaves the list as it is.
            if (end.Complete() && isVisible()) {
                RefreshOuiTable();
            } else {
                UpdateControls();
            }
        });
    UpdateControls();
}
