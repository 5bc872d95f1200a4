// SNMPv3 community information view.
#include "features/snmp_agent/CommunityInfo.h"

#include "features/snmp_agent/InfoNames.h"
#include "res/ids_direct.h"

using namespace ksx;

namespace {

CDirectListView::ViewSetup MakeSetup() {
    CDirectListView::ViewSetup setup;
    setup.templateId = IDD_COMMUNITY_INFO;
    setup.caption = "SNMPv3 Community Information";
    setup.groupCaption = "Community List";
    setup.listId = IDC_COMMUNITY_LIST;
    setup.refreshId = IDC_V3INFO_REFRESH;
    setup.readsV3 = true;
    setup.headings = {"   Community Name    ", "   Security Name    ", "        Engine ID          ",
                      "   Storage Mode     "};
    setup.oids = {"1.3.6.1.6.3.18.1.1.1.2", "1.3.6.1.6.3.18.1.1.1.3", "1.3.6.1.6.3.18.1.1.1.4",
                  "1.3.6.1.6.3.18.1.1.1.7"};
    return setup;
}

}  // namespace

CCommunityInfo::CCommunityInfo(QWidget* parent) : CDirectListView(MakeSetup(), parent) {}

int CCommunityInfo::OnInitDialog() {
    CDirectListView::OnInitDialog();
    Refresh();
    return 1;
}

std::optional<std::vector<std::string>> CCommunityInfo::RowCells(const DirectReply& reply) {
    return std::vector<std::string>{reply.Text(0), reply.Text(1),
                                    CInfoNames::Hex(reply.Octets(2).value_or("")),
                                    Named(reply, 3, CInfoNames::StorageType)};
}
