// The 802.1X PAE authenticator statistics table (dot1xAuthStatsTable), one row per port, read with
// community-based requests or SNMPv3 over the SNMP class library.
#pragma once

#include "features/common/DirectListView.h"

class C8021Status : public CDirectListView {
public:
    explicit C8021Status(QWidget* parent = nullptr);

protected:
    int OnInitDialog() override;
    std::optional<std::vector<std::string>> RowCells(const ksx::DirectReply& reply) override;
};
