// RADIUS server dialog.
#include "features/security/8021XAuRadiusServerDLG.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <algorithm>
#include <cstdlib>

#include "controls/EditEXIPV6.h"
#include "controls/ListCtrlEx.h"
#include "core/RowCreate.h"
#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "features/security/AddedRowRemoval.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_dot1x.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_DOT1X_RADIUS, [] {
    C8021XAuRadiusServerDLG dlg;
    dlg.DoModal();
});

const char kNoSelection[] = "Please Choose One To Delete Or Check If Have Any Data";
const char kBadIndex[] = "Please choose a RADIUS server index from 1 to 5.";
const char kReadFailed[] = "Failed to read the RADIUS servers.";
const char kDeleteFailed[] = "Failed to delete the RADIUS server: ";

// Columns: heading and width at the default font (the list grows it with the font and its texts).
struct ListHeading {
    const char* text;
    int width;
};
constexpr ListHeading kHeadings[] = {
    {"Index", 50},   {"IP Address", 200}, {"Auth-Port", 90}, {"Acct-Port", 90},
    {"Timeout", 70}, {"Retransmit", 100}, {"Key", 50},
};

// A whole decimal number of at most `digits` digits; false for anything else (empty text too).
bool ParseNumber(const std::string& text, int& value) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    value = std::atoi(text.c_str());
    return true;
}

}  // namespace

C8021XAuRadiusServerDLG::C8021XAuRadiusServerDLG(QWidget* parent) : CDialog(IDD_DOT1X_RADIUS, parent) {
    OwnSessions(m_8021XLogic.Sessions());
    OwnSession(m_setSession);
    OwnSession(m_typeSession);
    OwnSession(m_addressSession);
    m_run.Runner().SetCancel([this] {
        m_setSession.Cancel();
        m_typeSession.Cancel();
        m_addressSession.Cancel();
    });
    OnCommand(IDC_D1XR_APPLY, [this] { OnApply(); });
    OnCommand(IDC_D1XR_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_D1XR_REFRESH, [this] {
        SetupControls();
        StartRead();
    });
    OnCommand(IDC_D1XR_CLOSE, [this] { SendMessage(WM_CLOSE, 0, 0); });
    auto walkEnded = [this](WPARAM, LPARAM) -> LRESULT {
        FillList();
        return 0;
    };
    OnMessage(C8021XSettingLogic::WM_SNMP_WALK_END, walkEnded);
    OnMessage(C8021XSettingLogic::WM_SNMP_WALK_STALE, walkEnded);
}

C8021XAuRadiusServerDLG::~C8021XAuRadiusServerDLG() = default;

void C8021XAuRadiusServerDLG::CreateControls() {
    SetWindowText("Authentication RADIUS Server");
    ui::Form form(*this);
    ui::Form group = form.Group("RADIUS Server");
    QComboBox* index = group.Combo(IDC_D1XR_INDEX, true);
    index->setInsertPolicy(QComboBox::NoInsert);
    index->setMinimumWidth(80);
    group.Field("Index", index);
    m_address = RegisterControl(IDC_D1XR_ADDRESS, new CEditEXIPV6);
    m_address->setMinimumWidth(260);
    group.Field("IPv4/IPV6 Address", m_address);
    const struct {
        int id;
        const char* label;
        int limit;
    } numbers[] = {{IDC_D1XR_AUTH_PORT, "Authentication Port (1-65535)", 5},
                   {IDC_D1XR_ACCT_PORT, "Accounting Port (1-65535)", 5},
                   {IDC_D1XR_TIMEOUT, "Timeout (1-255)", 3},
                   {IDC_D1XR_RETRANSMIT, "Retransmit (1-255)", 3}};
    for (const auto& n : numbers) {
        QLineEdit* edit = group.Edit(n.id);
        edit->setMaxLength(n.limit);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
        group.Field(n.label, edit);
    }
    for (const auto& [id, label] :
         {std::pair{IDC_D1XR_KEY, "Key"}, std::pair{IDC_D1XR_CONFIRM_KEY, "Confirm Key"}}) {
        QLineEdit* edit = group.Edit(id);
        edit->setEchoMode(QLineEdit::Password);
        edit->setMaxLength(32);
        group.Field(label, edit);
    }
    group.Note("For key, the maximum number of character is 32.");
    ui::Form list = form.Group("RADIUS Server List");
    m_list = list.Fill(RegisterControl(IDC_D1XR_LIST, new CListCtrlEx));
    const auto buttons = form.Buttons({{IDC_D1XR_APPLY, "Apply"},
                                       {IDC_D1XR_REFRESH, "Refresh"},
                                       {IDC_D1XR_DELETE, "Delete"},
                                       {IDC_D1XR_CLOSE, "Close"}});
    for (QPushButton* b : buttons) {
        b->setAutoDefault(false);  // Enter clicks nothing here
    }
}

