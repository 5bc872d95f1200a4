// The IGMP snooping logic against the simulated switch: the global and per-VLAN write sequences (with
// the bindings a prepared request keeps from its earlier send), a failed global read that keeps the
// settings, the per-VLAN walk with VLAN names paired by VLAN id, router-port writes judged by the reply,
// and the group walk with short address values.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "features/layer2/IGMPSnoopingLogic.h"
#include "platform/sys/Globals.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"

namespace {

using namespace ksx;
using ksx::test::SetLines;

const std::string kP = "1.3.6.1.4.1.7393.10.76.20.1";
const size_t kCut = kP.size() + 1;  // set lines show OIDs from "10.1..." on

// Owner window stand-in: copies the rows the walks deliver from their worker thread.
class Owner : public IMessageTarget {
public:
    LRESULT SendMessage(unsigned msg, WPARAM w, LPARAM l) override {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_codes.push_back({msg, w});
        if (msg == WM_IGMP_RESULT && w == 0) {
            m_vlans.push_back(*reinterpret_cast<const IGMPVlanEntry*>(l));
        } else if (msg == WM_IGMP_GROUP_RESULT && w == 0) {
            m_groups.push_back(*reinterpret_cast<const IGMPGroupEntry*>(l));
        }
        return 1;
    }
    bool PostMessage(unsigned msg, WPARAM w, LPARAM l) override { return SendMessage(msg, w, l) != 0; }
    bool WaitFor(unsigned msg, WPARAM w) {
        return test::WaitUntil([&] {
            std::lock_guard<std::mutex> guard(m_mutex);
            for (const auto& c : m_codes) {
                if (c.first == msg && c.second == w) {
                    return true;
                }
            }
            return false;
        });
    }
    std::vector<std::pair<unsigned, WPARAM>> Codes() {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_codes;
    }
    std::vector<IGMPVlanEntry> Vlans() {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_vlans;
    }
    std::vector<IGMPGroupEntry> Groups() {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_groups;
    }

private:
    std::mutex m_mutex;
    std::vector<std::pair<unsigned, WPARAM>> m_codes;
    std::vector<IGMPVlanEntry> m_vlans;
    std::vector<IGMPGroupEntry> m_groups;
};

IGMPGlobalSettings Settings(const std::string& state) {
    return {state, "125", "260", "2", "1", "125", "10", "2"};
}

class IGMPLogicTest : public test::SharedSimTest {
protected:
    void SetUp() override {
        SharedSimTest::SetUp();
        g_nPortNum = 28;
        // Sessions take the connection settings when they are built: after the fixture set them.
        m_logic = std::make_unique<CIGMPSnoopingLogic>();
        m_logic->m_hOwner = &owner;
    }
    void TearDown() override {
        m_logic.reset();
        for (const std::string& oid : m_failing) {
            s_sim->ErrorStatus(oid, 0);
        }
        SharedSimTest::TearDown();
    }
    // The switch answers requests touching oid with this error status until the test ends.
    void Fail(const std::string& oid, int status) {
        m_failing.push_back(oid);
        s_sim->ErrorStatus(oid, status);
    }
    std::vector<std::string> SetsSent() { return SetLines(s_sim->Requests(), kCut); }

