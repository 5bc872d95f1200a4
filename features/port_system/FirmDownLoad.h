// "Firmware and Configuration Upgrade/Backup": tells the device a TFTP server and a file name, starts the
// upgrade or backup, then polls the transfer status until success, failure or a time-out. A progress bar
// advances on a timer meanwhile (it shows no real progress) and every input is disabled.
//
// One transfer at a time: the device has one status object per branch, which a second transfer would
// take over. So the dialog reads both statuses when it opens and again before Apply writes anything; a
// transfer found pending or in progress is followed to its end (the FileType box shows its kind)
// instead of starting another, and Apply then sends nothing and says so. A status that cannot be read
// at Apply sends nothing either. Closed mid-transfer, the dialog leaves the device's transfer alone.
//
// The reply callbacks run on the sessions' worker threads; they only post the outcome (request id and a
// reply code) to the dialog, which shows boxes and runs timers on the UI thread.
#pragma once

#include <atomic>
#include <string>

#include "core/CommonSNMP.h"
#include "platform/ui/Dialog.h"

class CEditEXIPV6;
class CGradientProgressCtrl;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CFirmDownLoad : public ksx::CDialog {
public:
    // Object identifiers of the two branches (firmware 3.9, configuration 3.10).
    static const char* const kFirmServerOid;
    static const char* const kFirmFileOid;
    static const char* const kFirmOperationOid;
    static const char* const kFirmStatusOid;
    static const char* const kConfServerOid;
    static const char* const kConfFileOid;
    static const char* const kConfOperationOid;
    static const char* const kConfStatusOid;

    // File kinds.
    enum { FILE_NONE = 0, FILE_FIRMWARE = 1, FILE_CONFIG = 2 };
    // Timer ids.
    enum : unsigned {
        FIRMWARE_BACKUPSTATUS = 2074,
        TIMER_FINISH = 2124,
        TIMER_PROGRESS = 2125,
        TIMER_OVERALL = 2126,
    };

    explicit CFirmDownLoad(QWidget* parent = nullptr);
    ~CFirmDownLoad() override;

    // Read-only views (UI thread).
    int FileKind() const { return m_nFileKind; }
    bool IsFinish() const { return m_IsFinish != 0; }
    // True while a transfer runs (inputs disabled).
    bool IsBusy() const { return m_bBusy; }
    int ProgressTimes() const { return m_ProgressTimes; }
    int PollTimeouts() const { return m_nPollTimeouts; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnTimer(unsigned id) override;

private:
    // Reply codes posted by the callbacks (set replies use 0, -1 and kReplyError; status replies also
    // pass the status value 0 to 4).
    static constexpr int kReplyTimeout = -1;
    static constexpr int kReplyError = -2;
    static constexpr int kReplyUnknownValue = -3;

    static int OnFileSetReply(CSnmp* response, int requestId, void* userData, int status);
    static int OnOperationReply(CSnmp* response, int requestId, void* userData, int status);
    static int OnStatusReply(CSnmp* response, int requestId, void* userData, int status);
    static int OnCheckReply(CSnmp* response, int requestId, void* userData, int status);

    void OnApply();
    void OnFileNameChange();
    void SendOperation();
    void SendStatusPoll();
    void HandleFileSetReply(int requestId, int code);
    void HandleOperationReply(int requestId, int code);
    void HandleStatusReply(int requestId, int code);
    // The status read of both branches (at the opening, and before Apply writes).
    void SendCheck(bool forApply);
    void HandleCheckReply(int requestId, int code);
    void SendFileSet();
    // Follows the transfer the device is running (`kind`, its status) as if this dialog had started it.
    void Follow(int kind, int status);
    void TakeStatus(int code);
    // Ends the transfer: no reply or timer of it counts any more; shows `text` (when given) and lets
    // the finish timer enable the controls again.
    void Finish(const std::string& text, int barPos = -1);
    void EnableInputs(bool enable);
    std::string FailureText() const;

    CCommonSNMP& SettingSession(int kind) {
        return kind == FILE_FIRMWARE ? m_cCommonSNMPFirmSet : m_cCommonSNMPConfSet;
    }
    CCommonSNMP& StatusSession(int kind) {
        return kind == FILE_FIRMWARE ? m_cCommonSNMPFirmStatus : m_cCommonSNMPConfStatus;
    }

    CEditEXIPV6* m_editServer = nullptr;
    QLineEdit* m_editFile = nullptr;
    QComboBox* m_cbOperation = nullptr;
    QComboBox* m_cbFileType = nullptr;
    QLabel* m_lblProgress = nullptr;
    CGradientProgressCtrl* m_progress = nullptr;
    QPushButton* m_btnApply = nullptr;
    QPushButton* m_btnClose = nullptr;

    int m_nFileKind = FILE_NONE;
    std::atomic<int> m_nReplyKind{FILE_NONE};  // the file kind as the callbacks read it
    int m_IsFinish = 1;
    int m_ProgressTimes = 0;
    int m_bTransferSeen = 0;
    // Uncounted polls (configuration) going unanswered before any "in progress": the overall time-out
    // guards them, so a device lost early does not keep the dialog busy for ever.
    bool m_bRunningSeen = false;
    bool m_bSilenceGuard = false;
    int m_nPollTimeouts = 0;  // unanswered polls in a row, this transfer only
    // The first poll fell due while the operation SET was still unanswered: it goes once that SET has
    // been accepted, so the device never sees a poll ahead of the operation it reports on.
    bool m_bPollDue = false;
    bool m_bBusy = false;
    // Request ids this transfer waits for; 0 when none. A reply with another id is stale.
    int m_nFileSetRequest = 0;
    int m_nOperationRequest = 0;
    int m_nStatusRequest = 0;
    int m_nCheckRequest = 0;
    // Apply waits for the status read before it writes; the address and file-name SET is prepared on
    // its session meanwhile (`m_bFileSetOpened`: that session's Open succeeded).
    bool m_bApplyWaiting = false;
    bool m_bCheckForApply = false;  // the read under way is Apply's own
    bool m_bFileSetOpened = false;

    CCommonSNMP m_cCommonSNMPFirmSet;
    CCommonSNMP m_cCommonSNMPConfSet;
    CCommonSNMP m_cCommonSNMPSetOp;
    CCommonSNMP m_cCommonSNMPFirmStatus;
    CCommonSNMP m_cCommonSNMPConfStatus;
    CCommonSNMP m_cCommonSNMPCheck;
};
