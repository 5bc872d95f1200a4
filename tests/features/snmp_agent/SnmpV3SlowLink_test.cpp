// Dialogs over SNMPv3 on a slow link, with the module's 3000 ms time-out: a device answering after 700
// or 2500 ms (later than one attempt's share of the time-out) is read by the SNMPv3 engine information
// view and by a settings dialog at authNoPriv and authPriv; one answering after 3500 ms is a time-out,
// said once.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "features/port_system/JumboFrameconfigdlg.h"
#include "features/snmp_agent/EngineInfo.h"
#include "platform/sys/Globals.h"
#include "res/ids_direct.h"
#include "res/ids_port_small.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using ksx::test::DialogDriver;
using ksx::test::WaitUntil;

const std::string kE = "1.3.6.1.6.3.10.2.1";
const std::string kEngineGet = "get " + kE + ".1.0=n: " + kE + ".2.0=n: " + kE + ".3.0=n: " + kE + ".4.0=n:";
const std::string kJumbo = "1.3.6.1.4.1.7393.10.76.20.1.1.12.0";

struct User {
    const char* level;
    const char* name;
    const char* privProto;
    const char* privPwd;
};
const User kUsers[] = {{"2", "shauser", "1", ""}, {"3", "shadesuser", "2", "desprivpass"}};

class SnmpV3SlowLink : public test::SharedSimTest {
protected:
    static void Use(const User& u) {
        test::UseSimV3(*s_sim, u.level, u.name, "3", "shaauthpass", u.privProto, u.privPwd);
        EXPECT_EQ(g_strSnmpTimeout, "3000");
    }
    // The requests the dialog sent as one user, each attempt a line; and the number of distinct
    // request ids among them.
    static std::vector<std::string> Requests(const std::string& user, size_t* distinctIds) {
        std::istringstream in(s_sim->Command("ids"));
        std::string ok;
        in >> ok;
        std::set<long> ids;
        std::vector<std::string> lines;
        long id = 0;
        for (const test::SimRequest& r : s_sim->Requests()) {
            in >> id;
            if (r.principal == user) {
                ids.insert(id);
                lines.push_back(test::RequestLines({r})[0]);
            }
        }
        *distinctIds = ids.size();
        return lines;
    }
    test::ScriptedMessageBox boxes;
};

TEST_F(SnmpV3SlowLink, TheEngineInformationViewReadsASlowDevice) {
    for (int delay : {700, 2500}) {
        for (const User& u : kUsers) {
            SCOPED_TRACE(std::string(u.name) + " delay " + std::to_string(delay));
            Use(u);
            s_sim->DelayMs(delay);
            s_sim->ClearLog();
            CEngineInfo dlg;
            DialogDriver drv(dlg);
            ASSERT_TRUE(WaitUntil([&] { return dlg.GetDlgItemText(IDC_ENGINE_MAX_SIZE) == "1500"; }, 10000));
            EXPECT_EQ(dlg.GetDlgItemText(IDC_ENGINE_ID), "80001F8880E9630000D61FF449");
            EXPECT_EQ(dlg.GetDlgItemText(IDC_ENGINE_BOOTS), "7");
            EXPECT_EQ(dlg.GetDlgItemText(IDC_ENGINE_TIME), "86400");
            // One request, sent again while its answer was on the way.
            size_t ids = 0;
            const std::vector<std::string> lines = Requests(u.name, &ids);
            EXPECT_EQ(ids, 1u);
            EXPECT_GT(lines.size(), 1u);
            EXPECT_EQ(std::set<std::string>(lines.begin(), lines.end()), std::set<std::string>{kEngineGet});
            EXPECT_TRUE(boxes.Texts().empty());
        }
    }
}

TEST_F(SnmpV3SlowLink, TheJumboFrameDialogReadsASlowDevice) {
    s_sim->Set(kJumbo, "i", "1");
    for (int delay : {700, 2500}) {
        for (const User& u : kUsers) {
            SCOPED_TRACE(std::string(u.name) + " delay " + std::to_string(delay));
            Use(u);
            s_sim->DelayMs(delay);
            s_sim->ClearLog();
            CJumboFrameconfigdlg dlg;
            DialogDriver drv(dlg);
            ASSERT_TRUE(WaitUntil([&] { return dlg.IsDlgItemEnabled(IDC_JUMBO_APPLY); }, 10000));
            EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_JUMBO_ENABLE), 1);
            size_t ids = 0;
            const std::vector<std::string> lines = Requests(u.name, &ids);
            EXPECT_EQ(ids, 1u);
            EXPECT_EQ(std::set<std::string>(lines.begin(), lines.end()),
                      std::set<std::string>{"get " + kJumbo + "=n:"});
            EXPECT_TRUE(boxes.Texts().empty());
        }
    }
}

TEST_F(SnmpV3SlowLink, ADeviceSlowerThanTheTimeOutIsATimeOutSaidOnce) {
    s_sim->DelayMs(3500);
    for (const User& u : kUsers) {
        SCOPED_TRACE(u.name);
        Use(u);
        {
            boxes.Clear();
            CEngineInfo dlg;
            DialogDriver drv(dlg);
            ASSERT_TRUE(WaitUntil([&] { return !boxes.Texts().empty() && !dlg.Reading(); }, 15000));
            EXPECT_EQ(boxes.Texts(),
                      std::vector<std::string>{"Failed to read over SNMPv3: the device did not answer."});
            EXPECT_EQ(dlg.GetDlgItemText(IDC_ENGINE_ID), "");
        }
        {
            boxes.Clear();
            CJumboFrameconfigdlg dlg;
            DialogDriver drv(dlg);
            ASSERT_TRUE(WaitUntil([&] { return !boxes.Texts().empty(); }, 15000));
            EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to read the Jumbo Frame setting."});
            EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_JUMBO_APPLY));
        }
    }
}

}  // namespace
