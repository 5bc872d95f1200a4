// "STP Configuration": the device's spanning tree switch, version, bridge priority, transmit hold count
// and bridge timers (whole seconds on screen, 1/100 s on the wire), with the root bridge's values. Opens
// the port table with "Port Setting".
#pragma once

#include <optional>
#include <string>

#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "platform/ui/Dialog.h"

class CPrivateSpanTBridge : public ksx::CDialog {
public:
    // The twelve values of one read, in the order they are asked for.
    struct BridgeValues {
        std::string priority;
        std::string rootMaxAge;
        std::string rootBridge;  // raw octets
        std::string rootPort;
        int maxAge = 0;  // 1/100 s
        int hello = 0;
        int forwardDelay = 0;
        std::string rootCost;
        std::string txHold;
        std::string rootForwardDelay;
        std::string state;
        std::string version;
    };

    // The values of a reply that carries every object; none (the step rejected) for a shorter one.
    static std::optional<BridgeValues> ParseReply(const ksx::WalkStep& step);

    explicit CPrivateSpanTBridge(QWidget* parent = nullptr);
    ~CPrivateSpanTBridge() override;

    // Starts the read of the bridge values; the form follows when the reply has all twelve.
    void ReadBridgeValues();
    // The state as last read or written: "1", "0", or "" before the first read.
    const std::string& RememberedState() const { return m_strStpState; }

    int DestroyWindow() override;

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    // "&Apply": checks the form and writes it; the dialog stays open.
    void OnOK() override;

private:
    static int OnBridgeValuesReply(CSnmp* response, int requestId, void* userData, int status);
    void ShowBridgeValues(const BridgeValues& v);
    void EnableForm(bool enable);
    void OnStpStateClicked();
    void OnVersionChange();
    void OnPortSetting();

    std::string m_strStpState;
    BridgeValues m_read;  // the last values read (their timers are put back after a failed write)
    bool m_bReadOk = false;
    int m_nMaxAge = 600;
    int m_nForwardDelay = 400;
    int m_nHello = 100;
    int m_nPriority = 0;

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    CCommonSNMP m_cCommonSNMPSet0;
    ksx::TableRead<BridgeValues> m_bridgeRead;
};
