// RMON 1 statistics list and its entry dialog.
#include "features/monitoring/StatisticRmon1.h"

#include <QApplication>
#include <QLabel>
#include <optional>

#include "controls/ListCtrlEx.h"
#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "features/monitoring/Rmon1Entry.h"
#include "features/monitoring/StatisticRmonCnt.h"
#include "features/monitoring/StatisticRmonInf.h"
#include "platform/snmplib/Snmp.h"
#include "platform/snmplib/Tripwire.h"
#include "platform/sys/Globals.h"
#include "platform/ui/Form.h"
#include "res/ids_rmon1.h"

using namespace ksx;

namespace {

constexpr const char* kIfNumber = "1.3.6.1.2.1.2.1.0";
constexpr const char* kInterfacePrefix = "Interface #";

std::string Column(int column, const std::string& index) {
    return std::string(CStatisticRmon1::kEntry) + "." + std::to_string(column) + "." + index;
}

// A whole decimal number within lo..hi, or nothing.
std::optional<long> WholeNumber(const std::string& text, long lo, long hi) {
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    const long value = std::stol(text);
    if (value < lo || value > hi) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

CStatisticRmon1::CStatisticRmon1(QWidget* parent) : CDialog(IDD_RMON1_STATISTIC, parent) {
    OwnSession(m_addSession);
    m_run.Runner().SetCancel([this] { m_addSession.Cancel(); });
    OnCommand(IDC_RMON1_ADD, [this] { OnAdd(); });
    OnCommand(IDC_RMON1_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_RMON1_REFRESH, [this] { OnRefresh(); });
    OnCommand(IDC_RMON1_PARAMETER, [this] { OnParameter(); });
    OnCommand(IDC_RMON1_INTERFACE, [this] { OnInterface(); });
    OnNotify(NM_CLICK, IDC_RMON1_LIST, [this] { OnListClick(); });
    OnNotify(NM_DBLCLK, IDC_RMON1_LIST, [this] { OnListDblClk(); });
    m_walk.onReply = [this](const DirectReply& r) { return OnListWalkStep(r); };
    m_single.onReply = [this](const DirectReply& r) {
        OnInterfaceCountReply(r);
        return false;
    };
}

CStatisticRmon1::~CStatisticRmon1() = default;

void CStatisticRmon1::CreateControls() {
    ui::Form form(*this);
    m_list = form.Fill(RegisterControl(IDC_RMON1_LIST, new CListCtrlEx));
    m_list->setMinimumHeight(220);
    form.Row({"Number:", form.Label("0", IDC_RMON1_COUNT), ui::Form::Stretch});
    form.Buttons({{IDC_RMON1_REFRESH, "Refresh"},
                  {IDC_RMON1_INTERFACE, "Interface"},
                  {IDC_RMON1_PARAMETER, "Parameter"},
                  {IDC_RMON1_ADD, "Add"},
                  {IDC_RMON1_DELETE, "Delete"},
                  {IDCANCEL, "Close"}});
}

int CStatisticRmon1::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_list->InsertColumn(" Index    ", 0);
    m_list->InsertColumn(" Data Source     ", 1);
    m_list->SetExtendedStyle(0x120);
    m_nCurrentPort = 1;
    ReadInterfaceCount();
    SetWindowText(" RMON 1 Statistic Information: " + std::string(" Port ") + std::to_string(m_nCurrentPort));
    ClearList();
    StartListWalk();
    EnableDlgItem(IDC_RMON1_DELETE, false);
    return 1;
}

int CStatisticRmon1::DestroyWindow() {
    const int result = CDialog::DestroyWindow();  // nothing is delivered to the window any more
    m_walk.Release();
    m_single.Release();
    return result;
}

int CStatisticRmon1::ListRows() const {
    return m_list != nullptr ? m_list->GetItemCount() : 0;
}

std::string CStatisticRmon1::ListIndexText(int row) const {
    return m_list != nullptr && m_list->ValidRow(row) ? m_list->GetItemText(row, 0).toStdString()
                                                      : std::string();
}

void CStatisticRmon1::ReadInterfaceCount() {
    m_single.Start({kIfNumber});
}

void CStatisticRmon1::OnInterfaceCountReply(const DirectReply& reply) {
    // A failed read or a value that is not a number keeps the count it had.
    if (!reply.Accepted() || reply.Count() < 1 || reply.bindings[0].type != SNMP_REPLY_INTEGER) {
        return;
    }
    if (auto n = WholeNumber(reply.Text(0), 0, 999999999)) {
        m_nInterfaceCount = static_cast<int>(*n);
    }
}

void CStatisticRmon1::ClearList() {
    m_list->DeleteAllItems();
    SetDlgItemText(IDC_RMON1_COUNT, "");  // a count only once a walk reached the table's end
    m_indexList.clear();
}

void CStatisticRmon1::StartListWalk() {
    // A walk still running goes on filling the cleared list; no second one starts.
    if (m_walk.Pending()) {
        return;
    }
    m_walk.Start({std::string(kEntry) + ".1", std::string(kEntry) + ".2"});
}

bool CStatisticRmon1::OnListWalkStep(const DirectReply& reply) {
    const std::string indexColumn = std::string(kEntry) + ".1";
    const std::optional<std::string> instance =
        reply.Accepted() && reply.Count() >= 2 ? reply.Instance(0, indexColumn) : std::nullopt;
    if (!instance) {
        // The end of the table, a failure or a short reply ends the walk: a count only for the first.
        const bool whole = reply.status == CSnmp4w::EC_END_OF_WALK;
        SetDlgItemText(IDC_RMON1_COUNT, whole ? std::to_string(m_list->GetItemCount()) : std::string());
        if (!whole) {
            AfxMessageBox(kTextReadFailed, MB_OK);
        }
        return false;
    }
    const int row = m_list->GetItemCount();
    // The row is the one its index column's instance names; a data source of another row, of the
    // wrong type or without a value is an empty cell.
    const std::string index = *instance;
    const bool sourceRead = reply.Has(1) && reply.bindings[1].type == SNMP_REPLY_OID &&
                            reply.Instance(1, std::string(kEntry) + ".2") == instance;
    const std::string source = sourceRead ? reply.Text(1) : std::string();
    const size_t at = source.find("2.2.1.1.");
    // A data source outside the interface table is shown as it came.
    const std::string shown = at != std::string::npos ? kInterfacePrefix + source.substr(at + 8) : source;
    m_list->SetItemTextEx(row, 0, QString::fromStdString(index));
    m_list->SetItemTextEx(row, 1, QString::fromStdString(shown));
    m_indexList.push_back(index);
    return true;
}

std::string CStatisticRmon1::CheckEntry(const std::string& index, const std::string& port,
                                        const std::string& owner, int portCount) {
    if (!WholeNumber(index, 1, 65535)) {
        return "Please enter an index from 1 to 65535.";
    }
    if (!WholeNumber(port, 1, portCount)) {
        return "Please enter an interface from 1 to " + std::to_string(portCount) + ".";
    }
    if (owner.size() > 127) {
        return "The owner may have at most 127 characters.";
    }
    return "";
}

SnmpAnswer CStatisticRmon1::SendSet(
    const std::vector<std::pair<std::string, std::pair<int, std::string>>>& bindings) {
    CSnmpV1 request(3);
    request.setCommunity(g_strWriteCommunity.c_str());
    for (const auto& [oid, value] : bindings) {
        request.addValue(oid.c_str(), value.first, value.second.c_str(),
                         static_cast<int>(value.second.size()));
    }
    CSnmp* response = nullptr;
    const int status = request.send(AgentAddress().c_str(), response, 0);
    const SnmpAnswer answer = ClassifyAnswer(status, response, request.lastRequestSent());
    delete response;
    return answer;
}

void CStatisticRmon1::OnAdd() {
    if (m_run.Running()) {
        return;
    }
    CRmon1Entry entry;
    if (entry.DoModal() != IDOK) {
        return;
    }
    if (g_strSnmpVersion != "1") {
        ClearList();
        StartListWalk();
        return;
    }
    const std::string fault =
        CheckEntry(entry.m_strIndex, entry.m_strInterface, entry.m_strOwner, g_nPortNum);
    if (!fault.empty()) {
        AfxMessageBox(fault, MB_ICONWARNING);
        return;
    }
    const std::string index = std::to_string(*WholeNumber(entry.m_strIndex, 1, 65535));
    const std::string port = std::to_string(*WholeNumber(entry.m_strInterface, 1, g_nPortNum));
    StartAdd(AddJob{index, std::string(kIfIndex) + "." + port, entry.m_strOwner});
}

void CStatisticRmon1::StartAdd(const AddJob& job) {
    const std::string what = "the statistics entry " + job.index;
    m_addProgress.Reset();
    m_other.Begin();
    m_run.Start(
        2, [this, job](int i) { return AddStep(i, job); },
        [what](int i, int) {
            return QString::fromStdString("Adding " + what +
                                          (i == 0 ? ": creating its row..." : ": making it valid..."));
        },
        [this, what, job](const StepsEnd& end) {
            if (end.stopped) {
                // Closed during the add: the dialog is ending.
                AfxMessageBox(StoppedAddText(what, m_addProgress), MB_OK);
                return;
            }
            if (m_other.Found()) {
                // Another entry of that index, not valid: replaced only on the user's Yes.
                if (AskReplace(m_other, what) && isVisible()) {
                    StartAdd(job);
                    return;
                }
            } else if (end.failed) {
                AfxMessageBox(end.failure, MB_ICONWARNING);
            }
            ClearList();
            StartListWalk();
        });
}

StepOutcome CStatisticRmon1::AddStep(int step, const AddJob& job) {
    StepRunner& runner = m_run.Runner();
    if (runner.Stopping()) {
        return StepOutcome::NothingSent();
    }
    const std::string failed = "Failed to add the statistics entry " + job.index + ": ";
    RowStatusAccess access = StatusAccessOn(m_addSession, Column(21, job.index));
    access.kind = StatusKind::kEntryStatus;
    access.stopping = [&runner] { return runner.Stopping(); };
    if (step == 0) {
        // The row is made under creation with its data source and owner in the one request.
        access.send = [this, &job, status = access.send](const std::string& value) {
            if (value != "2") {
                return status(value);
            }
            m_addSession.Open(CCommonSNMP::REQUEST_SET);
            m_addSession.AddVarBind(Column(21, job.index), SNMP_TYPE_INTEGER, "2");
            m_addSession.AddVarBind(Column(2, job.index), SNMP_TYPE_OID, job.source.c_str());
            m_addSession.AddVarBind(Column(20, job.index), SNMP_TYPE_OCTETS, job.owner.data(),
                                    static_cast<int>(job.owner.size()));
            return SendRequest(m_addSession).Answer();
        };
        m_addProgress.Enter(AddStage::kCreate);
        access.progress = &m_addProgress;
        access.other = &m_other;
        switch (const RowAdded made = AddRow(access, "2")) {
            case RowAdded::kCreated:
                m_addProgress.Confirm();
                return StepOutcome::Done();
            case RowAdded::kStopped:
                return StepOutcome::Unanswered();  // the stop says what the device holds
            default:
                return StepOutcome::Failed(RowAddedText(made, "the statistics entry " + job.index, failed));
        }
    }
    m_addProgress.Enter(AddStage::kActivate);
    const SnmpAnswer valid = access.send("1");
    if (valid.Accepted()) {
        m_addProgress.Confirm();
        return StepOutcome::Done();
    }
    if (runner.Stopping()) {
        return StepOutcome::Unanswered();  // the stop says what the device holds
    }
    // No half-made row stays behind (removed through row creation); what the removal's answer leaves on
    // the device is said.
    StepOutcome outcome = AnswerStep(valid, {"its valid status"}, failed);
    const SnmpAnswer removal = RemoveOwnRow(access, m_addProgress.Owner());
    outcome.failure += " " + AddUndoneText(valid, true, removal, "the statistics entry " + job.index);
    return outcome;
}

void CStatisticRmon1::OnDelete() {
    if (m_run.Running()) {
        return;
    }
    if (AfxMessageBox("Do you want to delete the control item?", MB_OKCANCEL) != IDOK) {
        return;
    }
    const int row = m_list->GetFirstSelectedItem();
    if (row < 0) {
        return;
    }
    if (g_strSnmpVersion == "1") {
        const std::string index = ListIndexText(row);
        RowStatusAccess access;
        access.row = Column(21, index);
        access.kind = StatusKind::kEntryStatus;
        access.send = [this, &access](const std::string& v) {
            return SendSet({{access.row, {SNMP_TYPE_INTEGER, v}}});
        };
        if (const SnmpAnswer answer = DeletePickedRow(access); !answer.Accepted()) {
            AfxMessageBox(AnswerText(answer, {"it"}, "Failed to delete the statistics entry " + index + ": ",
                                     "deleted"),
                          MB_ICONWARNING);
        }
    }
    ClearList();
    StartListWalk();
    EnableDlgItem(IDC_RMON1_DELETE, false);
}

void CStatisticRmon1::OnRefresh() {
    ClearList();
    StartListWalk();
    EnableDlgItem(IDC_RMON1_DELETE, false);
}

void CStatisticRmon1::OnListClick() {
    const int row = m_list->GetFirstSelectedItem();
    if (row < 0) {
        EnableDlgItem(IDC_RMON1_DELETE, false);
        return;
    }
    const std::string source = m_list->GetItemText(row, 1).toStdString();
    long port = 0;
    if (source.rfind(kInterfacePrefix, 0) == 0) {
        port = WholeNumber(source.substr(11), 0, 999999999).value_or(0);
    }
    m_nCurrentPort = port >= 1 && port <= m_nInterfaceCount ? static_cast<int>(port) : 1;
    SetWindowText(" RMON1 Group Info" + std::string(" - Port : ") + std::to_string(m_nCurrentPort));
    EnableDlgItem(IDC_RMON1_DELETE, true);
}

void CStatisticRmon1::OnListDblClk() {
    const int row = m_list->GetFirstSelectedItem();
    if (row < 0) {
        EnableDlgItem(IDC_RMON1_DELETE, false);
        return;
    }
    CStatisticRmonInf view(this, row);
    view.DoModal();
}

void CStatisticRmon1::OnParameter() {
    CStatisticRmonCnt view(this, 1, GroupCount());
    view.DoModal();
}

void CStatisticRmon1::OnInterface() {
    const int row = m_list->GetFirstSelectedItem();
    CStatisticRmonInf view(this, row >= 0 ? row : 0);
    view.DoModal();
}
