// The validators' two patterns: which texts they accept, and how far their matches stay below the
// runaway bounds on long texts.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "core/regex/RegexPattern.h"
#include "tests/regex/ValidatorPatterns.h"

namespace {

const CRegexPattern& V4() {
    static const CRegexPattern re(kIPv4Pattern, 0);
    return re;
}
const CRegexPattern& V6() {
    static const CRegexPattern re(kIPv6Pattern, 0);
    return re;
}

}  // namespace

TEST(RegexValidatorPatterns, IPv6PatternHasItsFullLength) {
    EXPECT_EQ(std::strlen(kIPv6Pattern), 1066u);
}

TEST(RegexValidatorPatterns, IPv4Accepts) {
    for (const char* t : {"10.1.2.3", "172.16.0.1", "192.168.1.1", "0.0.0.0", "255.255.255.255", "127.0.0.1",
                          "1.2.3.4", "01.02.03.004", "250.249.200.199", "9.99.199.25", "224.0.0.1"}) {
        EXPECT_TRUE(V4().Match(t).Succeeded()) << t;
    }
}

TEST(RegexValidatorPatterns, IPv4Rejects) {
    for (const char* t :
         {"", "1.2.3", "256.1.1.1", "1.2.3.256", "1.2.3.4.5", "1..2.3", " 1.2.3.4", "1.2.3.4 ", "1.2.3.4\n",
          "a.b.c.d", "1.2.3.0004", "300.1.1.1", "1,2,3,4", "1.2.3.", ".1.2.3"}) {
        EXPECT_FALSE(V4().Match(t).Succeeded()) << t;
    }
}

TEST(RegexValidatorPatterns, IPv6Accepts) {
    for (const char* t : {"2001:db8::1", "::", "::1", "fe80::1", "fe80::1%eth0", "1:2:3:4:5:6:7:8",
                          "1:2:3:4:5:6:7::", "::ffff:192.168.1.1", "1:2:3:4:5:6:1.2.3.4", "  ::1  ",
                          "\t2001:db8::1\n", "ff02::1", "1::", "1::8", "1:2::7:8", "1.2.3.4",
                          "fe80:0000:0000:0000:0202:b3ff:fe1e:8329", "0:0:0:0:0:0:0:2", "::1%x y"}) {
        EXPECT_TRUE(V6().Match(t).Succeeded()) << t;
    }
}

TEST(RegexValidatorPatterns, IPv6Rejects) {
    for (const char* t : {"", "FE80::1", "2001:DB8::1", "1:2:3:4:5:6:7:8:9", "1::2::3", "12345::", "g::1",
                          ":", "1:2:3:4:5:6:7", "::1%", "1:2:3:4:5:6:7:8%", "::256.1.1.1", "1.2.3", "::1 x",
                          "1:2:3:4:5:6:7:8 9"}) {
        EXPECT_FALSE(V6().Match(t).Succeeded()) << t;
    }
}

// The runaway bounds (steps and nesting) must never decide a validator's answer. Long texts of
// the validators' worst shapes stay orders of magnitude below them.
TEST(RegexValidatorPatterns, LongTextsStayFarBelowTheBounds) {
    const std::string spaces(200, ' ');
    const std::string texts[] = {
        spaces,
        "::1%" + spaces + "\na",
        spaces + "::1" + spaces + "x",
        std::string(200, '1'),
        std::string(100, ':') + "1",
        "fe80::1%" + std::string(190, 'a'),
        "1:2:3:4:5:6:" + std::string(190, '9'),
    };
    long long maxSteps = 0;
    int maxDepth = 0;
    for (const std::string& t : texts) {
        for (const CRegexPattern* re : {&V4(), &V6()}) {
            RxMatchState state;
            re->Match(t.c_str(), static_cast<int>(t.size()), &state);
            EXPECT_FALSE(state.m_bAborted) << t;
            maxSteps = std::max(maxSteps, state.m_nSteps);
            maxDepth = std::max(maxDepth, state.m_nDepthPeak);
        }
    }
    EXPECT_LT(maxSteps * 100, RxMatchState::kDefaultStepLimit);
    EXPECT_LT(maxDepth * 100, RxMatchState::kDefaultDepthLimit);
    // Still right on a long accepted text.
    const std::string longOk = "fe80::1%" + std::string(5000, 'a');
    EXPECT_TRUE(V6().Match(longOk.c_str()).Succeeded());
}
