// Power-saving and time-profile logic against the simulated switch: the read and its messages, port
// standby, the fibre-port rule per model, refused sets and the two walks on the worker thread. Adding
// and deleting rows is driven through the time profile dialog's tests.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "features/port_system/PowSavSettings.h"
#include "platform/sys/Globals.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::WaitUntil;

const std::string kRoot = "1.3.6.1.4.1.7393.10.76.20.1.31";
const std::string kTable = "1.3.6.1.4.1.7393.10.76.20.1.32.1.1";

std::string Col(int column, int index) {
    return kTable + "." + std::to_string(column) + "." + std::to_string(index);
}

// The owner window of the logic: records what it is told (the data from the logic, as a window would).
class Recorder : public IMessageTarget {
public:
    explicit Recorder(const CPowSavSettings& logic) : m_logic(logic) {}
    LRESULT SendMessage(unsigned msg, WPARAM wParam, LPARAM) override {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (msg == WM_POWSAV_RESULT && wParam == POWSAV_FLAGS) {
            flags.push_back(m_logic.Flags());
        } else if (msg == WM_POWSAV_RESULT && wParam == POWSAV_ENTRIES) {
            entries.assign(m_logic.m_aPowSavEntry, m_logic.m_aPowSavEntry + 4);
            ++entryMessages;
        } else if (msg == WM_TIMEPROFILE_ROW) {
            rows.push_back(m_logic.TimeProfileRowNow());
        }
        return 0;
    }
    bool PostMessage(unsigned msg, WPARAM wParam, LPARAM lParam) override {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (msg == WM_POWSAV_RESULT && wParam == POWSAV_NAMES_DONE) {
            namesDone.push_back(static_cast<int>(lParam));
        }
        return true;
    }
    template <class T>
    T Copy(const T& member) {
        std::lock_guard<std::mutex> guard(m_mutex);
        return member;
    }

    std::vector<PowerSavingFlags> flags;
    std::vector<PowerSavingEntry> entries;
    int entryMessages = 0;
    std::vector<TimeProfileRow> rows;
    std::vector<int> namesDone;

private:
    const CPowSavSettings& m_logic;
    std::mutex m_mutex;
};

// The logic's sessions take the connection settings when they are built: the fixture's switch is set
// by then.
class PowSavSettingsTest : public test::SimTest {
protected:
    PowSavSettingsTest() : SimTest("1000") {}
    void SetUp() override { logic.m_hOwnerWnd = &owner; }
    void TearDown() override { logic.CancelAll(); }

    // The sets the switch received since the last ClearLog, one line each.
    std::vector<std::string> OnlySet() { return test::RequestLines(test::Sets(sim.Requests())); }

    test::ScriptedMessageBox boxes;
    CPowSavSettings logic;
    Recorder owner{logic};
};

TEST_F(PowSavSettingsTest, ReadGivesTheFunctionsAndTheLinkStatusFlag) {
    logic.ReadPowerSaving();
    ASSERT_EQ(owner.flags.size(), 1u);
    EXPECT_EQ(owner.flags[0].linkStatusDetection, "1");
    EXPECT_EQ(owner.flags[0].cableLengthDetection, "");
    ASSERT_EQ(owner.entryMessages, 1);
    const auto& e = owner.entries;
    EXPECT_EQ(e[0].type, 1);
    EXPECT_EQ(e[0].portList, "1-4,6");
    EXPECT_EQ(e[0].state, "1");
    EXPECT_EQ(e[0].profile1, "Night");
    EXPECT_EQ(e[0].profile2, "");  // "None" on the device
    EXPECT_EQ(e[1].type, 2);
    EXPECT_EQ(e[1].portList, "10-12");
    EXPECT_EQ(e[1].state, "2");
    EXPECT_EQ(e[1].profile1, "Weekend");
    EXPECT_EQ(e[2].type, 4);
    EXPECT_EQ(e[2].portList, "All Port");
    EXPECT_EQ(e[2].state, "2");

    // One get of the twelve objects, port standby not among them.
    const auto log = sim.Requests();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].pdu, "get");
    EXPECT_EQ(log[0].principal, "quaint");
    std::vector<std::string> oids;
    for (const auto& vb : log[0].varbinds) {
        oids.push_back(vb.oid.substr(kRoot.size()));
    }
    EXPECT_EQ(oids, (std::vector<std::string>{".1.1.0", ".1.2.0", ".1.3.0", ".1.4.0", ".2.1.0", ".2.2.0",
                                              ".2.3.0", ".2.4.0", ".4.1.0", ".4.2.0", ".4.3.0", ".6.0"}));

    // Unanswered or refused reads report nothing and leave the entries reset.
    sim.Silence(true);
    logic.ReadPowerSaving();
    sim.Silence(false);
    sim.ErrorStatus(kRoot + ".4.2.0", 5);
    logic.ReadPowerSaving();
    EXPECT_EQ(owner.entryMessages, 1);
    EXPECT_EQ(owner.flags.size(), 1u);
    EXPECT_EQ(logic.m_aPowSavEntry[0].state, "2");
    EXPECT_EQ(logic.m_aPowSavEntry[0].portList, "");
    EXPECT_EQ(logic.m_aPowSavEntry[0].profile1, "");
}

