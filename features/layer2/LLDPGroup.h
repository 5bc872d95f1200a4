// "LLDP Global Settings": LLDP on or off, the four transmit timers, and the device's own LLDP system
// information (chassis ID and its subtype, system name and description).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "core/RunText.h"
#include "core/TableRead.h"
#include "platform/ui/Dialog.h"

class CLLDPGroup : public ksx::CDialog {
public:
    static constexpr const char* kStateOid = "1.3.6.1.4.1.7393.10.76.20.1.24.1.0";
    static constexpr const char* kHoldOid = "1.3.6.1.4.1.7393.10.76.20.1.24.2.0";
    static constexpr const char* kIntervalOid = "1.3.6.1.4.1.7393.10.76.20.1.24.3.0";
    static constexpr const char* kReinitOid = "1.3.6.1.4.1.7393.10.76.20.1.24.4.0";
    static constexpr const char* kTxDelayOid = "1.3.6.1.4.1.7393.10.76.20.1.24.5.0";

    explicit CLLDPGroup(QWidget* parent = nullptr);
    ~CLLDPGroup() override;

    void OnGetSystemInfo();
    void OnBUTTONLldpEnableApply();
    void OnApplyTimers();
    // Pause between a write and what follows it (the device settles); tests shorten it.
    void SetSettleTimes(int afterSuccessMs, int afterFailureMs);

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    // The nine objects, in read order; each empty when it was not read (missing, of another type).
    struct SystemInfo {
        std::vector<std::optional<std::string>> values;
    };
    static int OnSystemInfoResult(CSnmp* response, int requestId, void* userData, int status);
    void ShowSystemInfo(const SystemInfo& info);
    void EnableTimers(bool enable);
    // Sends the pending request of m_cCommonSNMPSet up to three times while the device refuses it, and
    // then calls `done` with the answer of the last try when it was not accepted (nothing when it was). A
    // request that got no answer at all is not sent again: the window never waits longer than one
    // time-out. The pauses between tries and after success do not hold the window (timers), except when
    // they are 0.
    void SendWithRetries(std::function<void(std::optional<SnmpAnswer>)> done, int attempt = 0);
    // After a write: says how `what` was not written (`failed`), then shows what the device holds.
    void AfterWrite(const std::optional<SnmpAnswer>& failed, const ksx::StepsName& what, int applyId);

    std::string m_strTxDelay;     // as last read
    std::string m_strTxInterval;  // as last read
    bool m_bRead = false;         // a read succeeded: the state box shows the device's state
    bool m_bTimersRead = false;   // the last read gave all four timers: the timer write may go
    bool m_bWriting = false;      // a write (with its tries and pauses) is under way
    bool m_bReadWhole = true;     // the read under way gave every value so far
    int m_nSettleOkMs = 2000;
    int m_nSettleFailMs = 1000;
    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    ksx::TableRead<SystemInfo> m_read;  // the nine objects in one step, on m_cCommonSNMP
};
