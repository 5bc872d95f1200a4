// The address edit's variable bindings as the switch receives them: the address as 4 or 16 octets and
// its InetAddressType as an integer, in one set request.
#include <gtest/gtest.h>

#include "controls/EditEXIPV6.h"
#include "core/CommonSNMP.h"
#include "tests/support/SimSwitch.h"

namespace {

using ksx::test::SimRequest;
using ksx::test::SimSwitch;

const std::string kAddrOid = "1.3.6.1.4.1.7393.10.76.20.1.99.1.3.1";
const std::string kTypeOid = "1.3.6.1.4.1.7393.10.76.20.1.99.1.2.1";

class EditVarBindTest : public ::testing::Test {
protected:
    void SetUp() override { ksx::test::UseSimV1(sim); }

    // Sends the edit's two bindings in one set and returns them as the switch logged them.
    std::vector<ksx::test::SimVarBind> SendBindings(CEditEXIPV6& edit) {
        sim.ClearLog();
        CCommonSNMP session;
        EXPECT_TRUE(session.Open(CCommonSNMP::REQUEST_SET));
        edit.AddAddressVarBind(session, kAddrOid);
        edit.AddAddressTypeVarBind(session, kTypeOid);
        CSnmp* response = nullptr;
        session.Send(response, 0);
        delete response;
        std::vector<ksx::test::SimVarBind> bindings;
        sim.WaitForRequests([&](const std::vector<SimRequest>& log) {
            for (const auto& r : log) {
                if (r.pdu == "set") {
                    bindings = r.varbinds;
                    return true;
                }
            }
            return false;
        });
        return bindings;
    }

    SimSwitch sim;
};

TEST_F(EditVarBindTest, IPv4AddressTravelsAsFourOctets) {
    CEditEXIPV6 edit;
    edit.setText("192.168.10.2");
    edit.OnKillFocus();
    const auto binds = SendBindings(edit);
    ASSERT_EQ(binds.size(), 2u);
    EXPECT_EQ(binds[0].oid, kAddrOid);
    EXPECT_EQ(binds[0].type, "x");
    EXPECT_EQ(binds[0].value, "c0a80a02");
    EXPECT_EQ(binds[1].oid, kTypeOid);
    EXPECT_EQ(binds[1].type, "i");
    EXPECT_EQ(binds[1].value, "1");
}

TEST_F(EditVarBindTest, IPv6AddressTravelsAsSixteenOctetsWithoutItsInterface) {
    CEditEXIPV6 edit;
    edit.setText("FE80::20:1%eth1");
    edit.OnKillFocus();
    ASSERT_EQ(edit.m_bValid, 1);
    const auto binds = SendBindings(edit);
    ASSERT_EQ(binds.size(), 2u);
    EXPECT_EQ(binds[0].type, "x");
    EXPECT_EQ(binds[0].value, "fe800000000000000000000000200001");
    EXPECT_EQ(binds[1].value, "2");
}

TEST_F(EditVarBindTest, NoTypeAddsNothing) {
    CEditEXIPV6 edit;
    edit.setText("garbage");
    edit.OnKillFocus();
    CCommonSNMP session;
    ASSERT_TRUE(session.Open(CCommonSNMP::REQUEST_SET));
    EXPECT_EQ(edit.AddAddressVarBind(session, kAddrOid), -1);
    EXPECT_EQ(edit.AddAddressTypeVarBind(session, kTypeOid), -1);
}

}  // namespace