TEST_F(PowSavSettingsTest, PortStandbyWritesItsProfilesBeforeItsPorts) {
    // The dialog offers no port standby; the logic writes it in its own order.
    PowerSavingEntry standby{3, "5", "1", "Weekend", "None"};
    EXPECT_TRUE(logic.SetPowerSavingEntry(standby));
    const std::string r = kRoot;
    EXPECT_EQ(OnlySet(), std::vector<std::string>{"set " + r + ".3.2.0=i:1 " + r + ".3.3.0=s:Weekend " + r +
                                                  ".3.4.0=s: " + r + ".3.1.0=x:08000000"});
    // No ports: an empty bitmap of the model's size.
    sim.ClearLog();
    standby.portList = "";
    EXPECT_TRUE(logic.SetPowerSavingEntry(standby));
    EXPECT_NE(OnlySet().at(0).find(r + ".3.1.0=x:00000000"), std::string::npos);
    sim.ClearLog();
    standby.state = "2";
    standby.portList = "5";
    EXPECT_TRUE(logic.SetPowerSavingEntry(standby));
    EXPECT_EQ(OnlySet(), std::vector<std::string>{"set " + r + ".3.2.0=i:2"});
    EXPECT_EQ(sim.Get(r + ".3.2.0"), "2");
    EXPECT_EQ(sim.Get(r + ".3.3.0"), "Weekend");
    // An unknown type sends nothing and fails.
    sim.ClearLog();
    standby.type = 5;
    EXPECT_FALSE(logic.SetPowerSavingEntry(standby));
    EXPECT_TRUE(sim.Requests().empty());
}

TEST_F(PowSavSettingsTest, FibrePortsComeFromTheModel) {
    PowerSavingEntry led{1, "25", "1", "", ""};
    // 28 ports: 25 to 28 are fibre, refused for LED shut-off and port standby, nothing sent.
    for (int type : {1, 3}) {
        boxes.Clear();
        sim.ClearLog();
        led.type = type;
        EXPECT_FALSE(logic.SetPowerSavingEntry(led));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Not support fiber Port."});
        EXPECT_TRUE(sim.Requests().empty());
    }
    led.type = 1;
    led.portList = "24";
    EXPECT_TRUE(logic.SetPowerSavingEntry(led));

    // 52 ports: copper 25 to 48 are accepted with an 8-octet bitmap; 49 to 52 are fibre.
    g_nPortNum = 52;
    boxes.Clear();
    sim.ClearLog();
    led.portList = "25-48";
    EXPECT_TRUE(logic.SetPowerSavingEntry(led));
    EXPECT_EQ(boxes.Count(), 0u);
    ASSERT_EQ(OnlySet().size(), 1u);
    EXPECT_NE(OnlySet()[0].find(kRoot + ".1.1.0=x:000000ffffff0000 "), std::string::npos) << OnlySet()[0];
    led.portList = "48-49";
    EXPECT_FALSE(logic.SetPowerSavingEntry(led));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Not support fiber Port."});

    // The 20- and 10-port models.
    g_nPortNum = 20;
    EXPECT_FALSE(CPowSavSettings::IsFibrePort(16));
    EXPECT_TRUE(CPowSavSettings::IsFibrePort(17));
    EXPECT_FALSE(CPowSavSettings::IsFibrePort(21));
    g_nPortNum = 10;
    EXPECT_FALSE(CPowSavSettings::IsFibrePort(8));
    EXPECT_TRUE(CPowSavSettings::IsFibrePort(9));
    EXPECT_TRUE(CPowSavSettings::IsFibrePort(10));
}