int C8021XAuRadiusServerDLG::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    auto* index = Item<QComboBox>(IDC_D1XR_INDEX);
    index->addItems({"1", "2", "3", "4", "5"});
    SetupControls();
    for (const ListHeading& h : kHeadings) {
        m_list->InsertColumn(m_list->GetColumnCount(), h.text, LVCFMT_CENTER, h.width);
    }
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_list->ModifyListStyle(0, LVS_SINGLESEL);
    m_list->setMinimumHeight(140);
    StartRead();
    return 1;
}

void C8021XAuRadiusServerDLG::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    CDialog::keyPressEvent(e);
}

void C8021XAuRadiusServerDLG::SetupControls() {
    SetIcon(QApplication::windowIcon());
    Item<QComboBox>(IDC_D1XR_INDEX)->setCurrentIndex(0);
    m_address->clear();
    SetDlgItemText(IDC_D1XR_AUTH_PORT, "1812");
    SetDlgItemText(IDC_D1XR_ACCT_PORT, "1813");
    SetDlgItemText(IDC_D1XR_TIMEOUT, "5");
    SetDlgItemText(IDC_D1XR_RETRANSMIT, "2");
    SetDlgItemText(IDC_D1XR_KEY, "");
    SetDlgItemText(IDC_D1XR_CONFIRM_KEY, "");
}

void C8021XAuRadiusServerDLG::StartRead() {
    EnableDlgItem(IDC_D1XR_APPLY, false);
    EnableDlgItem(IDC_D1XR_REFRESH, false);
    EnableDlgItem(IDC_D1XR_DELETE, false);
    m_bReadEnded = false;
    if (m_8021XLogic.SetOwnerWnd(this)) {
        m_8021XLogic.ReadRadiusServers();
    }
}

void C8021XAuRadiusServerDLG::FillList() {
    m_list->DeleteAllItems();
    for (const X8021_AuRadiusServer_Statistics_info& r : m_8021XLogic.m_RadiusList) {
        if (r.rowStatus != 1) {
            continue;
        }
        const int item = m_list->GetItemCount();
        const QString cells[] = {QString::number(r.index),
                                 QString::fromStdString(r.address),
                                 QString::fromStdString(r.NumberText(0)),
                                 QString::fromStdString(r.NumberText(1)),
                                 QString::fromStdString(r.NumberText(2)),
                                 QString::fromStdString(r.NumberText(3)),
                                 QString::fromStdString(r.key)};
        for (int c = 0; c < 7; ++c) {
            m_list->SetItemTextEx(item, c, cells[c]);
        }
    }
    m_bReadEnded = true;
    const bool ok = m_8021XLogic.LastEnd().Ok() || m_8021XLogic.LastEnd().stale;
    // Apply decides between a new and an existing server from the list: it needs the whole list.
    EnableDlgItem(IDC_D1XR_APPLY, ok);
    EnableDlgItem(IDC_D1XR_REFRESH, true);
    EnableDlgItem(IDC_D1XR_DELETE, true);
    if (!ok) {
        AfxMessageBox(kReadFailed, MB_OK);
    }
}

bool C8021XAuRadiusServerDLG::CheckInput() {
    // The address is checked as it stands now, whether or not it ever lost the focus.
    m_address->OnKillFocus();
    if (m_address->m_nValidCode == 0) {
        AfxMessageBox("Invalid Destination IP.", MB_OK);
        SetFocusTo(IDC_D1XR_ADDRESS);
        return false;
    }
    if (m_address->m_nValidCode != 1) {
        m_address->ShowAddressError();
        SetFocusTo(IDC_D1XR_ADDRESS);
        return false;
    }
    const struct {
        int id;
        int* member;
        int high;
        const char* message;
    } numbers[] = {
        {IDC_D1XR_AUTH_PORT, &m_nAuthPort, 65535,
         "Please Confirm Authentication Port range from 1 to 65535."},
        {IDC_D1XR_ACCT_PORT, &m_nAcctPort, 65535, "Please Confirm Accounting Port range from 1 to 65535."},
        {IDC_D1XR_TIMEOUT, &m_nTimeout, 255, "Please Confirm Timeout value range from 1 to 255."},
        {IDC_D1XR_RETRANSMIT, &m_nRetransmit, 255, "Please Confirm Retransmit value from 1 to 255."},
    };
    for (const auto& n : numbers) {
        int value = 0;
        if (!ParseNumber(GetDlgItemText(n.id), value) || value < 1 || value > n.high) {
            AfxMessageBox(n.message, MB_OK);
            SetFocusTo(n.id);
            Item<QLineEdit>(n.id)->selectAll();
            return false;
        }
        *n.member = value;
    }
    m_strKey = GetDlgItemText(IDC_D1XR_KEY);
    m_strConfirmKey = GetDlgItemText(IDC_D1XR_CONFIRM_KEY);
    if (m_strKey.empty() && m_strConfirmKey.empty()) {
        AfxMessageBox("Invalid Authentication RADIUS Server Key", MB_OK);
        return false;
    }
    if (m_strKey != m_strConfirmKey) {
        AfxMessageBox("Please Confirm Your Key!", MB_OK);
        return false;
    }
    return true;
}

