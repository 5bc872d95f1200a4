// The shared reply helpers against the simulated switch: values as text, accepted, refused and
// unanswered requests, the error status and index of each, and the one account of every answer.
#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <tuple>

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
    EXPECT_TRUE(reply.Answer().Accepted());
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
    const SnmpAnswer answer = reply.Answer();
    EXPECT_EQ(std::tuple(answer.outcome, answer.errorStatus, answer.errorIndex),
              std::tuple(SnmpOutcome::kRefused, 5, 2));
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
    EXPECT_TRUE(reply.Answer().Unanswered());  // it went out: the device may have applied it
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

// Each checked read gives a value only for its own types, whole; every other type, a binding past the
// reply and a refused reply give none.
TEST_F(SnmpReplyTest, CheckedReadsGiveAValueOnlyOfTheirType) {
    const std::string kObjectId = "1.3.6.1.2.1.1.2.0";
    const std::string kUpTime = "1.3.6.1.2.1.1.3.0";
    const std::string kInOctets = "1.3.6.1.2.1.2.2.1.10.1";
    const std::string kAddress = "1.3.6.1.4.1.7393.10.76.20.1.99.1.0";
    s_sim->Set(kAddress, "a", "192.168.1.4");
    CCommonSNMP session;
    OpenGet(session, {kSysName, kJumbo, kObjectId, kUpTime, kInOctets, kAddress});
    const ksx::SnmpReply reply = ksx::SendRequest(session);
    ASSERT_TRUE(reply.Accepted());
    EXPECT_EQ(reply.Octets(0), "KSX-4200-28Z1");
    EXPECT_EQ(reply.Integer(0), std::nullopt);
    EXPECT_EQ(reply.Integer(1), 2);
    EXPECT_EQ(reply.Octets(1), std::nullopt);
    EXPECT_EQ(reply.Unsigned(1), std::nullopt);
    EXPECT_EQ(reply.Dotted(2), "1.3.6.1.4.1.7393.10.76.20");
    EXPECT_EQ(reply.Integer(2), std::nullopt);
    EXPECT_TRUE(reply.Unsigned(3).has_value());
    EXPECT_EQ(reply.Integer(3), std::nullopt);
    EXPECT_EQ(reply.Unsigned(4), 517001551u);
    EXPECT_EQ(reply.Integer(4), std::nullopt);  // a counter is never read as a signed value
    EXPECT_EQ(reply.Dotted(5), "192.168.1.4");
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(reply.Any(i).has_value()) << i;
    }
    EXPECT_EQ(reply.Any(6), std::nullopt);
    EXPECT_EQ(reply.Integer(-1), std::nullopt);

    // Text that looks like a number is no integer; an integer's text is read whole.
    s_sim->Set(kJumbo, "s", "12");
    s_sim->Set(kSysName, "s", "");
    OpenGet(session, {kJumbo, kSysName});
    const ksx::SnmpReply text = ksx::SendRequest(session);
    EXPECT_EQ(text.Integer(0), std::nullopt);
    EXPECT_EQ(text.Octets(0), "12");
    EXPECT_EQ(text.Octets(1), "");  // an empty string is a value

    // A refused reply gives no value at all.
    s_sim->ErrorStatus(kJumbo, 5);
    OpenGet(session, {kSysName, kJumbo});
    const ksx::SnmpReply refused = ksx::SendRequest(session);
    s_sim->ErrorStatus(kJumbo, 0);
    EXPECT_EQ(refused.Octets(0), std::nullopt);
    EXPECT_EQ(refused.Any(0), std::nullopt);
}

// A reply that leaves a binding out: the bindings it carries move up, so the value asked for last is
// the one missing; nothing is read past the reply.
TEST_F(SnmpReplyTest, ABindingLeftOutOfTheReplyIsNoValue) {
    s_sim->Omit(kJumbo);
    CCommonSNMP session;
    OpenGet(session, {kSysName, kJumbo});
    const ksx::SnmpReply reply = ksx::SendRequest(session);
    ASSERT_TRUE(reply.Accepted());
    EXPECT_EQ(reply.response->getVarBindCount(), 1);
    EXPECT_EQ(reply.Octets(0), "KSX-4200-28Z1");
    EXPECT_EQ(reply.Integer(1), std::nullopt);
    EXPECT_EQ(reply.Any(1), std::nullopt);
    s_sim->OmitNone();
    OpenGet(session, {kSysName, kJumbo});
    EXPECT_EQ(ksx::SendRequest(session).Integer(1), 2);
}

// SNMPv3 answers a missing object with an exception value (the library may turn it into an error
// status): either way no value.
TEST_F(SnmpReplyTest, ExceptionValuesAreNoValue) {
    ksx::test::UseSimV3(*s_sim, "1", "noauthuser", "1", "", "1", "");
    CCommonSNMP session;
    OpenGet(session, {kSysName, kJumbo + "9", kPortColumn + ".99"});
    const ksx::SnmpReply reply = ksx::SendRequest(session);
    ASSERT_EQ(reply.status, 0);
    EXPECT_EQ(reply.Integer(1), std::nullopt);
    EXPECT_EQ(reply.Any(1), std::nullopt);
    EXPECT_EQ(reply.Integer(2), std::nullopt);
    EXPECT_EQ(reply.Octets(2), std::nullopt);
}

// Without a reply, the exchange's status and whether the request went out tell what the device may hold.
TEST(ClassifyAnswer, WithoutAReply) {
    using O = SnmpOutcome;
    const std::tuple<int, bool, SnmpOutcome> cases[] = {
        {CSnmp4w::EC_TIMEOUT, true, O::kUnanswered},   {CSnmp4w::EC_TIMEOUT, false, O::kNotSent},
        {CSnmp4w::EC_CANCELLED, true, O::kUnanswered}, {CSnmp4w::EC_CANCELLED, false, O::kNotSent},
        {CSnmp4w::EC_SEND_FAILED, false, O::kNotSent}, {CSnmp4w::EC_BAD_AGENT, false, O::kNotSent},
        {CSnmp4w::EC_AUTH_FAILED, true, O::kRefused},
    };
    for (const auto& [status, sent, outcome] : cases) {
        EXPECT_EQ(ClassifyAnswer(status, nullptr, sent).outcome, outcome) << status << (sent ? " sent" : "");
    }
    // A copy out is never "not sent", an inference (a report anyone may send, probes) never a refusal, and
    // the resend mark stays without a reply.
    EXPECT_TRUE(ClassifyAnswer(CSnmp4w::EC_SEND_FAILED, nullptr, SnmpSent{true}).Unanswered());
    EXPECT_TRUE(ClassifyAnswer(CSnmp4w::EC_PRIV_FAILED, nullptr, SnmpSent{true, false, true}).Unanswered());
    EXPECT_TRUE(ClassifyAnswer(CSnmp4w::EC_AUTH_FAILED, nullptr, SnmpSent{true, true, false}).resent);
}

}  // namespace
