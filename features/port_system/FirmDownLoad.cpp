#include "features/port_system/FirmDownLoad.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>

#include "controls/EditEXIPV6.h"
#include "controls/GradientProgressCtrl.h"
#include "core/SnmpReply.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Text.h"
#include "res/ids_firmware.h"

using namespace ksx;

namespace {

// Durations of a transfer; the defaults are the device's.
const Tunable kFirstPollMs("firmware.first-poll-ms", 15000);
const Tunable kConfigFirstPollMs("firmware.config-first-poll-ms", 3000);
const Tunable kPendingPollMs("firmware.pending-poll-ms", 1000);
const Tunable kRetryPollMs("firmware.retry-poll-ms", 3000);
const Tunable kRunningPollMs("firmware.running-poll-ms", 5000);
const Tunable kOverallMs("firmware.overall-ms", 260000);
const Tunable kConfigOverallMs("firmware.config-overall-ms", 150000);
const Tunable kProgressFirstMs("firmware.progress-first-ms", 2000);
const Tunable kProgressNextMs("firmware.progress-next-ms", 2500);
const Tunable kFinishMs("firmware.finish-ms", 5);
const Tunable kFileSetTimeoutMs("firmware.file-set-timeout-ms", 10000);
const Tunable kOperationTimeoutMs("firmware.operation-timeout-ms", 15000);
const Tunable kStatusTimeoutMs("firmware.status-timeout-ms", 6000);

// Replies posted by the callbacks: wParam the request id, lParam the reply code.
constexpr unsigned WM_FIRM_FILESET_REPLY = WM_USER + 2074;
constexpr unsigned WM_FIRM_OPERATION_REPLY = WM_USER + 2075;
constexpr unsigned WM_FIRM_STATUS_REPLY = WM_USER + 2076;
constexpr unsigned WM_FIRM_CHECK_REPLY = WM_USER + 2077;

constexpr int kMaxFileName = 64;

const char* const kTextUpgradeQuestion =
    "The connection will be disconnected.\nPlease do not apply other changes when uploading.\nReconnect to "
    "the device later when uploading completes.";
const char* const kTextFirmwareTimeOut = "Time out! Please check TFTP Server IP and network.";
const char* const kTextConfigTimeOut =
    "Time out! Please check TFTP Server IP and network.\n You may close the current device Zelvion Module "
    "and implement 'Device Discovery'to restart it";
const char* const kTextTransferRunning =
    "FW upgrade/backup or config backup/restore is already progressing. Nothing was sent.";
// The transfer status read before a write: unanswered, or refused or unreadable.
const char* const kTextCheckUnanswered = "Get Info Fail ! The device did not answer: nothing was sent.";
const char* const kTextCheckUnread = "Get Info Fail ! Nothing was sent.";

// A transfer status that means the device is busy with a transfer: pending or in progress.
bool Running(long long status) {
    return status == 3 || status == 4;
}

// A set reply: 0 answered without error, -1 time-out, -2 anything else (an error status in the reply too).
int SetReplyCode(CSnmp* response, int status) {
    if (status == -1) {
        return -1;
    }
    return ReplyAccepted(status, response) ? 0 : -2;
}

// Starts the pending request of `session` (`opened`: whether its Open succeeded). The request id, or 0
// when the session refused the request: no reply will come then.
int StartRequest(CCommonSNMP& session, bool opened, SNMPWALKPROC callback, void* userData, int timeoutMs) {
    const int before = session.LastRequestID();
    session.StartAsyncWalk(callback, userData, timeoutMs);
    const int id = session.LastRequestID();
    return opened && id != before ? id : 0;
}

// Posts the code of a set reply to the dialog unless the reply is stale (another request of `session`);
// the session's exchange is done then.
void PostSetReply(CDialog* dlg, CCommonSNMP& session, unsigned msg, CSnmp* response, int requestId,
                  int status) {
    if (session.FindRequestID(requestId) == 0) {
        delete response;
        return;
    }
    const int code = SetReplyCode(response, status);
    delete response;
    dlg->PostMessage(msg, static_cast<WPARAM>(requestId), code);
    session.SetDone();
}

}  // namespace

