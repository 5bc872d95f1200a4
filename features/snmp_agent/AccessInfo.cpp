// SNMPv3 access information view.
#include "features/snmp_agent/AccessInfo.h"

#include "features/snmp_agent/InfoNames.h"
#include "res/ids_direct.h"

using namespace ksx;

namespace {

constexpr const char* kReadView = "1.3.6.1.6.3.16.1.4.1.5";

CDirectListView::ViewSetup MakeSetup() {
    CDirectListView::ViewSetup setup;
    setup.templateId = IDD_ACCESS_INFO;
    setup.caption = "SNMPv3 Access Information";
    setup.groupCaption = "Access List";
    setup.listId = IDC_ACCESS_LIST;
    setup.refreshId = IDC_V3INFO_REFRESH;
    setup.readsV3 = true;
    setup.headings = {" Group Name ",        " Security Mode ",      " Security Level    ",
                      " Read Community    ", " Write Community    ", " General Access Name  ",
                      "   Storage Mode  "};
    setup.oids = {kReadView, "1.3.6.1.6.3.16.1.4.1.6", "1.3.6.1.6.3.16.1.4.1.7", "1.3.6.1.6.3.16.1.4.1.8"};
    return setup;
}

}  // namespace

CAccessInfo::CAccessInfo(QWidget* parent) : CDirectListView(MakeSetup(), parent) {}

int CAccessInfo::OnInitDialog() {
    CDirectListView::OnInitDialog();
    Refresh();
    return 1;
}

std::optional<std::vector<std::string>> CAccessInfo::RowCells(const DirectReply& reply) {
    // Index: group name, context prefix (both string indexes), security model, security level.
    std::string group;
    std::string model;
    std::string level;
    if (auto arcs = CInfoNames::Arcs(reply.Instance(0, kReadView).value_or("")); arcs && arcs->size() >= 4) {
        size_t pos = 0;
        group = CInfoNames::StringAt(*arcs, pos).value_or("");
        const std::string m = std::to_string((*arcs)[arcs->size() - 2]);
        const std::string l = std::to_string((*arcs)[arcs->size() - 1]);
        model = m == "1" ? "v1" : m == "2" ? "v2" : "v3";
        level = l == "1" ? "noAuthNoPriv" : l == "2" ? "authNoPriv" : "authPriv";
    }
    return std::vector<std::string>{group,
                                    model,
                                    level,
                                    reply.Text(0),
                                    reply.Text(1),
                                    reply.Text(2),
                                    Named(reply, 3, CInfoNames::StorageType)};
}
