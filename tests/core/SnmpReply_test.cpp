// The shared reply helpers against the simulated switch: values as text, accepted, refused and
// unanswered requests, and the error status and index of each.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "core/CommonSNMP.h"
#include "core/SnmpReply.h"
#include "tests/support/SimTestHelpers.h"

namespace {

const std::string kSysName = "1.3.6.1.2.1.1.5.0";
const std::string kJumbo = "1.3.6.1.4.1.7393.10.76.20.1.1.12.0";
const std::string kPortColumn = "1.3.6.1.4.1.7393.10.76.20.1.1.13.1.1";

class SnmpReplyTest : public ksx::test::SharedSimTest {
protected:
    // A get of the objects on `session`.
    static void OpenGet(CCommonSNMP& session, std::initializer_list<std::string> oids) {
        ASSERT_TRUE(session.Open(CCommonSNMP::REQUEST_GET));
        for (const std::string& oid : oids) {
            ASSERT_EQ(session.AddVarBind(oid, 4, nullptr), 0);
        }
    }
};

TEST_F(SnmpReplyTest, AcceptedReplyGivesEveryValueAsText) {
    CCommonSNMP session;
    OpenGet(session, {kSysName, kJumbo});
    const ksx::SnmpReply reply = ksx::SendRequest(session);
    ASSERT_EQ(reply.status, 0);
    ASSERT_NE(reply.response, nullptr);
    EXPECT_TRUE(reply.Accepted());
    EXPECT_EQ(reply.Value(0), "KSX-4200-28Z1");
    EXPECT_EQ(reply.Value(1), "2");
    EXPECT_EQ(reply.Value(2), "");  // no such binding
    EXPECT_EQ(reply.Value(-1), "");
    EXPECT_EQ(reply.ErrorStatus(), 0);
    EXPECT_EQ(reply.ErrorIndex(), 0);
    EXPECT_EQ(ksx::BindingValue(reply.response.get(), 0), "KSX-4200-28Z1");
    EXPECT_EQ(ksx::ReplyErrorStatus(reply.response.get()), 0);
    EXPECT_EQ(ksx::ReplyErrorIndex(reply.response.get()), 0);
}

TEST_F(SnmpReplyTest, OctetStringsKeepTheirRawBytes) {
    s_sim->Set(kSysName, "x", "00ff0041");
    CCommonSNMP session;
    OpenGet(session, {kSysName});
    EXPECT_EQ(ksx::SendRequest(session).Value(0), std::string("\x00\xff\x00\x41", 4));
}

TEST_F(SnmpReplyTest, RefusedReplyCarriesItsErrorStatusAndIndex) {
    s_sim->ErrorStatus(kJumbo, 5);
    CCommonSNMP session;
    OpenGet(session, {kSysName, kJumbo});
    const ksx::SnmpReply reply = ksx::SendRequest(session);
    s_sim->ErrorStatus(kJumbo, 0);
    ASSERT_EQ(reply.status, 0);
    ASSERT_NE(reply.response, nullptr);
    EXPECT_FALSE(reply.Accepted());
    EXPECT_EQ(reply.ErrorStatus(), 5);
    EXPECT_EQ(reply.ErrorIndex(), 2);
    EXPECT_EQ(ksx::ReplyErrorStatus(reply.response.get()), 5);
    EXPECT_EQ(ksx::ReplyErrorIndex(reply.response.get()), 2);
    EXPECT_FALSE(ksx::ReplyAccepted(reply.status, reply.response.get()));
}

TEST_F(SnmpReplyTest, UnansweredRequestHasNoReply) {
    ksx::test::UseSimV1(*s_sim, "200");
    s_sim->Silence(true);
    CCommonSNMP session;
    OpenGet(session, {kJumbo});
    const ksx::SnmpReply reply = ksx::SendRequest(session);
    EXPECT_NE(reply.status, 0);
    EXPECT_EQ(reply.response, nullptr);
    EXPECT_FALSE(reply.Accepted());
    EXPECT_EQ(reply.Value(0), "");
    // Without a reply the reply's own numbers are 0 and the free functions say -1.
    EXPECT_EQ(reply.ErrorStatus(), 0);
    EXPECT_EQ(reply.ErrorIndex(), 0);
    EXPECT_EQ(ksx::ReplyErrorStatus(nullptr), -1);
    EXPECT_EQ(ksx::ReplyErrorIndex(nullptr), -1);
    EXPECT_EQ(ksx::BindingValue(nullptr, 0), "");
    EXPECT_FALSE(ksx::ReplyAccepted(0, nullptr));
    EXPECT_FALSE(ksx::SendAccepted(session));
}

TEST_F(SnmpReplyTest, SendAcceptedTellsAnAcceptedSetFromARefusedOne) {
    CCommonSNMP session;
    ASSERT_TRUE(session.Open(CCommonSNMP::REQUEST_SET));
    ASSERT_EQ(session.AddVarBind(kJumbo, 1, "1"), 0);
    EXPECT_TRUE(ksx::SendAccepted(session));
    EXPECT_EQ(s_sim->Get(kJumbo), "1");

    s_sim->ErrorStatus(kJumbo, 4);
    ASSERT_TRUE(session.Open(CCommonSNMP::REQUEST_SET));
    ASSERT_EQ(session.AddVarBind(kJumbo, 1, "2"), 0);
    EXPECT_FALSE(ksx::SendAccepted(session));
    s_sim->ErrorStatus(kJumbo, 0);
    EXPECT_EQ(s_sim->Get(kJumbo), "1");
    EXPECT_EQ(ksx::test::Sets(s_sim->Requests()).size(), 2u);
}

TEST_F(SnmpReplyTest, GetNextRequestsWalkTheColumn) {
    CCommonSNMP session;
    ASSERT_TRUE(session.Open(CCommonSNMP::REQUEST_GETNEXT));
    ASSERT_EQ(session.AddVarBind(kPortColumn, 4, nullptr), 0);
    const ksx::SnmpReply first = ksx::GetNextRequest(session);
    ASSERT_TRUE(first.Accepted());
    EXPECT_EQ(first.Value(0), "1");
    const ksx::SnmpReply second = ksx::GetNextRequest(session);
    ASSERT_TRUE(second.Accepted());
    EXPECT_EQ(second.Value(0), "2");
    EXPECT_EQ(ksx::test::OfKind(s_sim->Requests(), "getnext").size(), 2u);
}

}  // namespace