const char* const CFirmDownLoad::kFirmServerOid = "1.3.6.1.4.1.7393.10.76.20.1.3.9.1.0";
const char* const CFirmDownLoad::kFirmFileOid = "1.3.6.1.4.1.7393.10.76.20.1.3.9.4.0";
const char* const CFirmDownLoad::kFirmOperationOid = "1.3.6.1.4.1.7393.10.76.20.1.3.9.5.0";
const char* const CFirmDownLoad::kFirmStatusOid = "1.3.6.1.4.1.7393.10.76.20.1.3.9.6.0";
const char* const CFirmDownLoad::kConfServerOid = "1.3.6.1.4.1.7393.10.76.20.1.3.10.1.0";
const char* const CFirmDownLoad::kConfFileOid = "1.3.6.1.4.1.7393.10.76.20.1.3.10.4.0";
const char* const CFirmDownLoad::kConfOperationOid = "1.3.6.1.4.1.7393.10.76.20.1.3.10.5.0";
const char* const CFirmDownLoad::kConfStatusOid = "1.3.6.1.4.1.7393.10.76.20.1.3.10.6.0";

static const ksx::ui::RegisterFeature s_registerFirmDownLoad(ID_MENU_FIRMWARE_TRANSFER, [] {
    CFirmDownLoad dlg;
    dlg.DoModal();
});

CFirmDownLoad::CFirmDownLoad(QWidget* parent) : CDialog(IDD_FIRMDOWNLOAD, parent) {
    // Closed in this order when the window goes; their replies are not delivered any more.
    OwnSession(m_cCommonSNMPCheck);
    OwnSession(m_cCommonSNMPSetOp);
    OwnSession(m_cCommonSNMPFirmStatus);
    OwnSession(m_cCommonSNMPConfStatus);
    OwnSession(m_cCommonSNMPConfSet);
    OwnSession(m_cCommonSNMPFirmSet);
    OnMessage(WM_FIRM_FILESET_REPLY, [this](WPARAM w, LPARAM l) -> LRESULT {
        HandleFileSetReply(static_cast<int>(w), static_cast<int>(l));
        return 1;
    });
    OnMessage(WM_FIRM_OPERATION_REPLY, [this](WPARAM w, LPARAM l) -> LRESULT {
        HandleOperationReply(static_cast<int>(w), static_cast<int>(l));
        return 1;
    });
    OnMessage(WM_FIRM_STATUS_REPLY, [this](WPARAM w, LPARAM l) -> LRESULT {
        HandleStatusReply(static_cast<int>(w), static_cast<int>(l));
        return 1;
    });
    OnMessage(WM_FIRM_CHECK_REPLY, [this](WPARAM w, LPARAM l) -> LRESULT {
        HandleCheckReply(static_cast<int>(w), static_cast<int>(l));
        return 1;
    });
}

CFirmDownLoad::~CFirmDownLoad() = default;

