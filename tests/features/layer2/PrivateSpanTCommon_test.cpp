// The spanning tree logic shared by the bridge and port dialogs: the timer relations, the bridge write
// sequence against the simulated switch (its order, the remembered state, a failing step with the
// temporary timers put back), and the port write's bindings.
#include "features/layer2/PrivateSpanTCommon.h"

#include "features/layer2/PrivateSpanTBridge.h"
#include "features/layer2/PrivateSpanTree.h"
#include "features/layer2/SpanTreeBridgeParam.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/snmplib/Snmp.h"
#include "tests/features/layer2/SpanTreeTestSupport.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"

namespace {

using namespace ksx;
using namespace ksx::stp;
using test::SetLines;

const std::string kHelloMsg =
    "To set the parameters Hello Time and Max Age the following relation is to be satisfied: \nMax Age >= "
    "(2*(Hello Time + 1.0))";
const std::string kForwardMsg =
    "To set the parameters Forward Delay and Max Age, the following relation is to be satisfied: "
    "\n2*(Forward Delay - 1) >= Max Age";

TEST(StpRelations, SecondsAndHundredthsGiveTheSameVerdicts) {
    // Seconds (the enterprise dialog).
    EXPECT_EQ(BridgeRelationMessage(6, 2, 15, 1), "");
    EXPECT_EQ(BridgeRelationMessage(6, 3, 15, 1), kHelloMsg);
    EXPECT_EQ(BridgeRelationMessage(40, 1, 21, 1), "");
    EXPECT_EQ(BridgeRelationMessage(40, 1, 20, 1), kForwardMsg);
    // Hundredths (the bridge MIB dialog).
    EXPECT_EQ(BridgeRelationMessage(2000, 1000, 3000, 100), kHelloMsg);   // 2 * 1000 + 200 > 2000
    EXPECT_EQ(BridgeRelationMessage(4000, 100, 2000, 100), kForwardMsg);  // 2 * 2000 - 200 < 4000
    EXPECT_EQ(BridgeRelationMessage(2200, 1000, 1200, 100), "");
    // The hello relation is checked first.
    EXPECT_EQ(BridgeRelationMessage(6, 3, 4, 1), kHelloMsg);
}

TEST(StpPortTable, CellTexts) {
    auto cells = PortRowCells({"3", "1", "128", "0", "2", "0", "1", "2", "5", "20000"});
    EXPECT_EQ(cells, (std::vector<std::string>{"3", "Enabled", "128", "AUTO/20000", "Auto", "Force True",
                                               "True", "False", "Forwarding"}));
    cells = PortRowCells({"4", "2", "16", "0", "9", "7", "3", "0", "3", "0"});
    EXPECT_EQ(cells, (std::vector<std::string>{"4", "Disabled", "16", "0", "9", "7", "3", "0", "3"}));
    EXPECT_EQ(PortRowCells({"5", "1", "0", "50000", "1", "1", "2", "1", "2", "50000"})[3], "50000");

    EXPECT_TRUE(ParseCostCell("AUTO/20000").automatic);
    EXPECT_EQ(ParseCostCell("AUTO/20000").value, 20000);
    EXPECT_FALSE(ParseCostCell("50000").automatic);
    EXPECT_EQ(ParseCostCell("50000").value, 50000);

    EXPECT_EQ(BridgeIdText(std::string("\x80\x07", 2)), "80 07");
    EXPECT_EQ(BridgeIdText(std::string("\x80\x00\x00\x1e\x94\x4c\x20\x00", 8)), "80:00:00:1E:94:4C:20:00");
    EXPECT_EQ(BridgeIdText("abc"), "abc");
    EXPECT_EQ(Dot1dPortStateText("2"), "Blocked");
    EXPECT_EQ(Dot1dPortStateText("6"), "Token");
    EXPECT_EQ(Dot1dPortStateText("9"), "9");
}

std::vector<std::string> Texts(const std::vector<SetBinding>& bindings) {
    std::vector<std::string> out;
    for (const auto& b : bindings) {
        out.push_back(b.oid.substr(kPortTable.size()) + "=" + b.value);
    }
    return out;
}

TEST(StpPortWrite, AutomaticCostStaysAutomaticAndUnselectedListsAreLeftOut) {
    PortEdit e;
    e.port = "3";
    e.enable = true;
    e.priorityText = "128";
    e.shownCost = ParseCostCell("AUTO/20000");
    e.cost = 20000;
    e.restrictedTcn = 1;
    e.migrate = 0;
    e.pointToPoint = 2;
    e.restrictedRole = 1;
    e.edge = 0;
    EXPECT_EQ(Texts(PortWriteBindings(e)),
              (std::vector<std::string>{".4.3=1", ".2.3=128", ".5.3=0", ".18.3=2", ".12.3=1", ".14.3=2",
                                        ".17.3=2", ".16.3=1"}));
    // A cost the user changed is fixed from then on.
    e.cost = 30000;
    EXPECT_EQ(Texts(PortWriteBindings(e))[2], ".5.3=30000");
    // Nothing selected, no priority: those bindings are not sent; a typed priority is sent as its number.
    e.enable = false;
    e.priorityText = "";
    e.restrictedTcn = e.migrate = e.pointToPoint = e.restrictedRole = e.edge = -1;
    EXPECT_EQ(Texts(PortWriteBindings(e)), (std::vector<std::string>{".4.3=2", ".5.3=30000"}));
    e.priorityText = " 32 ";
    e.edge = 1;
    EXPECT_EQ(Texts(PortWriteBindings(e)),
              (std::vector<std::string>{".4.3=2", ".2.3=32", ".5.3=30000", ".16.3=0"}));
}

class StpBridgeWrite : public test::StpSimTest {
protected:
    // Sessions take the connection settings when they are made: after the fixture pointed them here.
    void SetUp() override {
        SharedSimTest::SetUp();
        set = std::make_unique<CCommonSNMP>();
        set0 = std::make_unique<CCommonSNMP>();
    }
    void TearDown() override {
        set.reset();
        set0.reset();
        s_sim->ErrorStatus(kBridge + ".4.0", 0);
        s_sim->ErrorStatus(kBridge + ".15.0", 0);
        SharedSimTest::TearDown();
    }
    // The enterprise dialog's sequence for Tx hold 5, max age 20 s, forward delay 15 s, hello 2 s.
    BridgeWrite Enterprise(bool enable) {
        BridgeWrite w;
        w.set = set.get();
        w.set0 = set0.get();
        w.enable = enable;
        w.remembered = &remembered;
        w.helloOid = kBridge + ".16.0";
        w.forwardDelayOid = kBridge + ".17.0";
        w.maxAgeOid = kBridge + ".15.0";
        w.timers = {{kBridge + ".4.0", "5"},
                    {kBridge + ".15.0", "2000"},
                    {kBridge + ".17.0", "1500"},
                    {kBridge + ".16.0", "200"}};
        w.last = {{kBridge + ".3.0", "4096"}, {kBridge + ".2.0", "0"}};
        w.readMaxAge = 2000;
        w.readHello = 200;
        w.readForwardDelay = 1500;
        return w;
    }
    std::vector<std::string> Sets() { return SetLines(s_sim->Requests(), kBridge.size()); }

