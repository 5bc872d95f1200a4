// 802.1X local users dialog.
#include "features/security/8021XUserDLG.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <memory>
#include <utility>

#include "controls/ListCtrlEx.h"
#include "core/RowCreate.h"
#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "features/common/AfterCloseRun.h"
#include "features/security/AddedRowRemoval.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_dot1x.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_DOT1X_USER, [] {
    C8021XUserDLG dlg;
    dlg.DoModal();
});

const char kNoSelection[] = "Please Choose One To Delete Or Check If Have Any Data";
const char kCreateFailed[] = "please check what you put";
const char kReadFailed[] = "Failed to read the 802.1X users.";
const char kDeleteFailed[] = "Failed to delete the 802.1X user: ";

constexpr int kInputs[] = {IDC_D1XU_NAME, IDC_D1XU_PASSWORD, IDC_D1XU_CONFIRM, IDC_D1XU_LIST,
                           IDC_D1XU_ADD,  IDC_D1XU_DELETE,   IDC_D1XU_REFRESH, IDC_D1XU_CLOSE};

}  // namespace

C8021XUserDLG::C8021XUserDLG(QWidget* parent) : CDialog(IDD_DOT1X_USER, parent) {
    OwnSession(m_cCommonSNMP);
    OwnSessions(m_8021XLogic.Sessions());
    OnCommand(IDC_D1XU_ADD, [this] { OnAdd(); });
    OnCommand(IDC_D1XU_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_D1XU_REFRESH, [this] { Reload(); });
    OnCommand(IDC_D1XU_CLOSE, [this] { SendMessage(WM_CLOSE, 0, 0); });
    auto walkEnded = [this](WPARAM, LPARAM) -> LRESULT {
        FillList();
        return 0;
    };
    OnMessage(C8021XSettingLogic::WM_SNMP_WALK_END, walkEnded);
    OnMessage(C8021XSettingLogic::WM_SNMP_WALK_STALE, walkEnded);
    // An account left half-made by a stopped add is removed after its dialog has gone: Add and Delete
    // wait for that, then the accounts are read again.
    ui::OnAfterCloseRunEnd(this, C8021XSettingLogic::UserColumn(3), [this] {
        if (isVisible()) {
            StartRead();
        }
    });
}

C8021XUserDLG::~C8021XUserDLG() = default;

void C8021XUserDLG::CreateControls() {
    SetWindowText("802.1X User");
    ui::Form form(*this);
    ui::Form add = form.Group("");
    QLineEdit* name = add.Field("802.1X User", add.Edit(IDC_D1XU_NAME));
    name->setMinimumWidth(160);
    for (const auto& [id, label] :
         {std::pair{IDC_D1XU_PASSWORD, "Password"}, std::pair{IDC_D1XU_CONFIRM, "ConfirmPassword"}}) {
        add.Field(label, add.Edit(id))->setEchoMode(QLineEdit::Password);
    }
    add.Row({ui::Form::Stretch, add.Button(IDC_D1XU_ADD, "Add")});
    add.Note("Note: Password/User Name should be less than 15 characters and more than 3 characters. ")
        ->setWordWrap(true);
    m_list = form.Fill(RegisterControl(IDC_D1XU_LIST, new CListCtrlEx));
    QLineEdit* total = form.Edit(IDC_D1XU_TOTAL);
    total->setReadOnly(true);
    total->setMaximumWidth(80);
    form.Row({"Total Entries:", total, ui::Form::Stretch});
    const auto buttons =
        form.Buttons({{IDC_D1XU_REFRESH, "Refesh"}, {IDC_D1XU_DELETE, "Delete"}, {IDC_D1XU_CLOSE, "Close"}});
    for (QPushButton* b : buttons) {
        b->setAutoDefault(false);  // Enter clicks nothing here
    }
    Item<QPushButton>(IDC_D1XU_ADD)->setAutoDefault(false);
}

int C8021XUserDLG::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    for (int id : {IDC_D1XU_NAME, IDC_D1XU_PASSWORD, IDC_D1XU_CONFIRM}) {
        Item<QLineEdit>(id)->setMaxLength(15);
    }
    EnableDlgItem(IDC_D1XU_TOTAL, false);
    // Heading and width at the default font.
    const std::pair<const char*, int> columns[] = {{"Id", 50}, {" User Name", 150}, {" Password ", 150}};
    for (const auto& [heading, width] : columns) {
        m_list->InsertColumn(m_list->GetColumnCount(), heading, LVCFMT_CENTER, width);
    }
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_list->ModifyListStyle(0, LVS_SINGLESEL);
    m_list->setMinimumHeight(180);
    StartRead();
    return 1;
}

void C8021XUserDLG::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    CDialog::keyPressEvent(e);
}

void C8021XUserDLG::EnableInputs(bool enable) {
    for (int id : kInputs) {
        EnableDlgItem(id, enable);
    }
}

void C8021XUserDLG::StartRead() {
    EnableInputs(false);
    m_bReadEnded = false;
    if (m_8021XLogic.SetOwnerWnd(this)) {
        m_8021XLogic.ReadUsers();
    }
}

