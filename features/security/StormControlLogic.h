// Device access of storm control: the three global scalars (state, type, threshold) read in one step
// and written in one SET of the values that changed. Results reach the owner window (CModuleBase's) by
// WM_SNMP_RESULT on the UI thread.
#pragma once

#include <string>

#include "core/CommonSNMP.h"
#include "core/ModuleBase.h"
#include "core/TableRead.h"
#include "platform/sys/Messages.h"

// wParam 0: lParam points to a StormControlGlobals (valid during the call); 2: the read failed (lParam
// 0); 3: a write ended, lParam points to "WriteFinished".
constexpr unsigned WM_SNMP_RESULT = ksx::WM_USER + 10;

struct StormControlGlobals {
    std::string state;      // "1" enabled, "2" disabled
    std::string type;       // "1" to "3"
    std::string threshold;  // kbit/s
};

class CStormControlLogic : public CModuleBase {
public:
    static constexpr const char* kState = "1.3.6.1.4.1.7393.10.76.20.1.13.3.1.0";
    static constexpr const char* kType = "1.3.6.1.4.1.7393.10.76.20.1.13.3.2.0";
    static constexpr const char* kThreshold = "1.3.6.1.4.1.7393.10.76.20.1.13.3.3.0";

    CStormControlLogic();
    ~CStormControlLogic() override;

    // Starts the read of the three scalars; the record (or the failure) reaches the owner.
    void GetStormGlobals();
    // One SET of what differs between `old` and `now` (the state alone when it is switched off; nothing
    // while it stays off). Reports wParam 3 afterwards unless it stayed off. The layer's account of the
    // SET; accepted when there was nothing to send.
    SnmpAnswer SetStormGlobals(const StormControlGlobals& old, const StormControlGlobals& now);
    bool ReadRunning() const { return m_globalsRead.Running(); }

private:
    static int OnGlobalsRead(CSnmp* response, int requestId, void* userData, int status);

    CCommonSNMP m_cCommonSNMPGet;
    CCommonSNMP m_cCommonSNMPSet;
    ksx::TableRead<StormControlGlobals> m_globalsRead;
};
