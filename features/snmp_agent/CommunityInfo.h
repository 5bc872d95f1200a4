// The agent's community table of the SNMP community MIB, read with community-based requests or SNMPv3.
#pragma once

#include "features/common/DirectListView.h"

class CCommunityInfo : public CDirectListView {
public:
    explicit CCommunityInfo(QWidget* parent = nullptr);

protected:
    int OnInitDialog() override;
    std::optional<std::vector<std::string>> RowCells(const ksx::DirectReply& reply) override;
};
