// The main window: the switch's front panel with live link, PoE and fan indicators, and menu 131 with
// the feature commands, the tool commands (save configuration, reboot, telnet, web) and About.
//
// Threads. The polling thread (CPanelDeviceThread) calls GetFanStatus, Get10PPOEOrLinkStatus,
// GetLinkStatus and GetPOEPortStatus; the status walks run on their sessions' worker threads. Neither
// touches the panel tree, the lamp codes, timers or widgets: results go to the window by SendMessage
// (through the delivery gate) and the UI thread applies them (RefreshPortStatus, RefreshPOEPortStatus).
// Closing stops the polling thread with its flag, cancels its requests and joins it.
#pragma once

#include <QIcon>
#include <QPoint>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/BitmapDialog.h"
#include "core/CommonSNMP.h"
#include "features/port_system/ResetDevice.h"

class QLabel;

// The lamp phase the 200 ms timer alternates (UI thread).
extern unsigned char g_bBlinkPhase;

namespace ksx {

class CPanelDeviceThread;

// What a status walk collected: the comma lists of its columns ("5," per row) and how it ended.
struct LinkWalkResult {
    int status = 0;
    std::string indexList, speedList, adminStatusList, operStatusList, mediumList;
};
struct PoeWalkResult {
    int status = 0;
    std::string indexList, statusList;
};

class CQuorviaModuleDlg : public CBitmapDialog {
public:
    // Posted by the polling when the agent refused the SNMPv3 credentials (WPARAM: the status,
    // CSnmp4w::EC_AUTH_FAILED or EC_PRIV_FAILED).
    static constexpr unsigned kAuthFailedMessage = WM_USER + 2190;
    static constexpr int kPortLedCodeCount = 100;
    // The most ports of any model; a larger DevicePortNum in User.ini is refused.
    static constexpr int kMaxPortNum = 52;

    // SNMP objects of the status polling.
    static constexpr const char* kFanStatusOid = "1.3.6.1.4.1.7393.10.76.20.1.1.15.1.0";
    static constexpr const char* kLedModeOid = "1.3.6.1.4.1.7393.10.76.20.1.22.8.0";
    static constexpr const char* kPoePowerOid = "1.3.6.1.4.1.7393.10.76.20.1.22.6.0";
    static constexpr const char* kIfTypeOid = "1.3.6.1.2.1.2.2.1.3";
    static constexpr const char* kIfSpeedOid = "1.3.6.1.2.1.2.2.1.5";
    static constexpr const char* kIfAdminStatusOid = "1.3.6.1.2.1.2.2.1.7";
    static constexpr const char* kIfOperStatusOid = "1.3.6.1.2.1.2.2.1.8";
    static constexpr const char* kPortMediumOid = "1.3.6.1.4.1.7393.10.76.20.1.1.13.1.7";
    static constexpr const char* kPoePortStatusOid = "1.3.6.1.4.1.7393.10.76.20.1.22.1.1.13";
    static constexpr const char* kSaveConfigOid = "1.3.6.1.4.1.7393.10.76.20.1.1.10.0";

    explicit CQuorviaModuleDlg(QWidget* parent = nullptr);
    ~CQuorviaModuleDlg() override;

    // ---- Polling (polling thread) ----
    void GetFanStatus();
    // -1 when it skipped its work (the previous PoE-model walk has not ended), else 0.
    int Get10PPOEOrLinkStatus();
    void GetLinkStatus();
    void GetPOEPortStatus();
    // Walk callbacks (session worker threads), the window as user data.
    static int OnLinkStatusWalk(CSnmp* response, int requestId, void* window, int status);
    static int OnPoePortWalk(CSnmp* response, int requestId, void* window, int status);

    // ---- Results (UI thread) ----
    // Rows taken off the comma lists, in lockstep, until the index list is empty.
    void RefreshPortStatus(std::string adminList, std::string operList, std::string indexList,
                           std::string speedList, std::string mediumList);
    void RefreshPOEPortStatus(std::string indexList, std::string statusList);

    // Stops the polling thread and waits for it (UI thread; harmless when it is not running).
    void StopPolling();

