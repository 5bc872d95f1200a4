// ARP spoofing prevention: add one gateway entry.
#include "features/security/AddARPEntry.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <cctype>
#include <memory>

#include "controls/IPAddressCtrl.h"
#include "core/RowCreate.h"
#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "core/Utils.h"
#include "features/common/AfterCloseRun.h"
#include "features/common/PortGridRows.h"
#include "features/security/AddedRowRemoval.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Form.h"
#include "platform/ui/Text.h"
#include "res/ids_impb.h"

using namespace ksx;

namespace {

constexpr unsigned kStepPause = 50;  // ms the device needs between two steps
// The model that creates its rows with create-and-go.
const char kCreateAndGoModel[] = "KSE-4200-08P B1";

const char kMacFormat[] = "Please enter correct MAC format(ex:00-00-00-00-00-01)";

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The MAC rules of this dialog; the message of the first one broken, empty when none is.
std::string MacProblem(const std::string& mac) {
    bool ok = mac.size() == 17;
    std::string digits;
    for (size_t i = 0; ok && i < mac.size(); ++i) {
        if (i % 3 == 2) {
            ok = mac[i] == '-';
        } else {
            ok = std::isxdigit(static_cast<unsigned char>(mac[i])) != 0;
            digits.push_back(mac[i]);
        }
    }
    if (!ok || digits == "000000000000") {
        return kMacFormat;
    }
    if (Lower(digits) == "ffffffffffff") {
        return "Broadcast MAC is not allowed.";
    }
    const int first = std::stoi(digits.substr(0, 2), nullptr, 16);
    if ((first & 1) != 0) {
        return "Multicast MAC address is not allowed.";
    }
    return std::string();
}

}  // namespace

namespace ksx::arp {

std::string PortBitmap(const std::vector<int>& flags) {
    std::vector<int> padded(flags);
    padded.resize(static_cast<size_t>(std::max(g_nPortNum, 0)), 0);
    std::string hex;
    CUtils::PortArrayToHex(padded.data(), hex);
    int pad = 0;
    switch (g_nPortNum) {
        case 8:
            pad = 6;
            break;
        case 10:
            pad = 5;
            break;
        case 16:
        case 48:
            pad = 4;
            break;
        case 20:
        case 52:
            pad = 3;
            break;
        case 24:
            pad = 2;
            break;
        case 28:
            pad = 1;
            break;
        default:
            break;
    }
    hex.append(static_cast<size_t>(pad), '0');
    // An odd digit count keeps its last digit (the octets round up).
    const int octets = static_cast<int>((hex.size() + 1) / 2);
    std::string out(static_cast<size_t>(octets), '\0');
    CUtils::HexToBytes(hex, reinterpret_cast<unsigned char*>(out.data()), octets);
    return out;
}

}  // namespace ksx::arp

CAddARPEntry::CAddARPEntry(QWidget* parent) : ClxDialog(IDD_ARP_ADD, parent) {
    OwnSession(m_cCommonSNMP);
    OnCommand(IDC_ARPA_APPLY, [this] { OnApply(); });
    OnCommand(IDC_ARPA_CANCEL, [this] { OnCancel(); });
    OnCommand(IDC_ARPA_ALL, [this] { OnAllPorts(); });
    OnCommandRange(IDC_ARPA_PORT_BASE + 1, IDC_ARPA_PORT_BASE + IDC_ARPA_MAX_PORTS,
                   [this](int id) { OnPortClick(id - IDC_ARPA_PORT_BASE); });
}

CAddARPEntry::~CAddARPEntry() = default;