void CFirmDownLoad::CreateControls() {
    SetWindowText("Firmware and Configuration Upgrade/Backup");

    auto* outer = new QHBoxLayout(Client());
    auto* left = new QVBoxLayout;
    outer->addLayout(left, 1);

    auto* group = RegisterControl(IDC_FIRM_GROUP, new QGroupBox("Configuration"));
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(8);
    grid->addWidget(RegisterControl(IDC_FIRM_SERVER_LABEL, new QLabel("TFTP Server IP:")), 0, 0);
    m_editServer = RegisterControl(IDC_FIRM_SERVER_IP, new CEditEXIPV6);
    m_editServer->setMinimumWidth(150);
    grid->addWidget(m_editServer, 0, 1);
    grid->addWidget(RegisterControl(IDC_FIRM_FILE_LABEL, new QLabel("File Name:")), 0, 2);
    m_editFile = RegisterControl(IDC_FIRM_FILE_NAME, new QLineEdit);
    m_editFile->setMinimumWidth(150);
    grid->addWidget(m_editFile, 0, 3);
    grid->addWidget(RegisterControl(IDC_FIRM_OPERATION_LABEL, new QLabel("Operation Type:")), 1, 0);
    m_cbOperation = RegisterControl(IDC_FIRM_OPERATION, new QComboBox);
    grid->addWidget(m_cbOperation, 1, 1);
    grid->addWidget(RegisterControl(IDC_FIRM_FILETYPE_LABEL, new QLabel("FileType:")), 1, 2);
    m_cbFileType = RegisterControl(IDC_FIRM_FILETYPE, new QComboBox);
    m_cbFileType->addItems({"Configuration", "Firmware"});
    grid->addWidget(m_cbFileType, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    left->addWidget(group);

    auto* progressRow = new QHBoxLayout;
    m_lblProgress = RegisterControl(IDC_FIRM_PROGRESS_LABEL, new QLabel("Upgrade/BackUp:"));
    progressRow->addWidget(m_lblProgress);
    m_progress = RegisterControl(IDC_FIRM_PROGRESS, new CGradientProgressCtrl);
    // As high as its percentage text needs at the font in use.
    m_progress->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    progressRow->addWidget(m_progress, 1);
    left->addLayout(progressRow);

    auto* buttons = new QVBoxLayout;
    m_btnApply = RegisterControl(IDC_FIRM_APPLY, new QPushButton("&Apply"));
    m_btnClose = RegisterControl(IDC_FIRM_CLOSE, new QPushButton("&Close"));
    buttons->addSpacing(8);
    buttons->addWidget(m_btnApply);
    buttons->addWidget(m_btnClose);
    buttons->addStretch(1);
    outer->addLayout(buttons);

    OnCommand(IDC_FIRM_APPLY, [this] { OnApply(); });
    OnNotify(EN_CHANGE, IDC_FIRM_FILE_NAME, [this] { OnFileNameChange(); });
}

int CFirmDownLoad::OnInitDialog() {
    SetTopmost(false);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());

    m_cbOperation->addItems({"Upgrade", "Backup"});
    m_nFileKind = FILE_NONE;
    m_cbOperation->setCurrentIndex(0);
    m_cbFileType->setCurrentIndex(0);

    m_progress->SetStartColor(QColor(60, 60, 200));
    m_progress->SetEndColor(QColor(60, 60, 255));
    m_progress->SetRange(0, 100);
    m_progress->hide();
    m_lblProgress->hide();
    // A transfer left running (by a dialog closed meanwhile, or by another manager) is shown at once.
    SendCheck(false);
    return 1;
}

void CFirmDownLoad::OnOK() {
    if (m_bBusy) {
        return;  // Enter does not end a running transfer either
    }
    CDialog::OnOK();
}

void CFirmDownLoad::OnCancel() {
    // The Close button is disabled during a transfer; Esc and the close box end the dialog at any time
    // (its timers stop and its sessions close with the window; the device goes on with the transfer).
    CDialog::OnCancel();
}

void CFirmDownLoad::OnFileNameChange() {
    const QString text = m_editFile->text();
    if (text.size() <= kMaxFileName) {
        return;
    }
    const QString cut = text.left(kMaxFileName);
    const int start =
        m_editFile->hasSelectedText() ? m_editFile->selectionStart() : m_editFile->cursorPosition();
    AfxMessageBox("The maximum length of file name is 64!", MB_OK);
    m_editFile->setText(cut);
    m_editFile->setCursorPosition(std::min(start, static_cast<int>(cut.size())));
}

void CFirmDownLoad::OnApply() {
    if (m_bBusy) {
        return;
    }
    m_lblProgress->hide();
    m_progress->hide();
    m_IsFinish = 0;
    m_bTransferSeen = 0;
    m_bRunningSeen = false;
    m_bSilenceGuard = false;

    if (m_cbOperation->currentIndex() == 0 &&
        AfxMessageBox(kTextUpgradeQuestion, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) != IDOK) {
        return;
    }

    m_ProgressTimes = 1;
    m_lblProgress->show();
    m_progress->show();

    // The check that runs when the edit loses the focus, on the text as it stands.
    m_editServer->OnKillFocus();
    if (m_editServer->m_bValid == 0) {
        AfxMessageBox("Invalid TFTP server IP.", MB_OK);
        return;
    }

    const bool firmware = m_cbFileType->currentIndex() == 1;
    m_nFileKind = firmware ? FILE_FIRMWARE : FILE_CONFIG;
    m_nReplyKind.store(m_nFileKind);
    CCommonSNMP& session = SettingSession(m_nFileKind);
    const bool opened = session.Open(CCommonSNMP::REQUEST_SET);
    m_editServer->AddAddressVarBind(session, firmware ? kFirmServerOid : kConfServerOid);

    const std::string fileName = ui::ToStd(m_editFile->text());
    if (fileName.empty()) {
        AfxMessageBox("Invalid file.", MB_OK);
        return;
    }
    if (!firmware) {
        m_bTransferSeen = 1;  // configuration polls are never counted as unanswered
    }
    m_nPollTimeouts = 0;
    m_nOperationRequest = 0;
    m_nStatusRequest = 0;
    m_bPollDue = false;

    session.AddVarBind(firmware ? kFirmFileOid : kConfFileOid, 2, fileName.c_str());
    m_bFileSetOpened = opened;
    EnableInputs(false);
    // Nothing is written before the device's transfer status is read (after the opening's read, when
    // that one is still under way).
    m_bApplyWaiting = true;
    if (m_nCheckRequest == 0) {
        SendCheck(true);
    }
}

