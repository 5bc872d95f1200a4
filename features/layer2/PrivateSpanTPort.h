// " Port STP Configuration": one port of the spanning tree port table: state, priority, path cost
// (0 = automatic), migrate, edge, point-to-point and the two restrictions, written in one request.
#pragma once

#include <string>

#include "features/layer2/PrivateSpanTCommon.h"
#include "features/layer2/PrivateSpanTPortBase.h"

class CPrivateSpanTPort : public CPrivateSpanTPortBase {
public:
    explicit CPrivateSpanTPort(QWidget* parent = nullptr);
    ~CPrivateSpanTPort() override;

    void ShowPort() override;
    bool ApplyPort() override;

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    ksx::stp::CostCell m_shownCost;
    std::string m_strLbdState;  // the port's loopback detection state as last read ("1" enabled)
    bool m_bPortRead = false;   // migrate, enable and loopback states were read as numbers
};
