// Device access of traffic segmentation: the feature's state (read in one step, written by one SET)
// and the write of one port's forwarding set. The forwarding table itself is walked by the dialog.
#pragma once

#include <functional>
#include <string>

#include "core/CommonSNMP.h"
#include "core/ModuleBase.h"
#include "core/TableRead.h"

class CTrafficSeg : public CModuleBase {
public:
    static constexpr const char* kState = "1.3.6.1.4.1.7393.10.76.20.1.14.9.1.0";
    static constexpr const char* kForwardPort = "1.3.6.1.4.1.7393.10.76.20.1.14.9.2.1.1";
    static constexpr const char* kForwardBitmap = "1.3.6.1.4.1.7393.10.76.20.1.14.9.2.1.2";

    CTrafficSeg();
    ~CTrafficSeg() override;

    // Starts the read of the state. m_strState is empty until a read succeeded; `onStateRead` (UI
    // thread) learns whether it did.
    void GetTrafficSegState();
    // Writes the state ("1" or "2"); the layer's account of the SET.
    SnmpAnswer SetTrafficSegState(const std::string& state);
    // Writes port `port`'s forwarding set; the layer's account of the SET.
    SnmpAnswer SetForwardingPorts(const std::string& port, const unsigned char* bytes, int length);

    std::string m_strState;  // the state of the last successful read; empty when it failed
    std::function<void(bool ok)> onStateRead;
    std::function<void(bool ok)> onTrunksRead;  // the trunk membership read ended (UI thread)

private:
    static int OnStateRead(CSnmp* response, int requestId, void* userData, int status);

    CCommonSNMP m_cCommonSNMP;
    ksx::TableRead<std::string> m_stateRead;
    std::string m_strReadState;
};
