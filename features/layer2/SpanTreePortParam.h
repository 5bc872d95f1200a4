// "Port Config" of the bridge MIB spanning tree table: one port's priority, path cost and enable flag,
// with its designated root, cost, bridge and port as the table shows them.
#pragma once

#include "features/layer2/PrivateSpanTPortBase.h"

class CSpanTreePortParam : public CPrivateSpanTPortBase {
public:
    explicit CSpanTreePortParam(QWidget* parent = nullptr);
    ~CSpanTreePortParam() override;

    void ShowPort() override;
    bool ApplyPort() override;

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    bool m_bPortRead = false;  // the shown port's priority, cost and enable were read as numbers
};