void C8021XUserDLG::Reload() {
    SetDlgItemText(IDC_D1XU_NAME, "");
    SetDlgItemText(IDC_D1XU_PASSWORD, "");
    SetDlgItemText(IDC_D1XU_CONFIRM, "");
    StartRead();
}

void C8021XUserDLG::FillList() {
    m_list->DeleteAllItems();
    SetDlgItemText(IDC_D1XU_TOTAL, std::to_string(m_8021XLogic.m_UserList.size()));
    for (const X8021_User_Statistics_Info& r : m_8021XLogic.m_UserList) {
        if (r.rowStatus != 1) {
            continue;
        }
        const int item = m_list->GetItemCount();
        m_list->SetItemTextEx(item, 0, QString::number(item + 1));
        m_list->SetItemTextEx(item, 1, QString::fromStdString(r.userName));
        m_list->SetItemTextEx(item, 2, "*****");
    }
    m_bReadEnded = true;
    EnableInputs(true);
    const bool ok = m_8021XLogic.LastEnd().Ok() || m_8021XLogic.LastEnd().stale;
    // The duplicate check needs the whole list: Add waits for a complete read.
    const bool removing = ui::AfterCloseRunWriting(C8021XSettingLogic::UserColumn(3));
    EnableDlgItem(IDC_D1XU_ADD, ok && !removing);
    EnableDlgItem(IDC_D1XU_DELETE, !removing);
    if (!ok) {
        AfxMessageBox(kReadFailed, MB_OK);
    }
}

void C8021XUserDLG::OnAdd() {
    if (!IsDlgItemEnabled(IDC_D1XU_ADD) || m_run.Running()) {
        return;
    }
    const std::string name = GetDlgItemText(IDC_D1XU_NAME);
    const std::string password = GetDlgItemText(IDC_D1XU_PASSWORD);
    const std::string confirm = GetDlgItemText(IDC_D1XU_CONFIRM);
    if (name.size() <= 3) {
        AfxMessageBox("User name must be more than 3 characters!", MB_OK);
        SetFocusTo(IDC_D1XU_NAME);
        Item<QLineEdit>(IDC_D1XU_NAME)->selectAll();
        return;
    }
    if (password.size() <= 3) {
        AfxMessageBox("PassWord must be more than 3 characters!", MB_OK);
        return;
    }
    if (password != confirm) {
        AfxMessageBox("Please Confirm User Password!", MB_OK);
        return;
    }
    // Only listed (active) accounts are duplicates; one left inactive is replaced by the add.
    const auto& users = m_8021XLogic.m_UserList;
    if (std::any_of(users.begin(), users.end(), [&](const X8021_User_Statistics_Info& u) {
            return u.rowStatus == 1 && u.userName == name;
        })) {
        AfxMessageBox("Duplicate 802.1X User Name", MB_OK);
        return;
    }
    StartAdd(name, password);
}

void C8021XUserDLG::StartAdd(const std::string& name, const std::string& password) {
    const std::string idx = C8021XSettingLogic::UserNameIndex(name);
    // Off the window's thread, on a session nothing else uses; the fields are copied here.
    m_add.Reset();
    m_other.Begin();
    m_run.Runner().SetCancel([this] { m_cCommonSNMP.Cancel(); });
    m_run.Start(
        3, [this, name, idx, password](int i) { return AddStep(i, name, idx, password); },
        [name](int i, int) {
            static const char* const kSteps[] = {"creating the account", "writing its password",
                                                 "activating it"};
            return QString::fromStdString("Adding the user " + name + ": " + kSteps[std::clamp(i, 0, 2)] +
                                          "...");
        },
        [this, name, password](const StepsEnd& end) { OnAddEnd(end, name, password); });
    // Until the run ends (its end reads the list again, which gives them back).
    for (int id : {IDC_D1XU_ADD, IDC_D1XU_DELETE, IDC_D1XU_REFRESH}) {
        EnableDlgItem(id, false);
    }
}

