// The agent's VACM view tree family table, read with community-based requests or SNMPv3.
#pragma once

#include "features/common/DirectListView.h"

class CMibTreeInfo : public CDirectListView {
public:
    explicit CMibTreeInfo(QWidget* parent = nullptr);

protected:
    int OnInitDialog() override;
    std::optional<std::vector<std::string>> RowCells(const ksx::DirectReply& reply) override;
};
