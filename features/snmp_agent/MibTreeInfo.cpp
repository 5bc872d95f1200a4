// SNMP MIB access control (view tree) information view.
#include "features/snmp_agent/MibTreeInfo.h"

#include "features/snmp_agent/InfoNames.h"
#include "res/ids_direct.h"

using namespace ksx;

namespace {

constexpr const char* kFamilyType = "1.3.6.1.6.3.16.1.5.2.1.4";

CDirectListView::ViewSetup MakeSetup() {
    CDirectListView::ViewSetup setup;
    setup.templateId = IDD_MIBTREE_INFO;
    setup.caption = "SNMP MIB Access Control Information";
    setup.groupCaption = "SNMP MIB Access Control List";
    setup.listId = IDC_MIBTREE_LIST;
    setup.refreshId = IDC_V3INFO_REFRESH;
    setup.readsV3 = true;
    setup.headings = {"   View Name    ", "   MIB Tree       ", "   Access Type ", "   Storage Mode     ",
                      "   Group Status  "};
    setup.oids = {kFamilyType, "1.3.6.1.6.3.16.1.5.2.1.5", "1.3.6.1.6.3.16.1.5.2.1.6"};
    return setup;
}

}  // namespace

CMibTreeInfo::CMibTreeInfo(QWidget* parent) : CDirectListView(MakeSetup(), parent) {}

int CMibTreeInfo::OnInitDialog() {
    CDirectListView::OnInitDialog();
    Refresh();
    return 1;
}

std::optional<std::vector<std::string>> CMibTreeInfo::RowCells(const DirectReply& reply) {
    // Index: view name (a string index), then the subtree: its length and its sub-identifiers.
    std::string view;
    std::string subtree;
    if (auto arcs = CInfoNames::Arcs(reply.Instance(0, kFamilyType).value_or(""))) {
        size_t pos = 0;
        if (auto name = CInfoNames::StringAt(*arcs, pos)) {
            view = *name;
            if (pos < arcs->size() && (*arcs)[pos] <= arcs->size() - pos - 1) {
                const size_t length = (*arcs)[pos];
                for (size_t i = 1; i <= length; ++i) {
                    subtree += (i > 1 ? "." : "") + std::to_string((*arcs)[pos + i]);
                }
            }
        }
    }
    return std::vector<std::string>{view, subtree,
                                    !reply.Has(0)          ? ""
                                    : reply.Text(0) == "1" ? "included"
                                                           : "excluded",
                                    Named(reply, 1, CInfoNames::StorageType),
                                    Named(reply, 2, CInfoNames::RowStatus)};
}
