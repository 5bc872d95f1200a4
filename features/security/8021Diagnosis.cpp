// 802.1X diagnostics view.
#include "features/security/8021Diagnosis.h"

#include "res/ids_direct.h"

using namespace ksx;

namespace {

CDirectListView::ViewSetup MakeSetup() {
    CDirectListView::ViewSetup setup;
    setup.templateId = IDD_8021X_DIAGNOSIS;
    setup.caption = "802.1x Diagnose Information";
    setup.listId = IDC_PAE_DIAG_LIST;
    setup.refreshId = IDC_PAE_REFRESH;
    setup.readsV3 = true;
    setup.whilePending = CDirectListView::WhilePending::ClearOnly;
    setup.headings = {"EntersConnecting",
                      "EapLogoffsWhileConnecting",
                      "EntersAuthenticating",
                      "AuthSuccessWhileAuthenticating",
                      "AuthTimeoutsWhileAuthenticating",
                      "AuthFailWhileAuthenticating",
                      "AuthReauthsWhileAuthenticating",
                      "AuthEapStartsWhileAuthenticating",
                      "AuthEapLogoffWhileAuthenticating",
                      "AuthReauthsWhileAuthenticated",
                      "AuthEapStartsWhileAuthenticated",
                      "AuthEapLogoffWhileAuthenticated",
                      "BackendResponses",
                      "BackendAccessChallenges",
                      "BackendOtherRequestsToSupplicant",
                      "BackendNonNakResponsesFromSupplicant",
                      "BackendAuthSuccesses",
                      "BackendAuthFails"};
    for (int c = 1; c <= 18; ++c) {
        setup.oids.push_back("1.0.8802.1.1.1.1.2.3.1." + std::to_string(c));
    }
    return setup;
}

}  // namespace

C8021Diagnosis::C8021Diagnosis(QWidget* parent) : CDirectListView(MakeSetup(), parent) {}

int C8021Diagnosis::OnInitDialog() {
    CDirectListView::OnInitDialog();
    Refresh();
    return 1;
}

std::optional<std::vector<std::string>> C8021Diagnosis::RowCells(const DirectReply& reply) {
    std::vector<std::string> cells;
    for (size_t i = 0; i < reply.Count(); ++i) {
        cells.push_back(reply.Text(i));
    }
    return cells;
}