void CFirmDownLoad::SendFileSet() {
    m_nFileSetRequest = StartRequest(SettingSession(m_nFileKind), m_bFileSetOpened,
                                     &CFirmDownLoad::OnFileSetReply, this, kFileSetTimeoutMs.Get());
    if (m_nFileSetRequest == 0) {
        Finish("Setting file name Fail !");
    }
}

void CFirmDownLoad::SendCheck(bool forApply) {
    m_bCheckForApply = forApply;
    const bool opened = m_cCommonSNMPCheck.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMPCheck.AddVarBind(kFirmStatusOid, 4, nullptr);
    m_cCommonSNMPCheck.AddVarBind(kConfStatusOid, 4, nullptr);
    m_nCheckRequest =
        StartRequest(m_cCommonSNMPCheck, opened, &CFirmDownLoad::OnCheckReply, this, kFileSetTimeoutMs.Get());
    if (m_nCheckRequest == 0) {
        m_nCheckRequest = -1;
        HandleCheckReply(-1, kReplyError);
    }
}

int CFirmDownLoad::OnCheckReply(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CFirmDownLoad*>(userData);
    CCommonSNMP& session = self->m_cCommonSNMPCheck;
    if (session.FindRequestID(requestId) == 0) {
        delete response;
        return 0;
    }
    // Posted as a failure code below 0, else kind * 10 + status of the transfer running (0: none).
    int code = status == -1 ? kReplyTimeout : kReplyError;
    if (status == 0 && response != nullptr && ReplyErrorStatus(response) == 0) {
        const std::optional<long long> firmware = ReadInteger(response, 0);
        const std::optional<long long> config = ReadInteger(response, 1);
        code = kReplyUnknownValue;
        if (firmware && config) {
            const int kind = Running(*firmware) ? FILE_FIRMWARE : Running(*config) ? FILE_CONFIG : FILE_NONE;
            code = kind == FILE_NONE
                       ? 0
                       : kind * 10 + static_cast<int>(kind == FILE_FIRMWARE ? *firmware : *config);
        }
    }
    delete response;
    self->PostMessage(WM_FIRM_CHECK_REPLY, static_cast<WPARAM>(requestId), code);
    session.SetDone();
    return 0;
}

void CFirmDownLoad::HandleCheckReply(int requestId, int code) {
    if (requestId != m_nCheckRequest) {
        return;  // stale
    }
    m_nCheckRequest = 0;
    if (m_bApplyWaiting && !m_bCheckForApply) {
        SendCheck(true);  // Apply came during the opening's read: it reads afresh
        return;
    }
    const bool apply = m_bApplyWaiting;
    m_bApplyWaiting = false;
    if (code >= 10) {
        if (apply) {
            AfxMessageBox(kTextTransferRunning, MB_OK);
        }
        Follow(code / 10, code % 10);
    } else if (apply && code >= 0) {
        SendFileSet();
    } else if (apply) {
        Finish(code == kReplyTimeout ? kTextCheckUnanswered : kTextCheckUnread);
    }
}

void CFirmDownLoad::Follow(int kind, int status) {
    m_nFileKind = kind;
    m_nReplyKind.store(kind);
    m_cbFileType->setCurrentIndex(kind == FILE_FIRMWARE ? 1 : 0);
    m_IsFinish = 0;
    m_bTransferSeen = kind == FILE_FIRMWARE ? 0 : 1;
    m_bRunningSeen = false;
    m_bSilenceGuard = false;
    m_nPollTimeouts = 0;
    m_nFileSetRequest = 0;
    m_nOperationRequest = 0;
    m_nStatusRequest = 0;
    m_bPollDue = false;
    m_ProgressTimes = 1;
    m_lblProgress->show();
    m_progress->show();
    EnableInputs(false);
    SetTimer(TIMER_PROGRESS, kProgressFirstMs.Get());
    TakeStatus(status);
}