void CAddARPEntry::CreateControls() {
    SetWindowText("ARP Spoofing Prevention Settings");
    ui::Form form(*this);
    auto group = form.Group("", IDC_ARPA_GROUP);
    m_address = RegisterControl(IDC_ARPA_ADDRESS, new CIPAddressCtrl);
    group.Row(
        {group.Label("Router / Gateway IP Address", IDC_ARPA_ADDRESS_LABEL), m_address, ui::Form::Stretch});
    auto* mac = group.Edit(IDC_ARPA_MAC);
    mac->setMaxLength(17);
    mac->setMinimumWidth(mac->fontMetrics().horizontalAdvance("00-00-00-00-00-00") + 16);
    group.Row({group.Label("Router / Gateway MAC Address", IDC_ARPA_MAC_LABEL), mac, ui::Form::Stretch});
    group.Row({group.Label("Ports", IDC_ARPA_PORTS_LABEL), group.Check(IDC_ARPA_ALL, "All Ports"),
               ui::Form::Stretch});
    m_portGrid = new QGridLayout;
    group.Layout()->addLayout(m_portGrid, group.Layout()->rowCount(), 0, 1, -1);
    m_status = form.Note("", IDC_ARPA_STATUS);
    m_status->setWordWrap(true);
    form.Buttons({{IDC_ARPA_APPLY, "&Apply"}, {IDC_ARPA_CANCEL, "&Cancel"}}, IDC_ARPA_APPLY);
}

void CAddARPEntry::CreatePortGrid() {
    QGridLayout* grid = m_portGrid;
    grid->setHorizontalSpacing(2);
    m_boxes.assign(static_cast<size_t>(m_nPortNum), nullptr);
    // Past the first row of the grid the ports continue in a second row below it.
    const int perRow = ui::PortsPerGridRow(m_nPortNum);
    for (int n = 1; n <= m_nPortNum; ++n) {
        const int block = n > perRow ? 1 : 0;
        const int column = block == 0 ? n - 1 : n - 1 - perRow;
        auto* label = RegisterControl(IDC_ARPA_PORT_LABEL_BASE + n, new QLabel(QString::number(n)));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance("00") + 6);
        grid->addWidget(label, block * 2, column);
        auto* box = RegisterControl(IDC_ARPA_PORT_BASE + n, new QCheckBox);
        grid->addWidget(box, block * 2 + 1, column, Qt::AlignCenter);
        m_boxes[static_cast<size_t>(n - 1)] = box;
    }
    if (m_nPortNum > perRow) {
        grid->setRowMinimumHeight(2, grid->rowMinimumHeight(2));
        grid->setVerticalSpacing(4);
    }
    grid->setColumnStretch(grid->columnCount(), 1);
}

int CAddARPEntry::OnInitDialog() {
    m_nPortNum = std::clamp(g_nPortNum, 0, IDC_ARPA_MAX_PORTS);
    m_portFlags.assign(static_cast<size_t>(m_nPortNum), 0);
    SetDlgItemText(IDC_ARPA_MAC, "");
    CreatePortGrid();
    m_trunk = std::make_unique<CTrunkMembership>(m_nPortNum);
    OwnSessions(m_trunk->Sessions());
    ClxDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_trunk->Read([this](const CTrunkGroups&) { UpdateApplyState(); });
    UpdateApplyState();
    return 1;
}

void CAddARPEntry::UpdateApplyState() {
    const CTrunkGroups& trunks = m_trunk->Groups();
    EnableDlgItem(IDC_ARPA_APPLY, trunks.Ended() && !m_run.Running());
    std::string text;
    if (trunks.Failed()) {
        text = "The trunk membership of the ports could not be read. Close the dialog and open it again.";
    } else if (!trunks.Ended()) {
        text = "Reading the trunk membership of the ports...";
    }
    m_status->setText(ui::ToQ(text));
    m_status->setVisible(!text.empty());
}

void CAddARPEntry::OnPortClick(int port) {
    if (port < 1 || port > m_nPortNum) {
        return;
    }
    m_portFlags[static_cast<size_t>(port - 1)] = IsDlgButtonChecked(IDC_ARPA_PORT_BASE + port) == 1 ? 1 : 0;
}

void CAddARPEntry::OnAllPorts() {
    const int state = IsDlgButtonChecked(IDC_ARPA_ALL) == 1 ? 1 : 0;
    for (int n = 1; n <= m_nPortNum; ++n) {
        CheckDlgButton(IDC_ARPA_PORT_BASE + n, state);
        m_portFlags[static_cast<size_t>(n - 1)] = state;
    }
}

int CAddARPEntry::DestroyWindow() {
    TRACE("==================DestroyWindow===============");
    TRACE("==================m_cCommonSNMP.Close===============");
    TRACE("==================m_cCommonSNMPTable.Close===============");
    return ClxDialog::DestroyWindow();
}

void CAddARPEntry::OnOK() {
    OnApply();  // Enter
}

