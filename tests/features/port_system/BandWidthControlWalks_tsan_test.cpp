// The bandwidth logic's two walks run at the same time on their sessions' workers: rows and ends reach
// the owner, the trunk ids are read while the trunk walk writes them, and closing mid-walk stops both.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "features/port_system/BandWidthControlFunLogic.h"
#include "platform/sys/Globals.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"

namespace {

using namespace ksx;
using ksx::test::WaitUntil;

// An owner that handles messages on the sending thread and records them.
class RecordingOwner : public IMessageTarget {
public:
    LRESULT SendMessage(unsigned msg, WPARAM wParam, LPARAM lParam) override {
        std::lock_guard<std::mutex> guard(m_lock);
        if (closed) {
            ++late;
        }
        if (msg == WM_SNMP_RESULT && wParam == BW_RESULT_ROW) {
            const auto* row = reinterpret_cast<const CBandWidthRow*>(lParam);
            rows.push_back(row->port + "/" + row->txRate + "/" + row->rxRate);
            if (silenceSim && rows.size() == silenceAt) {
                silenceSim->Silence(true);  // the walk stays at this row until closed
            }
        } else if (msg == WM_SNMP_RESULT && wParam == BW_RESULT_FINISHED) {
            ++finished;
            texts.push_back(reinterpret_cast<const char*>(lParam));
        }
        return 1;
    }
    bool PostMessage(unsigned, WPARAM, LPARAM) override { return false; }

    template <class F>
    auto With(F f) {
        std::lock_guard<std::mutex> guard(m_lock);
        return f();
    }
    std::vector<std::string> rows;
    std::vector<std::string> texts;
    int finished = 0;
    int late = 0;
    bool closed = false;
    test::SimSwitch* silenceSim = nullptr;  // silenced once `silenceAt` rows have arrived
    size_t silenceAt = 0;

private:
    std::mutex m_lock;
};

class BandWidthWalks : public test::SimTest {};

TEST_F(BandWidthWalks, BothWalksReportWhileTheTrunkIdsAreRead) {
    RecordingOwner owner;
    CBandWidthControlFunLogic logic;
    logic.SetOwnerWnd(&owner);
    logic.ReadRateTable();
    logic.ReadTrunkMembers();
    // The UI thread reads the trunk ids while the worker fills them.
    std::string ports;
    while (!owner.With([&] { return owner.finished == 2; })) {
        logic.FindTrunkPortsInRange("1", "28", ports);
        test::PumpEvents();  // rows and ends reach the owner on this (the UI) thread
    }
    EXPECT_EQ(logic.FindTrunkPortsInRange("1", "28", ports), 0);
    EXPECT_EQ(ports, "25,26");
    EXPECT_EQ(logic.FindTrunkPortsInRange("1", "24", ports), 1);
    EXPECT_EQ(ports, "");
    owner.With([&] {
        EXPECT_EQ(owner.texts, (std::vector<std::string>{"Finished", "Finished"}));
        EXPECT_EQ(owner.rows.size(), static_cast<size_t>(g_nPortNum));
        EXPECT_EQ(owner.rows[2], "3/1024/2048");
        return 0;
    });
    logic.CloseSessions();
}

TEST_F(BandWidthWalks, ClosingMidWalkStopsBothWalks) {
    sim.DelayMs(3);
    for (int round = 0; round < 4; ++round) {
        RecordingOwner owner;
        // The switch stops answering at that row, so the close comes mid-walk however late it runs.
        owner.silenceSim = &sim;
        owner.silenceAt = 2u + round * 3u;
        CBandWidthControlFunLogic logic;
        logic.SetOwnerWnd(&owner);
        logic.ReadRateTable();
        logic.ReadTrunkMembers();
        ASSERT_TRUE(
            WaitUntil([&] { return owner.With([&] { return owner.rows.size() >= owner.silenceAt; }); }));
        logic.CloseSessions();
        owner.With([&] { return owner.closed = true; });
        const size_t atClose = owner.With([&] { return owner.rows.size(); });
        EXPECT_LT(atClose, static_cast<size_t>(g_nPortNum));
        // A fresh read after the close works on the same object.
        owner.With([&] {
            owner.silenceSim = nullptr;
            return owner.closed = false;
        });
        sim.Silence(false);
        logic.ReadRateTable();
        ASSERT_TRUE(
            WaitUntil([&] { return owner.With([&] { return owner.rows.size() >= atClose + g_nPortNum; }); }));
        logic.CloseSessions();
        owner.With([&] { return owner.closed = true; });
        EXPECT_EQ(owner.With([&] { return owner.late; }), 0);
    }
    sim.DelayMs(0);
}

}  // namespace
