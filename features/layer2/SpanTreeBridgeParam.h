// "Bridge Config" over the bridge MIB's spanning tree group: priority and the three bridge timers in
// 1/100 s, the RSTP switch and version, and the topology values in use. "Port Setting" opens the
// bridge MIB port table.
#pragma once

#include <optional>
#include <string>

#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "platform/ui/Dialog.h"

class CSpanTreeBridgeParam : public ksx::CDialog {
public:
    // The thirteen values of one read, in the order they are asked for.
    struct BridgeValues {
        std::string priority;
        std::string topoChangeTime;
        std::string topoChanges;
        std::string designatedRoot;  // raw octets
        std::string rootPort;
        int maxAge = 0;
        int hello = 0;
        int forwardDelay = 0;
        std::string helloUsed;
        std::string holdTime;
        std::string forwardDelayUsed;
        std::string state;
        std::string version;
    };

    // The values of a reply that carries every object; none (the step rejected) for a shorter one.
    static std::optional<BridgeValues> ParseReply(const ksx::WalkStep& step);

    explicit CSpanTreeBridgeParam(QWidget* parent = nullptr);
    ~CSpanTreeBridgeParam() override;

    void ReadBridgeValues();
    const std::string& RememberedState() const { return m_strRstpState; }
    int DestroyWindow() override;

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnOK() override;

private:
    static int OnBridgeValuesReply(CSnmp* response, int requestId, void* userData, int status);
    void ShowBridgeValues(const BridgeValues& v);
    void EnableForm(bool enable);

    std::string m_strRstpState;
    BridgeValues m_read;
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