void CAddARPEntry::OnApply() {
    if (!IsDlgItemEnabled(IDC_ARPA_APPLY) || m_run.Running()) {
        return;
    }
    const std::string address = m_address->GetAddress();
    const std::string mac = GetDlgItemText(IDC_ARPA_MAC);
    if (!CUtils::IsValidIPv4(address)) {
        AfxMessageBox("Multicast IP is not allowed", MB_OK);
        return;
    }
    if (const std::string problem = MacProblem(mac); !problem.empty()) {
        AfxMessageBox(problem, MB_OK);
        return;
    }
    // An inactive entry of this address is row creation's to replace (or to ask about).
    for (const arp::Entry& known : m_known) {
        if (known.address == address && known.status == "1") {
            AfxMessageBox(Lower(known.mac) == Lower(mac) ? "Duplicate MAC and IP." : "Duplicate IP.", MB_OK);
            return;
        }
    }
    if (std::none_of(m_portFlags.begin(), m_portFlags.end(), [](int f) { return f != 0; })) {
        AfxMessageBox("Invalid Port Number", MB_OK);
        return;
    }
    if (m_trunk->Groups().FirstPartlySetTrunkPort(m_portFlags.data()) != 0) {
        AfxMessageBox("ARP Spoofing Prevention enabled port must match to the aggregated link port.", MB_OK);
        return;
    }
    if (AfxMessageBox("Make sure the host IP and MAC exists or you will lose the connection.",
                      MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) != IDOK) {
        return;
    }
    auto job = std::make_shared<AddJob>();
    job->address = address;
    std::string digits = mac;
    digits.erase(std::remove(digits.begin(), digits.end(), '-'), digits.end());
    job->macOctets.assign(6, '\0');
    CUtils::HexToBytes(digits, reinterpret_cast<unsigned char*>(job->macOctets.data()), 6);
    job->bitmap = arp::PortBitmap(m_portFlags);
    job->create = g_strDeviceName == kCreateAndGoModel ? "4" : "5";
    StartAdd(job);
}

void CAddARPEntry::StartAdd(const std::shared_ptr<AddJob>& job) {
    // Off the window's thread, on a session nothing else uses.
    m_progress.Reset();
    m_other.Begin();
    m_finished = m_complete = false;
    m_run.Runner().SetCancel([this] { m_cCommonSNMP.Cancel(); });
    m_run.Start(
        3, [this, job](int i) { return AddStep(i, *job); },
        [job](int i, int) {
            static const char* const kSteps[] = {"creating its entry", "writing its MAC address and ports",
                                                 "activating it"};
            return ui::ToQ("Adding " + job->What() + ": " + kSteps[std::clamp(i, 0, 2)] + "...");
        },
        [this, job](const StepsEnd& end) { OnAddEnd(end, job); });
    UpdateApplyState();
}

SnmpAnswer CAddARPEntry::SetStatus(const std::string& index, const char* value) {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(arp::kStatusColumn + index, 1, value);
    return SendRequest(m_cCommonSNMP).Answer();
}

CAddARPEntry::ColumnsWritten CAddARPEntry::WriteColumns(const AddJob& job) {
    const std::string index = "." + job.address;
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMP.AddVarBind(arp::kMacColumn + index, 2, job.macOctets.data(),
                             static_cast<int>(job.macOctets.size()));
    if (const SnmpAnswer mac = SendRequest(m_cCommonSNMP).Answer(); !mac.Accepted()) {
        return {mac, "the MAC address"};
    }
    if (m_run.Runner().Stopping()) {
        return {SnmpAnswer{}, "the ports"};  // the ports stay unsent
    }
    // The ports, with the MAC binding still pending on the session.
    m_cCommonSNMP.AddVarBind(arp::kPortsColumn + index, 2, job.bitmap.data(),
                             static_cast<int>(job.bitmap.size()));
    return {SendRequest(m_cCommonSNMP).Answer(), "the ports"};
}

