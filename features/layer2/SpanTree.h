// " Spanning Tree Table" over the bridge MIB's port table: priority, path cost, enable, state and the
// designated root, cost, bridge and port of every port.
#pragma once

#include "features/layer2/PrivateSpanTTableBase.h"

class CSpanTree : public CPrivateSpanTTableBase {
public:
    explicit CSpanTree(QWidget* parent = nullptr);
    ~CSpanTree() override;

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    std::vector<std::string> Cells(const ksx::WalkStep& step) const override;
    int RunEditor() override;
};
