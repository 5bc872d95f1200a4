// "LLDP Global Settings": LLDP on or off, the four transmit timers, and the device's own LLDP system
// information (chassis ID and its subtype, system name and description).
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "controls/StepRun.h"
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
    // The writes' run (tests).
    CStepRun& Run() { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    int DestroyWindow() override;

private:
    // The nine objects, in read order; each empty when it was not read (missing, of another type).
    struct SystemInfo {
        std::vector<std::optional<std::string>> values;
    };
    static int OnSystemInfoResult(CSnmp* response, int requestId, void* userData, int status);
    void ShowSystemInfo(const SystemInfo& info);
    void EnableTimers(bool enable);
    // One SET of a write: the objects and the values it writes.
    using Request = std::vector<std::pair<const char*, std::string>>;
    struct WriteRequest {
        Request binds;
        bool tries = false;  // the last request of a write: see SendOnRun
    };
    // Runs the requests of a write in order, off the window's thread; the first that is not accepted
    // ends the write. Then says how `what` was not written and shows what the device holds.
    void StartWrite(const ksx::StepsName& what, std::vector<WriteRequest> requests);
    // Worker: sends `request` on m_cCommonSNMPSet. The last request of a write is sent up to three times
    // while the device refuses it (a pause between tries) and is followed by a pause when accepted, so
    // that the read after it finds the device settled. A request that got no answer at all is not sent
    // again: a write waits no longer than one time-out for a silent device.
    SnmpAnswer SendOnRun(const WriteRequest& request, int settleOkMs, int settleFailMs);
    void OnWriteEnd(const ksx::StepsEnd& end, const ksx::StepsName& what, const SnmpAnswer& failed);

    std::string m_strTxDelay;     // as last read
    std::string m_strTxInterval;  // as last read
    bool m_bRead = false;         // a read succeeded: the state box shows the device's state
    bool m_bTimersRead = false;   // the last read gave all four timers: the timer write may go
    bool m_bReadWhole = true;     // the read under way gave every value so far
    int m_nSettleOkMs = 2000;
    int m_nSettleFailMs = 1000;
    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    ksx::TableRead<SystemInfo> m_read;  // the nine objects in one step, on m_cCommonSNMP
    CStepRun m_run{*this};              // the writes, on m_cCommonSNMPSet; after the sessions it uses
};
