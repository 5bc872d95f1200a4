// The agent's VACM security-name-to-group table, read with community-based requests or SNMPv3.
#pragma once

#include "features/common/DirectListView.h"

class CGroupInfo : public CDirectListView {
public:
    explicit CGroupInfo(QWidget* parent = nullptr);

protected:
    int OnInitDialog() override;
    std::optional<std::vector<std::string>> RowCells(const ksx::DirectReply& reply) override;
};