    Owner owner;
    std::unique_ptr<CIGMPSnoopingLogic> m_logic;
    std::vector<std::string> m_failing;
    CIGMPSnoopingLogic& Logic() { return *m_logic; }
};

TEST_F(IGMPLogicTest, GlobalWritesFollowTheStateChange) {
    // Left disabled: nothing at all.
    EXPECT_TRUE(Logic().WriteGlobalSettings(Settings("2"), Settings("2")));
    EXPECT_TRUE(SetsSent().empty());

    // Disabled to enabled: the state alone, then the state again in front of the changed fields.
    IGMPGlobalSettings changed = Settings("1");
    changed.robustness = "3";
    changed.maxResponseTime = "20";
    EXPECT_TRUE(Logic().WriteGlobalSettings(Settings("2"), changed));
    EXPECT_EQ(SetsSent(),
              (std::vector<std::string>{"10.1.1.0=i:1", "10.1.1.0=i:1 10.1.4.0=i:3 10.1.7.0=i:20"}));

    // Enabled to disabled: only the state, whatever else was edited.
    s_sim->ClearLog();
    IGMPGlobalSettings off = Settings("2");
    off.queryInterval = "300";
    EXPECT_TRUE(Logic().WriteGlobalSettings(Settings("1"), off));
    EXPECT_EQ(SetsSent(), std::vector<std::string>{"10.1.1.0=i:2"});

    // Enabled and unchanged: no request, and not reported as written.
    s_sim->ClearLog();
    EXPECT_FALSE(Logic().WriteGlobalSettings(Settings("1"), Settings("1")));
    EXPECT_TRUE(SetsSent().empty());

    // Enabled, parameters edited: the changed ones in object order.
    IGMPGlobalSettings edited = Settings("1");
    edited.reportAllPorts = "1";
    edited.routerTimeout = "200";
    EXPECT_TRUE(Logic().WriteGlobalSettings(Settings("1"), edited));
    EXPECT_EQ(SetsSent(), std::vector<std::string>{"10.1.2.0=i:200 10.1.8.0=i:1"});
    EXPECT_EQ(s_sim->Get(kP + ".10.1.8.0"), "1");
}

TEST_F(IGMPLogicTest, GlobalWriteRefusedByTheDeviceIsAFailure) {
    IGMPGlobalSettings edited = Settings("1");
    edited.hostTimeout = "300";
    Fail(kP + ".10.1.3.0", 5);
    EXPECT_FALSE(Logic().WriteGlobalSettings(Settings("1"), edited));
}

TEST_F(IGMPLogicTest, GlobalReadFillsTheSettingsAndAFailedReadKeepsThem) {
    ASSERT_TRUE(Logic().ReadGlobalSettings());
    const auto reads = test::OfKind(s_sim->Requests(), "get");
    ASSERT_EQ(reads.size(), 1u);
    ASSERT_EQ(reads[0].varbinds.size(), 8u);
    EXPECT_EQ(reads[0].varbinds[0].oid, kP + ".10.1.1.0");
    EXPECT_EQ(reads[0].varbinds[7].oid, kP + ".10.1.8.0");
    EXPECT_EQ(owner.Codes(), (std::vector<std::pair<unsigned, WPARAM>>{{WM_IGMP_RESULT, 2}}));
    EXPECT_EQ(Logic().m_GlobalSettings.state, "1");
    EXPECT_EQ(Logic().m_GlobalSettings.hostTimeout, "260");
    EXPECT_EQ(Logic().m_GlobalSettings.maxResponseTime, "10");

    // An error reply carries no values: they must not replace what was read (an Apply would write
    // them back), and the dialog is not told of a read.
    Fail(kP + ".10.1.5.0", 2);
    EXPECT_FALSE(Logic().ReadGlobalSettings());
    EXPECT_EQ(Logic().m_GlobalSettings.hostTimeout, "260");
    EXPECT_EQ(Logic().m_GlobalSettings.lastMemberInterval, "1");
    EXPECT_EQ(owner.Codes().size(), 1u);
}

TEST_F(IGMPLogicTest, VlanWritesSendStateFirstWhenEnablingAndLastWhenDisabling) {
    // Stays disabled: nothing.
    EXPECT_TRUE(Logic().WriteVlanSettings("200", "2", "2", "1", "1"));
    EXPECT_TRUE(SetsSent().empty());
    // Enabling: the state alone, then the state again with querier and fast leave.
    EXPECT_TRUE(Logic().WriteVlanSettings("200", "2", "1", "1", "2"));
    EXPECT_EQ(SetsSent(),
              (std::vector<std::string>{"10.3.4.1.2.200=i:1",
                                        "10.3.4.1.2.200=i:1 10.3.4.1.4.200=i:1 10.3.4.1.8.200=i:2"}));
    // Disabling: querier and fast leave, the state last.
    s_sim->ClearLog();
    EXPECT_TRUE(Logic().WriteVlanSettings("100", "1", "2", "2", "2"));
    EXPECT_EQ(SetsSent(),
              std::vector<std::string>{"10.3.4.1.4.100=i:2 10.3.4.1.8.100=i:2 10.3.4.1.2.100=i:2"});
    // Staying enabled: querier and fast leave only.
    s_sim->ClearLog();
    EXPECT_TRUE(Logic().WriteVlanSettings("1", "1", "1", "1", "1"));
    EXPECT_EQ(SetsSent(), std::vector<std::string>{"10.3.4.1.4.1=i:1 10.3.4.1.8.1=i:1"});
    // A state that is neither: nothing sent, a failure.
    s_sim->ClearLog();
    EXPECT_FALSE(Logic().WriteVlanSettings("1", "", "1", "1", "1"));
    EXPECT_TRUE(SetsSent().empty());
    // A refused write is a failure.
    Fail(kP + ".10.3.4.1.4.1", 5);
    EXPECT_FALSE(Logic().WriteVlanSettings("1", "1", "1", "2", "1"));
}

TEST_F(IGMPLogicTest, RouterPortWriteSendsTheBitmapAndReportsARefusal) {
    const unsigned char bitmap[8] = {0xC0, 0x00, 0x00, 0x10, 0, 0, 0, 0};
    EXPECT_TRUE(Logic().WriteRouterPorts("100", bitmap, 8));
    EXPECT_EQ(SetsSent(), std::vector<std::string>{"10.3.4.1.6.100=x:c000001000000000"});
    Fail(kP + ".10.3.4.1.6.100", 5);
    EXPECT_FALSE(Logic().WriteRouterPorts("100", bitmap, 8));
}

TEST_F(IGMPLogicTest, VlanMemberPortsAsListText) {
    EXPECT_EQ(Logic().GetVlanPortList("100"), "1,2,3,4,5,6,7,8");
    EXPECT_EQ(Logic().GetVlanPortList("77"), "");
}

TEST_F(IGMPLogicTest, VlanWalkPairsNamesByVlanId) {
    // VLAN 5 has no IGMP row and VLAN 200 no VLAN row: by position, VLAN 100 would be named after VLAN 5
    // and VLAN 200 after VLAN 100.
    const std::string names = kP + ".7.6.1";
    s_sim->Set(names + ".1.5", "s", "Five");
    s_sim->Set(names + ".5.5", "i", "1");
    s_sim->Command("unset " + names + ".1.200");
    Logic().ReadVlanSettings();
    ASSERT_TRUE(owner.WaitFor(WM_IGMP_RESULT, 3));
    const auto rows = owner.Vlans();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].vlanId, "1");
    EXPECT_EQ(rows[0].vlanName, "default");
    EXPECT_EQ(rows[0].routerPorts, "1,2");
    EXPECT_EQ(rows[1].vlanId, "100");
    EXPECT_EQ(rows[1].vlanName, "office");
    EXPECT_EQ(rows[1].state, "1");
    EXPECT_EQ(rows[1].querier, "1");
    EXPECT_EQ(rows[1].fastLeave, "1");
    EXPECT_EQ(rows[1].routerPorts, "");
    EXPECT_EQ(rows[2].vlanId, "200");
    EXPECT_EQ(rows[2].vlanName, "");
    EXPECT_EQ(rows[2].state, "2");

    // The walk itself steps the six columns together, the VLAN name second.
    const auto steps = test::OfKind(s_sim->Requests(), "getnext");
    ASSERT_FALSE(steps.empty());
    ASSERT_EQ(steps[0].varbinds.size(), 6u);
    const std::vector<std::string> columns = {".10.3.4.1.1", ".7.6.1.1",    ".10.3.4.1.2",
                                              ".10.3.4.1.4", ".10.3.4.1.8", ".10.3.4.1.6"};
    for (size_t i = 0; i < columns.size(); ++i) {
        EXPECT_EQ(steps[0].varbinds[i].oid, kP + columns[i]);
    }
}