SnmpAnswer C8021XAuRadiusServerDLG::SetOneValue(const std::string& oid, int type, const std::string& value) {
    m_setSession.Open(CCommonSNMP::REQUEST_SET);
    if (type == 2) {
        m_setSession.AddVarBind(oid, 2, value.c_str(), static_cast<int>(value.size()));
    } else {
        m_setSession.AddVarBind(oid, type, value.c_str());
    }
    const SnmpReply reply = SendRequest(m_setSession, std::atoi(g_strSnmpTimeout.c_str()));
    if (!reply.Accepted()) {
        TRACE("--------iStatus = %d, error status %d", reply.status, reply.ErrorStatus());
    }
    return reply.Answer();
}

std::string C8021XAuRadiusServerDLG::ApplyJob::Column(int c) const {
    return C8021XSettingLogic::RadiusColumn(c) + "." + indexText;
}

void C8021XAuRadiusServerDLG::OnApply() {
    if (!IsDlgItemEnabled(IDC_D1XR_APPLY) || m_run.Running()) {
        return;
    }
    // Index and address are checked before anything is sent: they name the row and its content.
    const std::string indexText = GetDlgItemText(IDC_D1XR_INDEX);
    if (indexText.size() != 1 || indexText[0] < '1' || indexText[0] > '5') {
        AfxMessageBox(kBadIndex, MB_OK);
        SetFocusTo(IDC_D1XR_INDEX);
        return;
    }
    if (!CheckInput()) {
        return;
    }
    const int number = indexText[0] - '0';
    auto job = std::make_shared<ApplyJob>();
    job->indexText = indexText;
    // An existing server is changed in place, so that a refused value never costs the server itself;
    // a new one is created first and made active last.
    job->create =
        std::none_of(m_8021XLogic.m_RadiusList.begin(), m_8021XLogic.m_RadiusList.end(),
                     [&](const X8021_AuRadiusServer_Statistics_info& r) { return r.index == number; });
    job->values = {
        {5, 1, std::to_string(m_nAuthPort), "the authentication port"},
        {6, 1, std::to_string(m_nAcctPort), "the accounting port"},
        {7, 1, std::to_string(m_nTimeout), "the timeout"},
        {8, 1, std::to_string(m_nRetransmit), "the retransmit count"},
        {9, 2, m_strKey, "the key"},
        {10, 1, "1", "the activation"},
    };
    // The address as it stands now: its type alone, then the type with the address.
    m_typeSession.Open(CCommonSNMP::REQUEST_SET);
    m_address->AddAddressTypeVarBind(m_typeSession, job->Column(2));
    m_addressSession.Open(CCommonSNMP::REQUEST_SET);
    m_address->AddAddressTypeVarBind(m_addressSession, job->Column(2));
    m_address->AddAddressVarBind(m_addressSession, job->Column(3));
    StartApply(job);
}

void C8021XAuRadiusServerDLG::StartApply(const std::shared_ptr<ApplyJob>& job) {
    m_list->DeleteAllItems();
    m_progress.Reset();
    m_other.Begin();
    m_created = false;
    const int steps = (job->create ? 1 : 0) + 1 + static_cast<int>(job->values.size());
    m_run.Start(
        steps, [this, job](int i) { return ApplyStep(i, *job); },
        [job](int i, int) {
            const int v = i - (job->create ? 2 : 1);
            const std::string what = v >= 0    ? job->values[static_cast<size_t>(v)].what
                                     : v == -1 ? "the address"
                                               : "creating its entry";
            return QString::fromStdString("Writing the RADIUS server " + job->indexText + ": " + what +
                                          "...");
        },
        [this, job](const StepsEnd& end) { OnApplyEnd(end, job); });
    // Until the run ends (its end reads the list again, which gives them back).
    for (int id : {IDC_D1XR_APPLY, IDC_D1XR_REFRESH, IDC_D1XR_DELETE}) {
        EnableDlgItem(id, false);
    }
}