    // ---- Views ----
    const std::string& GetDeviceName() const { return m_strDeviceName; }
    int GetPortNum() const { return m_nPortNum; }
    bool IsBusy() const { return m_bBusy.load() != 0; }
    int PortLedCode(int index) const;  // 3 for an index outside the array
    int PortMedium(int index) const;   // 0 for an index outside the array
    const std::string& FanStatus() const { return m_strFanStatus; }
    int LinkLedMode() const { return m_bLinkLedMode.load(); }
    int IsPowMax() const { return m_BIsPowMax.load(); }
    bool IsPolling() const;
    CPanelDeviceThread* PanelThread() const { return m_pPanelThread.get(); }
    // Set once port states from the device reached the panel.
    bool HasLiveStates() const { return m_bLiveStates; }

    // ---- Hooks ----
    // Starts a program (argv[0] searched on PATH); default: StartProcess. Telnet and Web use it.
    using ProcessStarter = std::function<bool(const std::vector<std::string>& argv)>;
    static void SetProcessStarter(ProcessStarter starter);
    // Runs once, after the first paint that shows port states read from the device.
    static void SetFirstLivePaintHook(std::function<void()> hook);

    // The application icon (resource 447).
    static QIcon ApplicationIcon();

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    int DestroyWindow() override;
    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(unsigned id) override;
    void OnPaint(QPainter& dc) override;

private:
    // Commands.
    void OnFeatureCommand(unsigned id);
    void OnSaveConfiguration();
    void OnReboot();
    void OnTelnet();
    void OnWeb();
    void OnAbout();
    void OnModuleMessage();
    void TailorMenu();
    // The agent refused the SNMPv3 credentials, or the privacy password is wrong: each said once per run
    // (UI thread).
    void OnAuthFailed(int status);
    void GiveUpInstance();

    // Results of the workers, applied on the UI thread.
    LRESULT OnLinkWalkResult(const LinkWalkResult& result);
    LRESULT OnPoeWalkResult(const PoeWalkResult& result);
    void SetAllLedCodes(unsigned char code);
    void SetPortRow(int index, int state, int medium);

    // A single get through the session's worker, so that stopping can cancel it: status, error status
    // and the values of the reply.
    struct ReadResult {
        int status = -1;
        int errorStatus = 0;
        std::vector<std::string> values;
    };
    ReadResult ReadNow(CCommonSNMP& session, int timeoutMs);
    static int OnReadNow(CSnmp* response, int requestId, void* context, int status);
    bool StopRequested() const;
    bool PollSleep(int ms);

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPset;
    CCommonSNMP m_cCommonSNMPFan;
    CCommonSNMP m_cCommonSNMPDevStat;
    CCommonSNMP m_cCommonSNMPPoe;
    CCommonSNMP m_cCommonSNMPPoeStat;
    // The Reboot command: its check and restart run off this window's thread; stopped when it closes.
    RebootCommand m_reboot;

    QIcon m_hIcon;
    std::unique_ptr<CPanelDeviceThread> m_pPanelThread;
    std::atomic<int> m_bBusy{0};
    std::string m_strDeviceName;
    int m_nPortNum = 0;
    int m_nComboPortOffset = 0;
    std::vector<int> m_pPortMedium;
    QPoint m_ptPortLed;

    // Polling state. The two ints are written by the polling thread and read when painting.
    std::atomic<int> m_bLinkLedMode{1};
    std::atomic<int> m_BIsPowMax{0};
    std::string m_strFanStatus = "1";  // UI thread
    std::atomic<int> m_bPoeWalkPending{0};
    unsigned char m_PortLedCode[kPortLedCodeCount];  // UI thread
    bool m_bLiveStates = false;
    bool m_bLivePaintReported = false;
    bool m_bAuthFailureSaid = false;  // UI thread
    bool m_bPrivFailureSaid = false;  // UI thread

    // Filled by the polling thread (before a walk starts) and the walk's worker (while it runs); the
    // UI thread reads them only during the send that hands them over.
    LinkWalkResult m_linkWalk;
    PoeWalkResult m_poeWalk;

    // Reply of the current ReadNow of each session (polling thread and that session's worker).
    struct ReadSlot {
        CCommonSNMP* session = nullptr;
        CQuorviaModuleDlg* owner = nullptr;
        std::mutex mutex;
        ReadResult result;
    };
    ReadSlot m_fanRead;
    ReadSlot m_poeRead;
};

// The About box (template 100).
class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

protected:
    void CreateControls() override;
    int OnInitDialog() override;
};

}  // namespace ksx
