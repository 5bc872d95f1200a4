// "STP Configuration": the device's spanning tree switch, version, bridge priority, transmit hold count
// and bridge timers (whole seconds on screen, 1/100 s on the wire), with the root bridge's values. Opens
// the port table with "Port Setting".
#pragma once

#include <optional>
#include <string>

#include "core/TableRead.h"
#include "features/layer2/PrivateSpanTBridgeBase.h"

// The twelve values of one read, in the order they are asked for.
struct PrivateSpanTBridgeValues {
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

class CPrivateSpanTBridge : public CPrivateSpanTBridgeBase<PrivateSpanTBridgeValues> {
public:
    using BridgeValues = PrivateSpanTBridgeValues;

    // The values of a reply that carries every object; none (the step rejected) for a shorter one.
    static std::optional<BridgeValues> ParseReply(const ksx::WalkStep& step);

    explicit CPrivateSpanTBridge(QWidget* parent = nullptr);
    ~CPrivateSpanTBridge() override;

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    // "&Apply": checks the form and writes it; the dialog stays open.
    void OnOK() override;

private:
    void ShowBridgeValues(const BridgeValues& v) override;
    void EnableForm(bool enable);
    void OnStpStateClicked();
    void OnVersionChange();
    void OnPortSetting();
};
