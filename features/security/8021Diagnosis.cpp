// 802.1X diagnostics view.
#include "features/security/8021Diagnosis.h"

#include "res/ids_direct.h"

using namespace ksx;

namespace {

CDirectListView::Spec MakeSpec() {
    CDirectListView::Spec spec;
    spec.templateId = IDD_8021X_DIAGNOSIS;
    spec.caption = "802.1x Diagnose Information";
    spec.listId = IDC_PAE_DIAG_LIST;
    spec.refreshId = IDC_PAE_REFRESH;
    spec.readsV3 = true;
    spec.whilePending = CDirectListView::WhilePending::ClearOnly;
    spec.headings = {"EntersConnecting",
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
        spec.oids.push_back("1.0.8802.1.1.1.1.2.3.1." + std::to_string(c));
    }
    return spec;
}

}  // namespace

C8021Diagnosis::C8021Diagnosis(QWidget* parent) : CDirectListView(MakeSpec(), parent) {}

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