void CFirmDownLoad::EnableInputs(bool enable) {
    m_bBusy = !enable;
    for (int id : {IDC_FIRM_SERVER_IP, IDC_FIRM_FILE_NAME, IDC_FIRM_OPERATION, IDC_FIRM_FILETYPE,
                   IDC_FIRM_APPLY, IDC_FIRM_CLOSE}) {
        EnableDlgItem(id, enable);
    }
}

int CFirmDownLoad::OnFileSetReply(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CFirmDownLoad*>(userData);
    PostSetReply(self, self->SettingSession(self->m_nReplyKind.load()), WM_FIRM_FILESET_REPLY, response,
                 requestId, status);
    return 0;
}

int CFirmDownLoad::OnOperationReply(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CFirmDownLoad*>(userData);
    PostSetReply(self, self->m_cCommonSNMPSetOp, WM_FIRM_OPERATION_REPLY, response, requestId, status);
    return 0;
}

int CFirmDownLoad::OnStatusReply(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CFirmDownLoad*>(userData);
    CCommonSNMP& session = self->StatusSession(self->m_nReplyKind.load());
    if (session.FindRequestID(requestId) == 0) {
        delete response;
        return 0;
    }
    int code = kReplyError;
    if (status == -1) {
        code = kReplyTimeout;
    } else if (status == 0 && response != nullptr) {
        code = kReplyUnknownValue;
        const std::string value = BindingValue(response, 0);
        if (ReplyErrorStatus(response) == 0 && value.size() == 1 && value[0] >= '0' && value[0] <= '4') {
            code = value[0] - '0';
        }
    }
    delete response;
    self->PostMessage(WM_FIRM_STATUS_REPLY, static_cast<WPARAM>(requestId), code);
    session.SetDone();
    return 0;
}

void CFirmDownLoad::HandleFileSetReply(int requestId, int code) {
    if (m_IsFinish != 0 || requestId != m_nFileSetRequest) {
        return;  // stale
    }
    m_nFileSetRequest = 0;
    if (code == kReplyTimeout) {
        Finish("Setting file name TimeOut !");
    } else if (code != 0) {
        Finish("Setting file name Fail !");
    } else {
        SendOperation();
    }
}

void CFirmDownLoad::SendOperation() {
    const bool firmware = m_nFileKind == FILE_FIRMWARE;
    const bool opened = m_cCommonSNMPSetOp.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSetOp.AddVarBind(firmware ? kFirmOperationOid : kConfOperationOid, 1,
                                  m_cbOperation->currentIndex() == 1 ? "2" : "1");
    SetTimer(TIMER_PROGRESS, kProgressFirstMs.Get());
    m_nOperationRequest = StartRequest(m_cCommonSNMPSetOp, opened, &CFirmDownLoad::OnOperationReply, this,
                                       kOperationTimeoutMs.Get());
    if (m_nOperationRequest == 0) {
        Finish("Setting operation Fail !");
        return;
    }
    SetTimer(FIRMWARE_BACKUPSTATUS, firmware ? kFirstPollMs.Get() : kConfigFirstPollMs.Get());
}

void CFirmDownLoad::HandleOperationReply(int requestId, int code) {
    if (m_IsFinish != 0 || requestId != m_nOperationRequest) {
        return;
    }
    m_nOperationRequest = 0;
    if (code == kReplyTimeout) {
        Finish("Setting operation TimeOut !");
    } else if (code != 0) {
        Finish("Setting operation Fail !");
    } else if (m_bPollDue) {
        m_bPollDue = false;
        SendStatusPoll();
    }
}

void CFirmDownLoad::SendStatusPoll() {
    CCommonSNMP& session = StatusSession(m_nFileKind);
    const bool opened = session.Open(CCommonSNMP::REQUEST_GET);
    session.AddVarBind(m_nFileKind == FILE_FIRMWARE ? kFirmStatusOid : kConfStatusOid, 4, nullptr);
    m_nStatusRequest =
        StartRequest(session, opened, &CFirmDownLoad::OnStatusReply, this, kStatusTimeoutMs.Get());
    if (m_nStatusRequest == 0) {
        Finish("Get Info Fail !");
    }
}

