// "LLDP Global Settings": LLDP on or off, the four transmit timers, and the device's own LLDP system
// information (chassis ID and its subtype, system name and description).
#pragma once

#include <string>
#include <vector>

#include "core/CommonSNMP.h"
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
    struct SystemInfo {
        std::vector<std::string> values;  // the nine objects, in read order
    };
    static int OnSystemInfoResult(CSnmp* response, int requestId, void* userData, int status);
    void ShowSystemInfo(const SystemInfo& info);
    void EnableTimers(bool enable);
    // Sends the pending request of m_cCommonSNMPSet up to three times; true once one was accepted.
    bool SendWithRetries();

    std::string m_strTxDelay;     // as last read
    std::string m_strTxInterval;  // as last read
    bool m_bRead = false;         // a read succeeded: the state box shows the device's state
    int m_nSettleOkMs = 2000;
    int m_nSettleFailMs = 1000;
    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    ksx::TableRead<SystemInfo> m_read;  // the nine objects in one step, on m_cCommonSNMP
};