StepOutcome CAddARPEntry::AddStep(int i, const AddJob& job) {
    const std::string index = "." + job.address;
    const std::string failed = "Failed to add " + job.What() + ": ";
    const bool createAndGo = job.create == "4";
    switch (i) {
        case 0: {
            // An entry of this address left unfinished by this module is replaced (destroyed before the
            // create: these devices refuse a create over it), another only on the user's Yes; one a
            // create-and-go made without an answer gets the MAC address and ports given here, or goes.
            RowStatusAccess access = StatusAccessOn(m_cCommonSNMP, arp::kStatusColumn + index);
            access.progress = &m_progress;
            access.other = &m_other;
            access.readFirst = true;
            access.stopping = [this] { return m_run.Runner().Stopping(); };
            access.finish = [this, &job] {
                if (WriteColumns(job).answer.Accepted()) {
                    m_progress.Confirm();
                    m_complete = true;
                    return true;
                }
                return false;
            };
            const RowAdded created = AddRow(access, job.create);
            switch (created) {
                case RowAdded::kCreated:
                    if (!createAndGo) {
                        m_progress.Confirm();
                    }
                    return StepOutcome::Done();
                case RowAdded::kFinished:
                    m_finished = true;
                    return StepOutcome::Done();
                case RowAdded::kStopped:
                    return StepOutcome::Unanswered();  // said by the add's progress
                default:
                    return StepOutcome::Failed(RowAddedText(created, job.What(), failed));
            }
        }
        default:
            break;
    }
    if (m_finished) {
        return StepOutcome::Done();  // the create's own check wrote the rest
    }
    if (!m_run.Runner().Pause(kStepPause)) {
        return StepOutcome::NothingSent();
    }
    ColumnsWritten step;
    if (i == 1) {
        // On the create-and-go model the entry is active already: it is added once it holds these.
        m_progress.Enter(createAndGo ? AddStage::kActivate : AddStage::kColumns);
        step = WriteColumns(job);
    } else {
        m_progress.Enter(AddStage::kActivate);
        step = {SetStatus(index, "1"), "the activation"};
    }
    if (step.answer.Accepted()) {
        m_progress.Confirm();
        m_complete = m_complete || i == 1;
        return StepOutcome::Done();
    }
    if (m_run.Runner().Stopping()) {
        return StepOutcome::Unanswered();  // cut short by the stop: unconfirmed
    }
    // No half-made row stays behind: row creation removes the one this add made, and what the device
    // holds then is said (on the create-and-go model the entry is active from its create).
    if (!createAndGo) {
        m_progress.Enter(AddStage::kColumns);  // created, not active, whatever the removal does
    }
    const AddedRowRemoval removal =
        RemoveAddedRow(StatusAccessOn(m_cCommonSNMP, arp::kStatusColumn + index), m_progress);
    StepOutcome outcome = StepOutcome::Of(step.answer);
    outcome.failure =
        AnswerText(step.answer, {step.what}, failed) + " " +
        AddedRowRemovalText(
            removal, step.answer, i == 2, "the entry",
            createAndGo ? std::optional<std::string>("its MAC address and ports") : std::nullopt);
    return outcome;
}

void CAddARPEntry::OnAddEnd(const StepsEnd& end, const std::shared_ptr<AddJob>& job) {
    if (end.stopped) {
        // Closed during the add: the dialog is ending. On the create-and-go model a create that went out
        // may have made the entry active without the MAC address and ports given: row creation removes
        // it, once the run has ended, when it is this add's own, and what the device holds is said then.
        if (job->create != "4" || m_complete) {
            AfxMessageBox(StoppedAddText(job->What(), m_progress), MB_OK);
        } else {
            ui::RemoveUnfinishedAfterClose(arp::kStatusColumn, "." + job->address, job->What(), m_progress);
        }
        return;
    }
    if (m_other.Found()) {
        // Another entry of this address, not active: replaced only on the user's Yes.
        if (AskReplace(m_other, job->What()) && isVisible()) {
            StartAdd(job);
            return;
        }
        UpdateApplyState();
        return;
    }
    UpdateApplyState();
    if (end.failed) {
        AfxMessageBox(end.failure, MB_OK | MB_ICONERROR);
        return;
    }
    if (m_finished) {
        AfxMessageBox(RowAddedText(RowAdded::kFinished, job->What()), MB_OK);
    }
    if (!isVisible()) {
        return;
    }
    SetDlgItemText(IDC_ARPA_MAC, "");
    EndDialog(IDOK);
}
