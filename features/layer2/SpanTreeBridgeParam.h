// "Bridge Config" over the bridge MIB's spanning tree group: priority and the three bridge timers in
// 1/100 s, the RSTP switch and version, and the topology values in use. "Port Setting" opens the
// bridge MIB port table.
#pragma once

#include <optional>
#include <string>

#include "core/TableRead.h"
#include "features/layer2/PrivateSpanTBridgeBase.h"

// The thirteen values of one read, in the order they are asked for.
struct SpanTreeBridgeValues {
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

class CSpanTreeBridgeParam : public CPrivateSpanTBridgeBase<SpanTreeBridgeValues> {
public:
    using BridgeValues = SpanTreeBridgeValues;

    // The values of a reply that carries every object; none (the step rejected) for a shorter one.
    static std::optional<BridgeValues> ParseReply(const ksx::WalkStep& step);

    explicit CSpanTreeBridgeParam(QWidget* parent = nullptr);
    ~CSpanTreeBridgeParam() override;

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnOK() override;

private:
    void ShowBridgeValues(const BridgeValues& v) override;
    void EnableForm(bool enable);
};
