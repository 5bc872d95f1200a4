// The SNMP layer's rule checks fire on a deliberate violation, and only then: the windows' thread waiting
// on two requests without an event-loop turn between them, and a row-status destroy nobody owns.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/snmplib/Tripwire.h"
#include "tests/snmplib/SnmpTestUtil.h"
#include "tests/support/ui/DialogDriver.h"

namespace ksx::test {
namespace {

using Tripwire = SimSuite;

// One GET (type 0) or INTEGER SET (type 3) on the windows' thread (the test's), as a dialog sends it.
void Send(const SimSwitch& sim, int type, const std::string& oid, const std::string& value = "") {
    CSnmpV1 request(type);
    request.setCommunity("harbour");
    request.addValue(oid.c_str(), type == 3 ? SNMP_TYPE_INTEGER : SNMP_TYPE_NULL, value.c_str());
    ReplyPtr reply;
    EXPECT_EQ(SendTo(request, AgentOf(sim), reply, 2000), 0);
}

TEST_F(Tripwire, EachRuleFiresOnItsViolationAndOnlyThen) {
    std::vector<std::string> trips;
    const tripwire::Handler suite =
        tripwire::Install([&trips](const std::string& what) { trips.push_back(what); });
    const std::string sysName = "1.3.6.1.2.1.1.5.0", status = "1.3.6.1.4.1.7393.10.76.20.1.47.2.1.1.4.77";
    Send(*s_sim, 0, sysName);  // no window open: the logic alone, as a test drives it
    Send(*s_sim, 0, sysName);
    {
        const tripwire::DestroyScope scope(tripwire::DestroyBy::kUserDelete);
        Send(*s_sim, 3, status, "4");
    }
    Send(*s_sim, 3, status + "1", "1");  // not a destroy
    EXPECT_TRUE(trips.empty());
    Send(*s_sim, 3, status, "4");
    {
        CDialog window(0);
        DialogDriver driver(window);
        Send(*s_sim, 0, sysName);
        QCoreApplication::processEvents();
        Send(*s_sim, 0, sysName);
        EXPECT_EQ(trips.size(), 1u);
        Send(*s_sim, 0, "1.3.6.1.2.1.1.1.0");
    }
    tripwire::Install(suite);
    EXPECT_EQ(
        trips,
        (std::vector<std::string>{
            "tripwire: a row-status destroy that neither row creation nor a user's Delete issued: SET " +
                status + "=4 (window: none; the windows' thread)",
            "tripwire: the window's thread sent a second request before it handled its events again: "
            "first GET " +
                sysName +
                ", then GET 1.3.6.1.2.1.1.1.0 (window: ksx::CDialog; the windows' "
                "thread)"}));
}

// A request's wait is counted on the thread that waited, so that a window's own work is told from it.
TEST_F(Tripwire, ARequestsWaitIsCountedOnItsThread) {
    s_sim->DelayMs(300);
    const long long before = tripwire::ThreadRequestWaitNs();
    Send(*s_sim, 0, "1.3.6.1.2.1.1.5.0");
    s_sim->DelayMs(0);
    EXPECT_GE(tripwire::ThreadRequestWaitNs() - before, 300'000'000LL);
}

// Every row-status and entry-status table of the device profiles has its status column in the list.
TEST(TripwireColumns, EveryStatusTableOfTheProfilesIsListed) {
    const std::filesystem::path profiles =
        std::filesystem::path(std::getenv("KSX_SOURCE_DIR")) / "sim" / "profiles";
    int tables = 0;
    for (const auto& file : std::filesystem::directory_iterator(profiles)) {
        std::ifstream in(file.path());
        for (std::string line; std::getline(in, line);) {
            std::istringstream words(line);
            std::string kind, entry, column;
            words >> kind >> entry >> column;
            if (kind != "@rowstatus" && kind != "@entrystatus") {
                continue;
            }
            ++tables;
            const std::string oid = entry + "." + column;
            bool listed = false;
            for (const tripwire::StatusColumn& c : tripwire::StatusColumns()) {
                listed = listed || (oid == c.oid && c.entryStatus == (kind == "@entrystatus"));
            }
            EXPECT_TRUE(listed) << kind << " " << oid << " of " << file.path().filename();
        }
    }
    EXPECT_GT(tables, 20);
}

}  // namespace
}  // namespace ksx::test
