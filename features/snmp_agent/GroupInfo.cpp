// SNMPv3 group information view.
#include "features/snmp_agent/GroupInfo.h"

#include "features/snmp_agent/InfoNames.h"
#include "res/ids_direct.h"

using namespace ksx;

namespace {

constexpr const char* kGroupName = "1.3.6.1.6.3.16.1.2.1.3";

CDirectListView::ViewSetup MakeSetup() {
    CDirectListView::ViewSetup setup;
    setup.templateId = IDD_GROUP_INFO;
    setup.caption = "SNMPv3 Group Information";
    setup.groupCaption = "Group List";
    setup.listId = IDC_GROUP_LIST;
    setup.refreshId = IDC_V3INFO_REFRESH;
    setup.readsV3 = true;
    setup.headings = {" Security Mode ", " Security Name        ", " Group Name    ", "   Storage Mode     ",
                      "   Group Status  "};
    setup.oids = {kGroupName, "1.3.6.1.6.3.16.1.2.1.4", "1.3.6.1.6.3.16.1.2.1.5"};
    return setup;
}

}  // namespace

CGroupInfo::CGroupInfo(QWidget* parent) : CDirectListView(MakeSetup(), parent) {}

int CGroupInfo::OnInitDialog() {
    CDirectListView::OnInitDialog();
    Refresh();
    return 1;
}

std::optional<std::vector<std::string>> CGroupInfo::RowCells(const DirectReply& reply) {
    // Index: security model, then the security name as a string index.
    std::string model;
    std::string name;
    if (auto arcs = CInfoNames::Arcs(reply.Instance(0, kGroupName).value_or("")); arcs && !arcs->empty()) {
        model = "v" + std::to_string((*arcs)[0]);
        size_t pos = 1;
        name = CInfoNames::StringAt(*arcs, pos).value_or("");
    }
    return std::vector<std::string>{model, name, reply.Text(0), Named(reply, 1, CInfoNames::StorageType),
                                    Named(reply, 2, CInfoNames::RowStatus)};
}
