// "Spanning Tree Table": every port's spanning tree state, priority, path cost, edge, point-to-point,
// restrictions and status. Opening it switches spanning tree off on the ports that run loopback
// detection; "&Port Config" edits one port.
#pragma once

#include "features/layer2/PrivateSpanTTableBase.h"

class CPrivateSpanTree : public CPrivateSpanTTableBase {
public:
    explicit CPrivateSpanTree(QWidget* parent = nullptr);
    ~CPrivateSpanTree() override;

    // Spanning tree off (through the bridge MIB) on every port whose loopback detection is enabled.
    void DisableStpOnLbdPorts();

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    std::vector<std::string> Cells(const ksx::WalkStep& step) const override;
    int RunEditor() override;
};
