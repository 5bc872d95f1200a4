// A dialog fed by a real session walk against the simulated switch: the walk callback sends every step
// to the dialog, and the dialog's DestroyWindow closes the session. Ending the dialog mid-walk must not
// deadlock, and nothing reaches the dialog after it ended.
#include <gtest/gtest.h>

#include <QTimer>
#include <atomic>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "platform/sys/Globals.h"
#include "platform/ui/Dialog.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/ui/DialogDriver.h"

namespace {

using namespace ksx;

constexpr unsigned WM_WALK_STEP = WM_USER + 20;
const char* const kColumn = "1.3.6.1.4.1.99999.5.1.2";

struct StepRecord {
    int requestId;
    int status;
    bool hadResponse;
};

class WalkDlg : public CDialog {
public:
    explicit WalkDlg(int endAfter) : CDialog(300), m_endAfter(endAfter) {
        OnMessage(WM_WALK_STEP, [this](WPARAM, LPARAM l) -> LRESULT {
            const auto* rec = reinterpret_cast<const StepRecord*>(l);
            if (destroyed.load()) {
                late.fetch_add(1);
            }
            statuses.push_back(rec->status);
            if (static_cast<int>(statuses.size()) == m_endAfter) {
                EndDialog(IDOK);
            }
            return 1;
        });
    }

    CCommonSNMP session;
    std::vector<int> statuses;  // UI thread
    std::atomic<bool> destroyed{false};
    std::atomic<int> late{0};
    std::atomic<int> abandoned{0};

    static int Callback(CSnmp* response, int requestId, void* userData, int status) {
        auto* self = static_cast<WalkDlg*>(userData);
        StepRecord rec{requestId, status, response != nullptr};
        delete response;
        self->session.FindRequestID(requestId);
        const LRESULT r = self->SendMessage(WM_WALK_STEP, 0, reinterpret_cast<LPARAM>(&rec));
        if (r == 0) {
            self->abandoned.fetch_add(1);
        } else if (status == 0) {
            self->session.StartAsyncWalk(&Callback, self, 0);  // next row
        }
        return 0;
    }

protected:
    int OnInitDialog() override {
        if (session.Open(CCommonSNMP::REQUEST_GETNEXT)) {
            session.AddVarBind(kColumn, 4, nullptr);
            session.StartAsyncWalk(&Callback, this, 0);
        }
        return 1;
    }
    int DestroyWindow() override {
        session.Close();
        destroyed = true;
        return CDialog::DestroyWindow();
    }

private:
    int m_endAfter;
};

class SnmpWalkDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test::SimSwitch::Options options;
        options.extraArgs = {"--table", "1.3.6.1.4.1.99999.5:3000:2"};
        s_sim = new test::SimSwitch(options);
    }
    static void TearDownTestSuite() {
        delete s_sim;
        s_sim = nullptr;
    }
    void SetUp() override { test::UseSimV1(*s_sim); }
    void TearDown() override { ResetConnectionSettings(); }

    static test::SimSwitch* s_sim;
};
test::SimSwitch* SnmpWalkDialog::s_sim = nullptr;

TEST_F(SnmpWalkDialog, WholeWalkReachesTheDialogInOrder) {
    // The whole generated column, then the end of it; the dialog closes the session when it ends.
    WalkDlg dlg(1 << 30);
    test::DialogDriver drv(dlg);
    ASSERT_TRUE(test::WaitUntil([&] { return !dlg.statuses.empty() && dlg.statuses.back() != 0; }, 60000));
    ASSERT_EQ(dlg.statuses.size(), 3001u);  // 3000 rows, then the end of the column
    for (std::size_t i = 0; i + 1 < dlg.statuses.size(); ++i) {
        ASSERT_EQ(dlg.statuses[i], 0) << "step " << i;
    }
    EXPECT_EQ(dlg.abandoned.load(), 0);
    dlg.EndDialog(IDOK);
    ASSERT_TRUE(drv.WaitEnded());
}

TEST_F(SnmpWalkDialog, EndingMidWalkFromTheRowHandlerNeitherDeadlocksNorDeliversLate) {
    for (int endAfter : {1, 2, 17, 250}) {
        WalkDlg dlg(endAfter);
        const int rc = dlg.DoModal();  // ends itself from the handler of row endAfter
        EXPECT_EQ(rc, IDOK);
        EXPECT_TRUE(dlg.session.IsClosed());
        const std::size_t atEnd = dlg.statuses.size();
        EXPECT_EQ(atEnd, static_cast<std::size_t>(endAfter));
        // The worker's next send (if it got that far) was abandoned; nothing arrives later.
        QTimer probe;
        int ticks = 0;
        QObject::connect(&probe, &QTimer::timeout, [&] { ++ticks; });
        probe.start(1);
        ASSERT_TRUE(test::WaitUntil([&] { return ticks >= 20; }));
        EXPECT_EQ(dlg.statuses.size(), atEnd);
        EXPECT_EQ(dlg.late.load(), 0);
    }
}

TEST_F(SnmpWalkDialog, ClosingFromOutsideWhileTheWorkerSendsAndTheAgentIsSlow) {
    s_sim->DelayMs(2);
    for (int round = 0; round < 3; ++round) {
        WalkDlg dlg(1 << 30);
        const int rc = test::RunModal(dlg, [&] {
            ASSERT_TRUE(test::WaitUntil([&] { return dlg.statuses.size() >= 5u + round * 7u; }, 30000));
            dlg.PostMessage(WM_CLOSE);
        });
        EXPECT_EQ(rc, IDCANCEL);
        const std::size_t atEnd = dlg.statuses.size();
        test::PumpEvents();
        EXPECT_EQ(dlg.statuses.size(), atEnd);
        EXPECT_EQ(dlg.late.load(), 0);
    }
    s_sim->DelayMs(0);
}

}  // namespace