void CFirmDownLoad::HandleStatusReply(int requestId, int code) {
    if (m_IsFinish != 0 || requestId != m_nStatusRequest) {
        return;
    }
    m_nStatusRequest = 0;
    TakeStatus(code);
}

void CFirmDownLoad::TakeStatus(int code) {
    const bool firmware = m_nFileKind == FILE_FIRMWARE;
    switch (code) {
        case kReplyTimeout:
            if (m_bTransferSeen == 0) {
                // Unanswered polls before the device reported the transfer running: four in a row end it.
                if (++m_nPollTimeouts > 3) {
                    Finish(firmware ? "Get Firmware BackUp/Upgrade status Time Out !" : "");
                } else {
                    SetTimer(FIRMWARE_BACKUPSTATUS, kRetryPollMs.Get());
                }
                return;
            }
            if (!m_bRunningSeen && !m_bSilenceGuard) {
                m_bSilenceGuard = true;
                SetTimer(TIMER_OVERALL, firmware ? kOverallMs.Get() : kConfigOverallMs.Get());
            }
            SetTimer(FIRMWARE_BACKUPSTATUS, kRetryPollMs.Get());
            break;
        case 0:
        case 1:
            Finish("Success!", 99);
            break;
        case 2:
            Finish(FailureText());
            break;
        case 4:
            if (m_bSilenceGuard) {  // the device answers again: pending waits without a time-out
                m_bSilenceGuard = false;
                KillTimer(TIMER_OVERALL);
            }
            SetTimer(FIRMWARE_BACKUPSTATUS, kPendingPollMs.Get());
            break;
        case 3:
            m_bTransferSeen = 1;
            m_bRunningSeen = true;
            m_bSilenceGuard = false;
            SetTimer(FIRMWARE_BACKUPSTATUS, kRunningPollMs.Get());
            SetTimer(TIMER_OVERALL, firmware ? kOverallMs.Get() : kConfigOverallMs.Get());
            break;
        default:  // a request error, an error status or a value the device does not define
            Finish("Get Info Fail !");
            break;
    }
    m_nPollTimeouts = 0;
}

std::string CFirmDownLoad::FailureText() const {
    const bool backup = m_cbOperation->currentIndex() == 1;
    if (m_nFileKind == FILE_FIRMWARE) {
        return backup ? "Firmware Backup Fail!" : "Firmware Upgrade Fail!";
    }
    return backup ? "Config File Backup Fail!" : "Config File Upgrade Fail!";
}

void CFirmDownLoad::Finish(const std::string& text, int barPos) {
    m_IsFinish = 1;
    m_nFileSetRequest = 0;
    m_nOperationRequest = 0;
    m_nStatusRequest = 0;
    m_bPollDue = false;
    KillTimer(TIMER_PROGRESS);
    KillTimer(TIMER_OVERALL);
    KillTimer(FIRMWARE_BACKUPSTATUS);
    if (barPos >= 0) {
        m_progress->SetPos(barPos);
    }
    if (!text.empty()) {
        AfxMessageBox(text, MB_OK);
    }
    SetTimer(TIMER_FINISH, kFinishMs.Get());
}

void CFirmDownLoad::OnTimer(unsigned id) {
    KillTimer(id);
    switch (id) {
        case FIRMWARE_BACKUPSTATUS:
            if (m_IsFinish != 0) {
                break;
            }
            if (m_nOperationRequest != 0) {
                m_bPollDue = true;  // sent when the operation SET is answered
            } else {
                SendStatusPoll();
            }
            break;
        case TIMER_FINISH:
            if (m_IsFinish == 0) {
                break;
            }
            KillTimer(TIMER_OVERALL);
            KillTimer(TIMER_PROGRESS);
            KillTimer(FIRMWARE_BACKUPSTATUS);
            EnableInputs(true);
            m_progress->SetPos(0);
            break;
        case TIMER_PROGRESS:
            if (m_ProgressTimes < 90 && m_IsFinish == 0) {
                m_progress->SetPos(m_ProgressTimes);
                m_ProgressTimes += 2;
                SetTimer(TIMER_PROGRESS, kProgressNextMs.Get());
            }
            break;
        case TIMER_OVERALL:
            if (m_IsFinish == 0) {
                Finish(m_nFileKind == FILE_FIRMWARE ? kTextFirmwareTimeOut : kTextConfigTimeOut);
            }
            break;
        default:
            break;
    }
}