StepOutcome C8021XUserDLG::AddStep(int step, const std::string& name, const std::string& idx,
                                   const std::string& password) {
    const std::string statusOid = C8021XSettingLogic::UserColumn(3) + idx;
    const auto setStatus = [&](const char* value) {
        m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
        m_cCommonSNMP.AddVarBind(statusOid, 1, value);
        return SendRequest(m_cCommonSNMP).Answer();
    };
    if (step == 0) {
        // An account of this name left unfinished (an add cut short, another manager) is replaced. One
        // the device made without answering gets its password now, or goes: no account stays active
        // without the password given here.
        RowStatusAccess access = StatusAccessOn(m_cCommonSNMP, statusOid);
        access.progress = &m_add.progress;
        access.other = &m_other;
        access.stopping = [this] { return m_run.Runner().Stopping(); };
        access.finish = [&] {
            const bool written = WritePassword(idx, password).Accepted();
            if (written) {
                m_add.progress.Confirm();
            }
            return written;
        };
        const RowAdded created = AddRow(access, "4");
        switch (created) {
            case RowAdded::kCreated:
                return StepOutcome::Done();
            case RowAdded::kFinished:
                m_add.finished = true;
                m_add.complete = true;
                return StepOutcome::Done();
            case RowAdded::kStopped:
                return StepOutcome::Unanswered();  // said by the add's progress
            default:
                return StepOutcome::Failed(std::string(kCreateFailed) + "\n\n" +
                                           RowAddedText(created, "the user " + name));
        }
    }
    if (m_add.finished) {
        return StepOutcome::Done();  // the create's own check wrote the password
    }
    if (m_run.Runner().Stopping()) {
        return StepOutcome::NothingSent();
    }
    // The account exists from here on: a refused password or activation must not leave it behind.
    SnmpAnswer answer;
    if (step == 1) {
        m_add.progress.Enter(AddStage::kActivate);  // the account as given: with its password
        answer = WritePassword(idx, password);
        if (answer.Accepted()) {
            m_add.progress.Confirm();
            m_add.complete = true;
            return StepOutcome::Done();
        }
    } else {
        // The activation is a stage of its own: a stop while it is on its way leaves it unconfirmed.
        m_add.progress.Enter(AddStage::kActivate);
        if ((answer = setStatus("1")).Accepted()) {
            m_add.progress.Confirm();
            return StepOutcome::Done();
        }
    }
    if (m_run.Runner().Stopping()) {
        if (!answer.NotSent()) {
            return StepOutcome::Unanswered();  // cut short by the stop: unconfirmed
        }
        if (step == 2) {
            m_add.progress.Confirm();  // nothing of it went out: the account is as its password left it
        }
        return StepOutcome::NothingSent();
    }
    // Row creation removes the account this add made (its create made it active). What became of the
    // failed step is said first, then what the device holds.
    const AddedRowRemoval removal = RemoveAddedRow(StatusAccessOn(m_cCommonSNMP, statusOid), m_add.progress);
    StepOutcome failed = StepOutcome::Of(answer);
    failed.failure = std::string(kCreateFailed) + "\n\n" +
                     AnswerText(answer, {step == 1 ? "the password" : "the activation"}) + " " +
                     AddedRowRemovalText(removal, answer, step == 2, "the user",
                                         std::string(step == 1 ? "its password" : ""));
    return failed;
}

void C8021XUserDLG::OnAddEnd(const StepsEnd& end, const std::string& name, const std::string& password) {
    const std::string what = "the user " + name;
    if (end.stopped) {
        // Closed during the add: the dialog is ending. A create that went out may have made the account
        // active without the password given (a create-and-go): row creation removes it, once the run has
        // ended, when it is this add's own, and what the device holds is said then.
        if (m_add.complete) {
            AfxMessageBox(StoppedAddText(what, m_add.progress), MB_OK);
        } else {
            ui::RemoveUnfinishedAfterClose(C8021XSettingLogic::UserColumn(3),
                                           C8021XSettingLogic::UserNameIndex(name), what, m_add.progress);
        }
        return;
    }
    if (m_other.Found()) {
        // Another account of that name, not active: replaced only on the user's Yes.
        if (AskReplace(m_other, what) && isVisible()) {
            StartAdd(name, password);
        } else if (isVisible()) {
            StartRead();
        }
        return;
    }
    if (end.failed) {
        AfxMessageBox(end.failure, MB_OK);
    } else if (m_add.finished) {
        AfxMessageBox(RowAddedText(RowAdded::kFinished, "the user " + name), MB_OK);
    }
    if (!isVisible()) {
        return;  // the run had just ended as the dialog ended: nothing is read again
    }
    if (end.failed) {
        StartRead();  // the device's accounts; the form keeps what was typed
    } else {
        Reload();
    }
}

SnmpAnswer C8021XUserDLG::WritePassword(const std::string& idx, const std::string& password) {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(C8021XSettingLogic::UserColumn(2) + idx, 2, password.c_str(),
                             static_cast<int>(password.size()));
    const SnmpReply reply = SendRequest(m_cCommonSNMP);
    if (!reply.Accepted()) {
        TRACE("--------iStatus = %d, error status %d", reply.status, reply.ErrorStatus());
    }
    return reply.Answer();
}

void C8021XUserDLG::OnDelete() {
    if (m_run.Running()) {
        return;  // the add's session is in use
    }
    const int row = m_list->GetSelectionMark();
    if (row < 0 || row >= m_list->GetItemCount()) {
        AfxMessageBox(kNoSelection, MB_OK);
        return;
    }
    const std::string name = m_list->GetItemText(row, 1).toStdString();
    // The add's session: no add runs while Delete is available.
    if (const SnmpAnswer answer = DeletePickedRow(StatusAccessOn(
            m_cCommonSNMP, C8021XSettingLogic::UserColumn(3) + C8021XSettingLogic::UserNameIndex(name)));
        !answer.Accepted()) {
        AfxMessageBox(AnswerText(answer, {"it"}, kDeleteFailed, "deleted"), MB_OK);
    }
    Reload();
}
