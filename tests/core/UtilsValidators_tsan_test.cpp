// The address validators compile their patterns once, on first use, from whichever thread comes first.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/Utils.h"

namespace {

TEST(ValidatorThreadsTest, FirstUseFromManyThreadsAtOnce) {
    std::atomic<bool> go{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            while (!go) {
                std::this_thread::yield();
            }
            for (int i = 0; i < 200; ++i) {
                if ((t + i) % 2 == 0) {
                    wrong += CUtils::IsValidIPv6("2001:db8::1", "", false) != 1;
                    wrong += CUtils::IsValidIPv6("ff02::1", "", false) != 0;
                } else {
                    wrong += !CUtils::IsValidIPv4("192.168.1.1");
                    wrong += CUtils::IsValidIPv4("192.168.1.255");
                }
            }
        });
    }
    go = true;
    for (std::thread& th : threads) {
        th.join();
    }
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
