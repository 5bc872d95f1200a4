// Values on the wire and back: every reply type, the request type codes, error status and index, and the
// v2 exceptions read the way a v1 agent answers.
#include <gtest/gtest.h>

#include <string>

#include "tests/snmplib/SnmpTestUtil.h"

using namespace ksx::test;

namespace {

const std::string kBase = "1.3.6.1.4.1.99999.5";
const std::string kSysDescr = "1.3.6.1.2.1.1.1.0";
const std::string kSysName = "1.3.6.1.2.1.1.5.0";

class SnmpValues : public SimSuite {
protected:
    void SetUp() override { s_sim->Restart(); }

    static std::string Agent() { return AgentOf(*s_sim); }

    // Reads one object over SNMPv1 and returns the reply (status must be 0).
    static ReplyPtr ReadV1(const std::string& oid) {
        CSnmpV1 get(0);
        get.setCommunity("quaint");
        EXPECT_EQ(0, get.addValue(oid.c_str(), SNMP_TYPE_NULL, nullptr));
        ReplyPtr reply;
        EXPECT_EQ(0, SendTo(get, Agent(), reply));
        return reply;
    }
};

TEST_F(SnmpValues, IntegerLikeTypesReadAsDecimalText) {
    struct Case {
        const char* type;
        const char* value;
        int asn;
    } cases[] = {
        {"i", "-2147483648", 0x02}, {"i", "2147483647", 0x02}, {"c", "4294967295", 0x41},
        {"g", "4000000000", 0x42},  {"t", "123456", 0x43},     {"u", "7", 0x42},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string oid = kBase + ".1." + std::to_string(++n) + ".0";
        s_sim->Set(oid, c.type, c.value);
        ReplyPtr reply = ReadV1(oid);
        ASSERT_TRUE(reply);
        EXPECT_EQ(c.value, ValueOf(*reply, 0)) << c.type;
        EXPECT_STREQ(c.value, reply->getValueText(0)) << c.type;
        EXPECT_EQ(c.asn, reply->varBinds()[0].type) << c.type;
        EXPECT_EQ(oid, reply->getOid(0));
    }
}

TEST_F(SnmpValues, Counter64ReadsAsDecimalOverV3) {
    // SNMPv1 cannot carry Counter64; a USM request without authentication reads it.
    const std::string oid = kBase + ".2.0";
    s_sim->Set(oid, "C", "18446744073709551615");
    auto get = V3Request(0, "noauthuser", 0, 0, "", 0, "");
    get->addValue(oid.c_str(), SNMP_TYPE_NULL, nullptr);
    ReplyPtr reply;
    ASSERT_EQ(0, SendTo(*get, Agent(), reply));
    EXPECT_EQ("18446744073709551615", ValueOf(*reply, 0));
    EXPECT_EQ(0x46, reply->varBinds()[0].type);
}

TEST_F(SnmpValues, OctetStringsKeepNulBytesLengthAndSize) {
    const std::string withNul = kBase + ".3.1.0";
    const std::string longOne = kBase + ".3.2.0";
    const std::string empty = kBase + ".3.3.0";
    s_sim->Set(withNul, "x", "00410042ff00");
    std::string big(1400, 'a');
    for (size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>('a' + i % 26);
    }
    s_sim->Set(longOne, "s", big);
    s_sim->Set(empty, "s", "");

    ReplyPtr reply = ReadV1(withNul);
    ASSERT_TRUE(reply);
    int length = 0;
    char* value = nullptr;
    ASSERT_EQ(0, reply->getValue(0, &length, &value));
    ASSERT_EQ(6, length);
    EXPECT_EQ(std::string("\0A\0B\xff\0", 6), std::string(value, 6));
    EXPECT_EQ('\0', value[length]);  // kept NUL-terminated

    reply = ReadV1(longOne);
    ASSERT_TRUE(reply);
    EXPECT_EQ(big, ValueOf(*reply, 0));

    reply = ReadV1(empty);
    ASSERT_TRUE(reply);
    EXPECT_EQ("", ValueOf(*reply, 0));
    ASSERT_NE(nullptr, reply->getValueText(0));  // an empty string still has a value
}

TEST_F(SnmpValues, AddressAndOidReadAsDottedText) {
    s_sim->Set(kBase + ".4.1.0", "a", "192.168.17.254");
    s_sim->Set(kBase + ".4.2.0", "o", "1.3.6.1.4.1.7393.10.76.20");
    CSnmpV1 get(0);
    get.setCommunity("quaint");
    get.addValue((kBase + ".4.1.0").c_str(), SNMP_TYPE_NULL, nullptr);
    get.addValue(("." + kBase + ".4.2.0").c_str(), SNMP_TYPE_NULL, nullptr);  // a leading dot is accepted
    ReplyPtr reply;
    ASSERT_EQ(0, SendTo(get, Agent(), reply));
    ASSERT_EQ(2, reply->getVarBindCount());
    EXPECT_EQ("192.168.17.254", ValueOf(*reply, 0));
    EXPECT_EQ(0x40, reply->varBinds()[0].type);
    EXPECT_EQ("1.3.6.1.4.1.7393.10.76.20", ValueOf(*reply, 1));
    EXPECT_EQ(0x06, reply->varBinds()[1].type);
    EXPECT_EQ(nullptr, reply->getOid(2));
    EXPECT_EQ(-1, reply->getValue(2, nullptr, nullptr));
}

TEST_F(SnmpValues, NullValueAndExceptionsHaveNoText) {
    const std::string nullOid = kBase + ".5.0";
    s_sim->Set(nullOid, "n", "");
    ReplyPtr reply = ReadV1(nullOid);
    ASSERT_TRUE(reply);
    EXPECT_EQ(0x05, reply->varBinds()[0].type);
    EXPECT_EQ(nullptr, reply->getValueText(0));
    EXPECT_EQ("", ValueOf(*reply, 0));

    // SNMPv3: noSuchObject at binding 2 reads as noSuchName with index 2, the value has no text.
    auto get = V3Request(0, "noauthuser", 0, 0, "", 0, "");
    get->addValue(kSysDescr.c_str(), SNMP_TYPE_NULL, nullptr);
    get->addValue((kBase + ".404.0").c_str(), SNMP_TYPE_NULL, nullptr);
    get->addValue((kBase + ".405.0").c_str(), SNMP_TYPE_NULL, nullptr);
    ASSERT_EQ(0, SendTo(*get, Agent(), reply));
    int status = -1;
    int index = -1;
    reply->getErrorStatus(&status, &index);
    EXPECT_EQ(2, status);
    EXPECT_EQ(2, index);
    ASSERT_EQ(3, reply->getVarBindCount());
    EXPECT_NE(nullptr, reply->getValueText(0));
    EXPECT_EQ(nullptr, reply->getValueText(1));
    EXPECT_EQ(0x80, reply->varBinds()[1].type);
}

TEST_F(SnmpValues, V1ErrorStatusAndIndex) {
    CSnmpV1 get(0);
    get.setCommunity("quaint");
    get.addValue(kSysDescr.c_str(), SNMP_TYPE_NULL, nullptr);
    get.addValue((kBase + ".404.0").c_str(), SNMP_TYPE_NULL, nullptr);
    ReplyPtr reply;
    ASSERT_EQ(0, SendTo(get, Agent(), reply));
    int status = 0;
    int index = 0;
    reply->getErrorStatus(&status, &index);
    EXPECT_EQ(2, status);
    EXPECT_EQ(2, index);

    // An injected genErr comes back with the reply, status 0 from send.
    s_sim->ErrorStatus(kSysDescr, 5);
    CSnmpV1 one(0);
    one.setCommunity("quaint");
    one.addValue(kSysDescr.c_str(), SNMP_TYPE_NULL, nullptr);
    ASSERT_EQ(0, SendTo(one, Agent(), reply));
    reply->getErrorStatus(&status, &index);
    EXPECT_EQ(5, status);
    s_sim->ErrorStatus(kSysDescr, 0);
}

TEST_F(SnmpValues, SetWritesEveryTypeCode) {
    CSnmpV1 set(3);
    set.setCommunity("harbour");
    s_sim->Set(kBase + ".6.1.0", "i", "0");
    s_sim->Set(kBase + ".6.2.0", "x", "00");
    s_sim->Set(kBase + ".6.3.0", "o", "1.3");
    s_sim->Set(kBase + ".6.4.0", "a", "0.0.0.0");
    s_sim->Set(kBase + ".6.5.0", "u", "0");
    s_sim->Set(kBase + ".6.6.0", "s", "");
    ASSERT_EQ(0, set.addValue((kBase + ".6.1.0").c_str(), SNMP_TYPE_INTEGER, "-17"));
    const char bitmap[] = {'\xf0', '\0', '\x01', '\0'};
    ASSERT_EQ(0, set.addValue((kBase + ".6.2.0").c_str(), SNMP_TYPE_OCTETS, bitmap, 4));
    ASSERT_EQ(0, set.addValue((kBase + ".6.3.0").c_str(), SNMP_TYPE_OID, "1.3.6.1.2.1.1"));
    ASSERT_EQ(0, set.addValue((kBase + ".6.4.0").c_str(), SNMP_TYPE_IPADDRESS, "10.1.2.3"));
    ASSERT_EQ(0, set.addValue((kBase + ".6.5.0").c_str(), SNMP_TYPE_UNSIGNED, "4294967295"));
    ASSERT_EQ(0, set.addValue((kBase + ".6.6.0").c_str(), SNMP_TYPE_OCTETS, "", 0));
    s_sim->ClearLog();
    ReplyPtr reply;
    ASSERT_EQ(0, SendTo(set, Agent(), reply));
    int status = -1;
    reply->getErrorStatus(&status, nullptr);
    ASSERT_EQ(0, status);

    auto log = s_sim->Requests();
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ("set", log[0].pdu);
    EXPECT_EQ("harbour", log[0].principal);
    ASSERT_EQ(6u, log[0].varbinds.size());
    EXPECT_EQ("i", log[0].varbinds[0].type);
    EXPECT_EQ("-17", log[0].varbinds[0].value);
    EXPECT_EQ("f0000100", log[0].varbinds[1].value);
    EXPECT_EQ("o", log[0].varbinds[2].type);
    EXPECT_EQ("a", log[0].varbinds[3].type);
    EXPECT_EQ("10.1.2.3", log[0].varbinds[3].value);
    EXPECT_EQ("4294967295", log[0].varbinds[4].value);
    EXPECT_EQ("", log[0].varbinds[5].value);
    EXPECT_EQ("-17", s_sim->Get(kBase + ".6.1.0"));
}

TEST_F(SnmpValues, SetOfReadOnlyObjectReportsIndex) {
    CSnmpV1 set(3);
    set.setCommunity("harbour");
    set.addValue(kSysName.c_str(), SNMP_TYPE_OCTETS, "new-name");
    set.addValue(kSysDescr.c_str(), SNMP_TYPE_OCTETS, "not writable");
    ReplyPtr reply;
    ASSERT_EQ(0, SendTo(set, Agent(), reply));
    int status = 0;
    int index = 0;
    reply->getErrorStatus(&status, &index);
    EXPECT_NE(0, status);
    EXPECT_EQ(2, index);
}

TEST_F(SnmpValues, MalformedBindingsAreRefusedWithoutSending) {
    struct Case {
        const char* oid;
        int type;
        const char* value;
    } cases[] = {
        {"1.3.6.x.1", SNMP_TYPE_NULL, nullptr},
        {"", SNMP_TYPE_NULL, nullptr},
        {"1.3.6.1.2.1.1.5.0", SNMP_TYPE_INTEGER, "12a"},
        {"1.3.6.1.2.1.1.5.0", SNMP_TYPE_INTEGER, "4294967296"},
        {"1.3.6.1.2.1.1.5.0", SNMP_TYPE_UNSIGNED, "-1"},
        {"1.3.6.1.2.1.1.5.0", SNMP_TYPE_IPADDRESS, "1.2.3"},
        {"1.3.6.1.2.1.1.5.0", SNMP_TYPE_OID, "1..3"},
        {"1.3.6.1.2.1.1.5.0", 99, "1"},
    };
    s_sim->ClearLog();
    for (const Case& c : cases) {
        CSnmpV1 set(3);
        set.setCommunity("harbour");
        set.addValue(kSysName.c_str(), SNMP_TYPE_OCTETS, "good");
        EXPECT_EQ(-1, set.addValue(c.oid, c.type, c.value)) << c.oid << " " << c.type;
        EXPECT_EQ(2, set.getVarBindCount());  // kept, so the whole PDU is refused
        ReplyPtr reply;
        EXPECT_EQ(CSnmp4w::EC_REFUSED, SendTo(set, Agent(), reply)) << c.oid << " " << c.type;
        EXPECT_FALSE(reply);
    }
    EXPECT_EQ(-1, CSnmpV1(0).addValue(nullptr, SNMP_TYPE_NULL, nullptr));
    // Request kind 2 is kept but refused at send.
    CSnmpV1 bulk(2);
    bulk.setCommunity("quaint");
    bulk.addValue(kSysName.c_str(), SNMP_TYPE_NULL, nullptr);
    ReplyPtr reply;
    EXPECT_EQ(CSnmp4w::EC_REFUSED, SendTo(bulk, Agent(), reply));
    EXPECT_TRUE(s_sim->Requests().empty());
}

TEST_F(SnmpValues, WrongCommunityTimesOut) {
    CSnmpV1 get(0);
    get.setCommunity("nobody");
    get.addValue(kSysDescr.c_str(), SNMP_TYPE_NULL, nullptr);
    ReplyPtr reply;
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(CSnmp4w::EC_TIMEOUT, SendTo(get, Agent(), reply, 300));
    EXPECT_LT(ElapsedMs(t0), 1500);
    // The same object then works with the right community (a new session under the hood).
    get.setCommunity("quaint");
    EXPECT_EQ(0, SendTo(get, Agent(), reply));
}

}  // namespace
