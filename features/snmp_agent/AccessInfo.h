// The agent's VACM access table, read with community-based requests or SNMPv3.
#pragma once

#include "features/common/DirectListView.h"

class CAccessInfo : public CDirectListView {
public:
    explicit CAccessInfo(QWidget* parent = nullptr);

protected:
    int OnInitDialog() override;
    std::optional<std::vector<std::string>> RowCells(const ksx::DirectReply& reply) override;
};
