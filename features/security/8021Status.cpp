// 802.1X statistics view.
#include "features/security/8021Status.h"

#include "res/ids_direct.h"

using namespace ksx;

namespace {

CDirectListView::ViewSetup MakeSetup() {
    CDirectListView::ViewSetup setup;
    setup.templateId = IDD_8021X_STATUS;
    setup.caption = "802.1x Statistic Information";
    setup.listId = IDC_PAE_STATUS_LIST;
    setup.refreshId = IDC_PAE_REFRESH;
    setup.readsV3 = true;
    setup.whilePending = CDirectListView::WhilePending::ClearOnly;
    setup.headings = {"EapolFramesRx",          "EapolFramesTx",         "EapolStartFramesRx",
                      "EapolLogoffFramesRx",    "EapolRespIdFramesRx",   "EapolRespFramesRx",
                      "EapolReqIdFramesTx",     "EapolReqFramesTx",      "InvalidEapolFramesRx",
                      "EapLengthErrorFramesRx", "LastEapolFrameVersion", "LastEapolFrameSource"};
    for (int c = 1; c <= 12; ++c) {
        setup.oids.push_back("1.0.8802.1.1.1.1.2.2.1." + std::to_string(c));
    }
    return setup;
}

}  // namespace

C8021Status::C8021Status(QWidget* parent) : CDirectListView(MakeSetup(), parent) {}

int C8021Status::OnInitDialog() {
    CDirectListView::OnInitDialog();
    Refresh();
    return 1;
}

std::optional<std::vector<std::string>> C8021Status::RowCells(const DirectReply& reply) {
    std::vector<std::string> cells;
    for (size_t i = 0; i < reply.Count(); ++i) {
        cells.push_back(reply.Text(i));
    }
    // The last frame's source is a MAC address: its octets are shown as hexadecimal pairs, never as raw
    // text, whatever their number.
    if (cells.size() >= 12) {
        cells[11] = HexPairs(reply.Octets(11).value_or(""));
    }
    return cells;
}
