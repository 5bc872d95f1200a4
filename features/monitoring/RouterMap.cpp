// Route table view.
#include "features/monitoring/RouterMap.h"

#include <map>

#include "res/ids_direct.h"

using namespace ksx;

namespace {

// Posted by showing or hiding the view: a click of Refresh.
constexpr unsigned WM_ROUTE_REFRESH = WM_USER + 620;

CDirectListView::ViewSetup MakeSetup() {
    CDirectListView::ViewSetup setup;
    setup.templateId = IDD_ROUTER_MAP;
    setup.caption = "Router Table";
    setup.listId = IDC_ROUTE_LIST;
    setup.refreshId = IDC_ROUTE_REFRESH;
    setup.countId = IDC_ROUTE_COUNT;
    setup.whilePending = CDirectListView::WhilePending::ClearOnly;
    setup.headings = {"   Destination    ",
                      "   Gateway IP     ",
                      "   Netmask        ",
                      "Interface ",
                      "Type   ",
                      " Protocol ",
                      " Age   ",
                      " Metric 1 ",
                      " Metric 2 ",
                      " Metric 3 ",
                      " Metric 4 "};
    for (int column : {1, 7, 11, 2, 8, 9, 10, 3, 4, 5, 6}) {
        setup.oids.push_back("1.3.6.1.2.1.4.21.1." + std::to_string(column));
    }
    return setup;
}

}  // namespace

CRouterMap::CRouterMap(QWidget* parent) : CDirectListView(MakeSetup(), parent) {
    OnMessage(WM_ROUTE_REFRESH, [this](WPARAM, LPARAM) {
        m_refreshPosted = false;
        DispatchCommand(IDC_ROUTE_REFRESH);
        return LRESULT(0);
    });
}

std::string CRouterMap::ColumnText(int column, const std::optional<std::string>& value) {
    if (!value) {
        return "";
    }
    if (column == 4) {
        static const std::map<std::string, std::string> types = {
            {"1", "UnKnown"}, {"2", "Illegal"}, {"3", "Direct"}, {"4", "Indirect"}};
        auto it = types.find(*value);
        return it != types.end() ? it->second : "0";
    }
    if (column == 5) {
        static const std::map<std::string, std::string> protocols = {
            {"2", "local"},      {"3", "netmgmt"}, {"4", "icmp"},  {"5", "egp"},    {"6", "ggp"},
            {"7", "hello"},      {"8", "rip"},     {"9", "is-is"}, {"10", "es-is"}, {"11", "ciscoIgrp"},
            {"12", "bbnSpfIgp"}, {"13", "ospf"},   {"14", "bgp"}};
        auto it = protocols.find(*value);
        return it != protocols.end() ? it->second : "other";
    }
    return *value;
}

int CRouterMap::OnInitDialog() {
    CDirectListView::OnInitDialog();
    ClearList();  // the first walk starts from the Refresh that showing the view posts
    return 1;
}

void CRouterMap::showEvent(QShowEvent* e) {
    CDirectListView::showEvent(e);
    PostRefresh();
}

void CRouterMap::hideEvent(QHideEvent* e) {
    CDirectListView::hideEvent(e);
    PostRefresh();
}

void CRouterMap::PostRefresh() {
    // The window system may show and hide the window several times while it opens (a topmost window is
    // shown again): those notifications make one Refresh, not one each, which would empty the list
    // under the walk they started.
    if (!m_refreshPosted) {
        m_refreshPosted = PostMessage(WM_ROUTE_REFRESH, 0, 0);
    }
}

std::optional<std::vector<std::string>> CRouterMap::RowCells(const DirectReply& reply) {
    if (reply.Count() < 11) {
        return std::nullopt;
    }
    std::vector<std::string> cells;
    for (size_t i = 0; i < 11; ++i) {
        cells.push_back(
            ColumnText(static_cast<int>(i), reply.Has(i) ? std::optional(reply.Text(i)) : std::nullopt));
    }
    return cells;
}
