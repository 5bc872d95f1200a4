// The SNMPv3 filter's decision on what an attacker who sees the traffic can send, and on genuine answers:
// the fuzz corpus's messages, signed here with the agent's key where they stand for genuine ones.
#include <gtest/gtest.h>
#include <malloc.h>
#include <netinet/in.h>

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/library/scapi.h>
#include <net-snmp/library/transform_oids.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/snmplib/Snmp.h"
#include "platform/snmplib/UsmFilter.h"
#include "platform/snmplib/UsmHeader.h"

namespace {

using namespace ksx::snmp;
using Bytes = std::vector<uint8_t>;

Bytes Seed(const std::string& name) {
    const char* root = std::getenv("KSX_SOURCE_DIR");
    std::ifstream f(std::string(root ? root : ".") + "/tests/fuzz/corpus/fuzz_usm_filter/" + name,
                    std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

class UsmFilterTest : public testing::Test {
protected:
    void SetUp() override {
        SnmpInit();
        const char pass[] = "fuzz-auth-pass";
        size_t len = sizeof m_ku;
        generate_Ku(usmHMACSHA1AuthProtocol, OID_LENGTH(usmHMACSHA1AuthProtocol),
                    reinterpret_cast<const u_char*>(pass), std::strlen(pass), m_ku, &len);
        m_st.user = "ksx-an";
        m_st.securityLevel = SNMP_SEC_LEVEL_AUTHNOPRIV;
        m_st.authArith = 1;
        m_st.engineId = {0x80, 0x00, 0x1f, 0x88, 0x80, 'k', 's', 'x', '-', 'a', 'g', 'e', 'n', 't'};
        m_st.localize = [this](const Bytes& engine) { return Localized(engine); };
        m_st.authKey = Localized(m_st.engineId);
        m_st.agent = Address(161);
        m_st.timeKnown = true;
        m_st.boots = 5;
        m_st.time = 1000;
        m_st.awaited = {7, 300, 0x12345678};
        m_st.discovery = 7;
    }
    static sockaddr_storage Address(uint16_t port) {
        sockaddr_storage a{};
        auto& in = reinterpret_cast<sockaddr_in&>(a);
        in.sin_family = AF_INET;
        in.sin_port = htons(port);
        in.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return a;
    }
    Bytes Localized(const Bytes& engine) {
        u_char key[USM_AUTH_KU_LEN];
        size_t len = sizeof key;
        generate_kul(usmHMACSHA1AuthProtocol, OID_LENGTH(usmHMACSHA1AuthProtocol), engine.data(),
                     engine.size(), m_ku, 20, key, &len);
        return {key, key + len};
    }
    // The message with the digest the agent gives it: our key localized to the engine it names.
    Bytes Signed(Bytes m) {
        UsmHeader h;
        EXPECT_TRUE(ParseUsmHeader(m.data(), m.size(), h));
        const Bytes key = Localized(h.engineId);
        u_char mac[64];
        size_t macLen = sizeof mac;
        sc_generate_keyed_hash(usmHMACSHA1AuthProtocol, OID_LENGTH(usmHMACSHA1AuthProtocol), key.data(),
                               static_cast<u_int>(key.size()), m.data(), static_cast<u_int>(m.size()), mac,
                               &macLen);
        std::memcpy(m.data() + h.authOffset, mac, h.authLength);
        return m;
    }
    // As received from the agent's port.
    UsmVerdict Decide(const Bytes& m) { return DecideUsm(m.data(), m.size(), Address(161), m_st); }

    u_char m_ku[USM_AUTH_KU_LEN]{};
    UsmFilterState m_st;
};

TEST_F(UsmFilterTest, ForgeriesNeverPassAndGenuineAnswersDo) {
    using V = UsmVerdict;
    using R = UsmReport;
    const struct {
        const char* seed;
        bool sign;
        V::Kind kind;
        R report;
    } kCases[] = {
        {"report_time_instance_2_1", false, V::kHint, R::kNotInTimeWindow},
        {"report_time_msgid_6_octets", false, V::kHint, R::kNotInTimeWindow},
        {"report_time_outer_0x85", false, V::kHint, R::kNotInTimeWindow},
        {"report_time_scoped_inside_params", false, V::kHint, R::kNotInTimeWindow},
        {"report_time_padded_subids", false, V::kHint, R::kNotInTimeWindow},
        {"report_time_8_octet_integers", false, V::kHint, R::kNotInTimeWindow},
        {"report_wrong_digest", false, V::kHint, R::kWrongDigest},
        {"report_unknown_user", false, V::kHint, R::kUnknownUserName},
        {"report_decryption", false, V::kHint, R::kDecryptionError},
        {"report_unknown_engine_odd_instance", false, V::kHint, R::kUnknownEngineId},
        {"discovery_answer", false, V::kPass, R::kUnknownEngineId},
        {"response_authnopriv", false, V::kDrop, R::kOther},  // a forged digest
        {"replay_not_awaited", true, V::kDrop, R::kOther},
        {"report_time_authenticated_duplicate", true, V::kDrop, R::kOther},
        {"report_time_authenticated_news", true, V::kPass, R::kOther},
        {"reset_lower_boots", true, V::kReset, R::kOther},
        {"reset_clock_behind", true, V::kReset, R::kOther},
        {"replaced_engine", true, V::kReplaced, R::kOther},
        {"response_authnopriv", true, V::kPass, R::kOther},
        {"response_scoped_inside_params", true, V::kPass, R::kOther},
        {"response_8_octet_integers", true, V::kPass, R::kOther},
    };
    for (const auto& c : kCases) {
        const Bytes m = c.sign ? Signed(Seed(c.seed)) : Seed(c.seed);
        const UsmVerdict v = Decide(m);
        EXPECT_EQ(c.kind, v.kind) << c.seed;
        EXPECT_EQ(c.report, v.report) << c.seed;
    }
}

TEST_F(UsmFilterTest, AGenuineAnswerIsDroppedFromElsewhereOrForAnotherUserLevelOrProtocol) {
    const Bytes m = Signed(Seed("response_authnopriv"));
    m_st.agent = Address(162);
    EXPECT_EQ(UsmVerdict::kDrop, Decide(m).kind) << "another port";
    SetUp();
    m_st.user = "ksx-ap";
    EXPECT_EQ(UsmVerdict::kDrop, Decide(m).kind) << "another user";
    SetUp();
    m_st.securityLevel = SNMP_SEC_LEVEL_AUTHPRIV;
    EXPECT_EQ(UsmVerdict::kDrop, Decide(m).kind) << "another level";
    SetUp();
    m_st.authArith = 2;
    EXPECT_EQ(UsmVerdict::kDrop, Decide(m).kind) << "a protocol without an entry";
}

// Every PDU tag in each envelope is read to its end, and what the parse allocated (a v1 trap's enterprise
// among it) is freed, also when the parse fails after it (an agent address of 5 octets): the ASan build's
// leak check fails the run otherwise, and the heap in use does not grow with the datagrams read (glibc's
// count; ASan's allocator reports none).
TEST(UsmHeaderTest, EveryPduTagAtEveryLevelIsReadWithNothingLeftAllocated) {
    SnmpInit();
    auto readMany = [](const std::string& name) {
        const Bytes m = Seed(name);
        UsmHeader h;
        const size_t inUse = mallinfo2().uordblks;
        for (int i = 0; i < 1000; ++i) {
            ParseUsmHeader(m.data(), m.size(), h);
        }
        EXPECT_LT(mallinfo2().uordblks, inUse + 1024) << name;
    };
    for (const char* level : {"noauth", "authnopriv", "authpriv"}) {
        for (int tag : {0xa0, 0xa1, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8}) {
            char name[32];
            std::snprintf(name, sizeof name, "tag_%02x_%s", tag, level);
            const Bytes m = Seed(name);
            UsmHeader h;
            ASSERT_TRUE(ParseUsmHeader(m.data(), m.size(), h)) << name;
            const bool encrypted = std::string(level) == "authpriv";
            EXPECT_EQ(encrypted ? 0 : tag, h.pduType) << name;
            EXPECT_EQ(encrypted || tag == 0xa4 ? 0 : 300, h.requestId) << name;
            readMany(name);
        }
    }
    const Bytes bad = Seed("trap_agent_address_5_octets");
    UsmHeader h;
    EXPECT_FALSE(ParseUsmHeader(bad.data(), bad.size(), h));
    readMany("trap_agent_address_5_octets");
}

}  // namespace
