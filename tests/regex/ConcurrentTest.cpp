// One compiled pattern matched from several threads at once.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/regex/RegexPattern.h"
#include "tests/regex/ValidatorPatterns.h"

TEST(RegexConcurrent, SharedPatternMatchesFromManyThreads) {
    static const CRegexPattern v4(kIPv4Pattern, 0);
    static const CRegexPattern v6(kIPv6Pattern, 0);
    // Text, then whether the IPv4 and the IPv6 pattern accept it (a bare IPv4 address passes both).
    struct Case {
        std::string text;
        bool v4;
        bool v6;
    };
    const std::vector<Case> cases = {{"10.1.2.3", true, true},        {"256.1.1.1", false, false},
                                     {"fe80::1%eth0", false, true},   {"FE80::1", false, false},
                                     {"::ffff:1.2.3.4", false, true}, {"", false, false}};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; t++) {
        threads.emplace_back([&, t] {
            RxMatchState own;
            for (int i = 0; i < 500; i++) {
                for (const Case& c : cases) {
                    RxMatchState* state = (i + t) % 2 ? &own : nullptr;
                    const bool a = v4.Match(c.text.c_str(), state).Succeeded() != 0;
                    const bool b = v6.Match(c.text.c_str(), state).Succeeded() != 0;
                    if (a != c.v4 || b != c.v6) {
                        wrong++;
                    }
                }
            }
        });
    }
    for (auto& th : threads) {
        th.join();
    }
    EXPECT_EQ(wrong.load(), 0);
}
