// The device's IP routing table (MIB-II ipRouteTable), eleven columns with route type and protocol names,
// read by a walk over the SNMP class library (community-based only) that starts when the view is shown.
#pragma once

#include <string>

#include "features/common/DirectListView.h"

class CRouterMap : public CDirectListView {
public:
    explicit CRouterMap(QWidget* parent = nullptr);

    // The text of column `column` for a value; nothing read gives "".
    static std::string ColumnText(int column, const std::optional<std::string>& value);

protected:
    std::optional<std::vector<std::string>> RowCells(const ksx::DirectReply& reply) override;
    int OnInitDialog() override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void PostRefresh();
    bool m_refreshPosted = false;
};