TEST_F(PowSavSettingsTest, BadPortListsAndRefusedSetsAreFailures) {
    PowerSavingEntry entry{2, "4-1", "1", "", ""};
    EXPECT_FALSE(logic.SetPowerSavingEntry(entry));
    entry.portList = "29";
    EXPECT_FALSE(logic.SetPowerSavingEntry(entry));
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Invalid Portlist", "Invalid Portlist"}));
    EXPECT_TRUE(sim.Requests().empty());

    // The device refuses: a failure, not a success.
    sim.ErrorStatus(kRoot + ".2.2.0", 5);
    entry.portList = "1";
    EXPECT_FALSE(logic.SetPowerSavingEntry(entry));
    entry.state = "2";
    EXPECT_FALSE(logic.SetPowerSavingEntry(entry));
    sim.ErrorStatus(kRoot + ".2.2.0", 0);
    EXPECT_TRUE(logic.SetPowerSavingEntry(entry));

    PowerSavingFlags flags{"1", "2"};
    sim.ClearLog();
    EXPECT_TRUE(logic.SetLinkStatusDetection(flags));
    EXPECT_EQ(OnlySet(), std::vector<std::string>{"set " + kRoot + ".6.0=i:2"});
    EXPECT_EQ(sim.Get(kRoot + ".6.0"), "2");
    flags.linkStatusDetection = "7";  // outside the device's range
    EXPECT_FALSE(logic.SetLinkStatusDetection(flags));
    sim.Silence(true);
    flags.linkStatusDetection = "1";
    EXPECT_FALSE(logic.SetLinkStatusDetection(flags));
}

TEST_F(PowSavSettingsTest, WalksDeliverNamesAndRows) {
    const int walk = logic.ReadProfileNames();
    ASSERT_TRUE(WaitUntil([&] { return !owner.Copy(owner.namesDone).empty(); }));
    EXPECT_EQ(owner.Copy(owner.namesDone), std::vector<int>{walk});
    EXPECT_EQ(logic.ProfileNames(), (std::vector<std::string>{"Night", "Weekend", "Holiday"}));
    // Each read starts from an empty list and reports under a new number.
    const int again = logic.ReadProfileNames();
    EXPECT_NE(again, walk);
    ASSERT_TRUE(WaitUntil([&] { return owner.Copy(owner.namesDone).size() == 2; }));
    EXPECT_EQ(owner.Copy(owner.namesDone).back(), again);
    EXPECT_EQ(logic.ProfileNames().size(), 3u);

    // A row that is not active is delivered too; the dialog decides.
    sim.Set(Col(21, 2), "i", "2");
    logic.ReadTimeProfiles();
    ASSERT_TRUE(WaitUntil([&] { return logic.IsWalkDone(); }));
    const auto rows = owner.Copy(owner.rows);
    ASSERT_EQ(rows.size(), 3u);
    const TimeProfileRow& night = rows[0];
    EXPECT_EQ(night.index, "1");
    EXPECT_EQ(night.name, "Night");
    EXPECT_EQ(night.dateEnabled, "2");
    EXPECT_EQ(night.from.year, "");
    EXPECT_EQ(night.from.month, "");
    EXPECT_EQ(night.to.day, "");
    EXPECT_EQ(night.from.hour, "0022");
    EXPECT_EQ(night.from.minute, "000");
    EXPECT_EQ(night.to.hour, "006");
    EXPECT_EQ(night.to.minute, "0030");
    EXPECT_EQ(night.days[0], "1");
    EXPECT_EQ(night.days[6], "2");
    EXPECT_EQ(night.rowStatus, "1");
    const TimeProfileRow& weekend = rows[1];
    EXPECT_EQ(weekend.from.year, "2012");
    EXPECT_EQ(weekend.from.month, "003");
    EXPECT_EQ(weekend.from.day, "005");
    EXPECT_EQ(weekend.to.month, "0012");
    EXPECT_EQ(weekend.rowStatus, "2");
    EXPECT_EQ(rows[2].index, "4");
    // The row walk collects the names as well.
    EXPECT_EQ(logic.ProfileNames().size(), 6u);
}

}  // namespace