    std::unique_ptr<CCommonSNMP> set;
    std::unique_ptr<CCommonSNMP> set0;
    std::string remembered = "1";
};

TEST_F(StpBridgeWrite, TemporaryTimersFirstThenEachTimerThenPriorityAndVersion) {
    bool stateOne = true;
    EXPECT_EQ(WriteBridge(Enterprise(true), &stateOne), BridgeWriteResult::kWritten);
    EXPECT_FALSE(stateOne);
    EXPECT_EQ(Sets(), (std::vector<std::string>{".16.0=i:100 .17.0=i:3000", ".4.0=i:5", ".15.0=i:2000",
                                                ".17.0=i:1500", ".16.0=i:200", ".3.0=i:4096 .2.0=i:0"}));
    EXPECT_EQ(s_sim->Get(kBridge + ".3.0"), "4096");
    EXPECT_EQ(s_sim->Get("1.3.6.1.2.1.17.2.2.0"), "4096");  // the bridge MIB names the same priority
}

TEST_F(StpBridgeWrite, DisableThenEnableWritesTheStateBothTimes) {
    EXPECT_EQ(WriteBridge(Enterprise(false), nullptr), BridgeWriteResult::kStateOff);
    EXPECT_EQ(remembered, "0");
    EXPECT_EQ(Sets(), std::vector<std::string>{".1.0=i:2"});
    s_sim->ClearLog();
    bool stateOne = false;
    EXPECT_EQ(WriteBridge(Enterprise(true), &stateOne), BridgeWriteResult::kWritten);
    EXPECT_TRUE(stateOne);
    EXPECT_EQ(remembered, "1");
    ASSERT_EQ(Sets().size(), 7u);
    EXPECT_EQ(Sets()[0], ".1.0=i:1");
    EXPECT_EQ(s_sim->Get(kStateOid), "1");
}

TEST_F(StpBridgeWrite, AFailingStepPutsBackTheTimersReadBefore) {
    s_sim->ErrorStatus(kBridge + ".4.0", 10);  // the Tx hold count is refused
    EXPECT_EQ(WriteBridge(Enterprise(true), nullptr), BridgeWriteResult::kFailedRestored);
    EXPECT_EQ(Sets(), (std::vector<std::string>{".16.0=i:100 .17.0=i:3000", ".4.0=i:5",
                                                ".15.0=i:2000 .16.0=i:200 .17.0=i:1500"}));
    EXPECT_EQ(s_sim->Get(kBridge + ".16.0"), "200");
    EXPECT_EQ(s_sim->Get(kBridge + ".17.0"), "1500");

    s_sim->ClearLog();
    s_sim->ErrorStatus(kBridge + ".4.0", 0);
    s_sim->ErrorStatus(kBridge + ".15.0", 10);  // max age refused, and so is the restore that carries it
    EXPECT_EQ(WriteBridge(Enterprise(true), nullptr), BridgeWriteResult::kFailedNotRestored);
    EXPECT_EQ(Sets().size(), 4u);
}

// A run stopped between two requests (or in the pause after one) has no request unconfirmed; the device
// may keep the temporary timers from their request on until the last timer was confirmed.
TEST_F(StpBridgeWrite, AStopBetweenRequestsAndWhenTheTemporaryTimersMayStay) {
    const std::vector<BridgeStep> plan = PlanBridgeWrite(Enterprise(true));
    ksx::StepsEnd end;
    end.total = 6;
    end.done = 2;
    end.stopped = true;
    EXPECT_EQ(
        BridgeStoppedText(plan, end),
        "Stopped: the temporary timers and the Transmit Hold Count were written; the Max Age, the Forward "
        "Delay, the Hello Time and the priority and version were not written.");
    EXPECT_FALSE(TimersBackNeeded(plan, 0, 0));
    EXPECT_TRUE(TimersBackNeeded(plan, 1, 0));  // the temporary timers on their way
    EXPECT_TRUE(TimersBackNeeded(plan, 5, 4));  // the Hello Time not confirmed
    EXPECT_FALSE(TimersBackNeeded(plan, 6, 5));
}

TEST_F(StpBridgeWrite, TheDeviceKeepsTheTimerRelationPerRequest) {
    // Hello 10 s next to max age 20 s breaks Max Age >= 2 * (Hello + 1): refused as a whole.
    WriteStep hello{set.get(), {{kBridge + ".16.0", "1000"}}, 0, 0};
    EXPECT_FALSE(SendStep(hello));
    EXPECT_EQ(s_sim->Get(kBridge + ".16.0"), "200");
    // The same through the bridge MIB's name of it, and accepted once max age grows in the same request.
    WriteStep both{set.get(), {{"1.3.6.1.2.1.17.2.12.0", "2200"}, {"1.3.6.1.2.1.17.2.13.0", "1000"}}, 0, 0};
    EXPECT_TRUE(SendStep(both));
    EXPECT_EQ(s_sim->Get(kBridge + ".15.0"), "2200");
    EXPECT_EQ(s_sim->Get(kBridge + ".16.0"), "1000");
    // Forward delay 11 s allows at most 20 s of max age.
    EXPECT_FALSE(SendStep({set.get(), {{kBridge + ".17.0", "1100"}}, 0, 0}));
    EXPECT_TRUE(SendStep({set.get(), {{kBridge + ".17.0", "1200"}}, 0, 0}));
}

// A reply of `count` bindings, each "1", typed after `kinds` ('s' octets, 'u' counter, else INTEGER).
std::unique_ptr<CSnmpV1> Reply(int count, const std::string& kinds = "") {
    auto reply = std::make_unique<CSnmpV1>();
    for (int i = 0; i < count; ++i) {
        const char kind = static_cast<size_t>(i) < kinds.size() ? kinds[static_cast<size_t>(i)] : 'i';
        const int type = kind == 's' ? 4 : kind == 'u' ? 0x41 : 2;
        reply->addValue(("1.3.6." + std::to_string(i + 1)).c_str(), type, "1");
    }
    return reply;
}

TEST(StpReplies, ShortRepliesAreNotReadPastTheirEnd) {
    CCommonSNMP session;
    for (int n : {11, 12}) {
        auto reply = Reply(n, "iisiiiiiiiii");
        WalkStep step(session, reply.get(), 12);
        EXPECT_EQ(CPrivateSpanTBridge::ParseReply(step).has_value(), n == 12) << n;
        EXPECT_EQ(step.Rejected(), n < 12);
    }
    for (int n : {11, 13}) {
        auto reply = Reply(n, "iuusiiiiiiiii");
        WalkStep step(session, reply.get(), 13);
        EXPECT_EQ(CSpanTreeBridgeParam::ParseReply(step).has_value(), n == 13) << n;
    }
    // Whole replies with a value of another type (the root bridge as a number) are no reply either.
    {
        auto reply = Reply(12);
        WalkStep step(session, reply.get(), 12);
        EXPECT_FALSE(CPrivateSpanTBridge::ParseReply(step).has_value());
        EXPECT_TRUE(step.Rejected());
        auto mib = Reply(13, "iiusiiiiiiiii");
        WalkStep mibStep(session, mib.get(), 13);
        EXPECT_FALSE(CSpanTreeBridgeParam::ParseReply(mibStep).has_value());
    }
    // The port table walks ten columns: a row needs all ten.
    CPrivateSpanTree table;
    for (int n : {6, 9, 10}) {
        auto reply = Reply(n);
        WalkStep step(session, reply.get(), 10);
        EXPECT_EQ(table.ParseRow(step).has_value(), n == 10) << n;
    }
}

}  // namespace