StepOutcome C8021XAuRadiusServerDLG::ApplyStep(int i, const ApplyJob& job) {
    const std::string failedPrefix = "Failed to write the RADIUS server: ";
    if (job.create && i == 0) {
        // An entry of this index left unfinished by this module is replaced, another one only on the
        // user's Yes.
        m_progress.Enter(AddStage::kCreate);
        RowStatusAccess access =
            StatusAccessOn(m_setSession, job.Column(10), std::atoi(g_strSnmpTimeout.c_str()));
        access.progress = &m_progress;
        access.other = &m_other;
        access.stopping = [this] { return m_run.Runner().Stopping(); };
        switch (const RowAdded made = AddRow(access, "5")) {
            case RowAdded::kCreated:
                m_created = true;
                m_progress.Confirm();
                return StepOutcome::Done();
            case RowAdded::kStopped:
                return StepOutcome::Unanswered();  // said by the add's progress
            default:
                // Unanswered (made or not), or another manager's active entry: said as it is.
                return StepOutcome::Failed(
                    RowAddedText(made, "the RADIUS server " + job.indexText, failedPrefix));
        }
    }
    const int v = i - (job.create ? 2 : 1);
    const char* failed = nullptr;
    SnmpAnswer answer;
    answer.outcome = SnmpOutcome::kAccepted;
    if (v < 0) {
        m_progress.Enter(AddStage::kColumns);
        if (!(answer = SendRequest(m_typeSession).Answer()).Accepted()) {
            failed = "the address type";
        } else if (m_run.Runner().Stopping()) {
            return StepOutcome{false, {}, true};  // the type is written, the address not: unconfirmed
        } else if (!(answer = SendRequest(m_addressSession).Answer()).Accepted()) {
            failed = "the address";
        }
    } else {
        const ApplyJob::Value& value = job.values[static_cast<size_t>(v)];
        if (value.column == 10) {
            m_progress.Enter(AddStage::kActivate);
        }
        if (!(answer = SetOneValue(job.Column(value.column), value.type, value.value)).Accepted()) {
            failed = value.what;
        }
    }
    if (failed == nullptr) {
        if (v >= 0 && v + 2 >= static_cast<int>(job.values.size())) {
            m_progress.Confirm();  // the columns (the key the last of them) or the activation
        }
        return StepOutcome::Done();
    }
    if (m_run.Runner().Stopping()) {
        return StepOutcome::Unanswered();  // cut short by the stop: unconfirmed
    }
    StepOutcome outcome = AnswerStep(answer, {failed}, failedPrefix);
    if (m_created) {
        // Whatever the removal does, the entry this Apply made is not active. Row creation removes it
        // (and so no longer takes it for one this module left), and what the device holds is said.
        m_progress.Enter(AddStage::kColumns);
        const AddedRowRemoval removal = RemoveAddedRow(
            StatusAccessOn(m_setSession, job.Column(10), std::atoi(g_strSnmpTimeout.c_str())), m_progress);
        outcome.failure +=
            " " + AddedRowRemovalText(removal, answer, v + 1 == static_cast<int>(job.values.size()),
                                      "the RADIUS server " + job.indexText);
    }
    return outcome;
}

void C8021XAuRadiusServerDLG::OnApplyEnd(const StepsEnd& end, const std::shared_ptr<ApplyJob>& shared) {
    const ApplyJob& job = *shared;
    if (end.stopped) {
        // Closed during Apply: the dialog is ending.
        if (job.create) {
            AfxMessageBox(StoppedAddText("the RADIUS server " + job.indexText, m_progress), MB_OK);
        } else {
            std::vector<StepsName> names{{"the address"}};
            for (const ApplyJob::Value& value : job.values) {
                names.push_back({value.what});
            }
            AfxMessageBox(RunEndText(end, ListNamer(names)), MB_OK);
        }
        return;
    }
    if (m_other.Found()) {
        // Another server of this index, not active: replaced only on the user's Yes.
        if (AskReplace(m_other, "the RADIUS server " + job.indexText) && isVisible()) {
            StartApply(shared);
            return;
        }
    } else if (end.failed) {
        AfxMessageBox(end.failure, MB_OK);
    }
    if (!isVisible()) {
        return;  // the run had just ended as the dialog ended: nothing is read again
    }
    if (!end.failed) {
        SetupControls();
    }
    StartRead();
}

void C8021XAuRadiusServerDLG::OnDelete() {
    if (m_run.Running()) {
        return;  // the Apply's session is in use
    }
    const int row = m_list->GetSelectionMark();
    if (row < 0 || row >= m_list->GetItemCount()) {
        AfxMessageBox(kNoSelection, MB_OK);
        return;
    }
    const std::string oid =
        C8021XSettingLogic::RadiusColumn(10) + "." + m_list->GetItemText(row, 0).toStdString();
    if (const SnmpAnswer answer =
            DeletePickedRow(StatusAccessOn(m_setSession, oid, std::atoi(g_strSnmpTimeout.c_str())));
        answer.Accepted()) {
        SetupControls();
    } else {
        AfxMessageBox(AnswerText(answer, {"it"}, kDeleteFailed, "deleted"), MB_OK);
    }
    StartRead();
}