TEST_F(IGMPLogicTest, GroupWalkFormatsAddressesAndLeavesShortValuesEmpty) {
    // One group's address and MAC arrive short: they must not be read past their end.
    s_sim->Set(kP + ".10.3.5.1.2.100.224.1.2.3", "x", "e001");
    s_sim->Set(kP + ".10.3.5.1.3.100.224.1.2.3", "x", "01005e01");
    Logic().ReadMulticastEntries();
    ASSERT_TRUE(owner.WaitFor(WM_IGMP_GROUP_RESULT, 3));
    const auto rows = owner.Groups();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].vlanId, "1");
    EXPECT_EQ(rows[0].groupAddress, "239.1.1.1");
    EXPECT_EQ(rows[0].groupMac, "01-00-5E-01-01-01");
    EXPECT_EQ(rows[0].memberPorts, "3,5");
    EXPECT_EQ(rows[1].groupAddress, "239.255.255.250");
    EXPECT_EQ(rows[1].groupMac, "01-00-5E-7F-FF-FA");
    EXPECT_EQ(rows[1].memberPorts, "3,4,5,6");
    EXPECT_EQ(rows[2].vlanId, "100");
    EXPECT_EQ(rows[2].groupAddress, "");
    EXPECT_EQ(rows[2].groupMac, "");
    EXPECT_EQ(rows[2].memberPorts, "9");
}

}  // namespace
