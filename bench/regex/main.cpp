// Matches the IPv4 and IPv6 validator patterns against a few thousand generated addresses, valid
// and invalid, with this engine and with std::regex (ECMAScript, regex_match) on the same texts,
// and prints the times and the ratio ours / std::regex.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "core/regex/RegexPattern.h"
#include "tests/regex/ValidatorPatterns.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Hex(std::mt19937& rng) {
    static const char kDigits[] = "0123456789abcdef";
    std::string g;
    const int n = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < n; i++) {
        g += kDigits[rng() % 16];
    }
    return g;
}

std::string Octet(std::mt19937& rng, bool valid) {
    return std::to_string(valid ? rng() % 256 : 256 + rng() % 700);
}

std::string IPv4(std::mt19937& rng, bool valid) {
    std::string s;
    const int bad = valid ? -1 : static_cast<int>(rng() % 4);
    for (int i = 0; i < 4; i++) {
        if (i) {
            s += ".";
        }
        s += Octet(rng, i != bad);
    }
    if (!valid && rng() % 3 == 0) {
        s += rng() % 2 ? ".1" : " ";  // extra part or trailing space
    }
    return s;
}

std::string IPv6(std::mt19937& rng, bool valid) {
    std::string s;
    const int kind = static_cast<int>(rng() % 4);
    if (kind == 0) {  // eight full groups
        for (int i = 0; i < 8; i++) {
            if (i) {
                s += ":";
            }
            s += Hex(rng);
        }
    } else if (kind == 1) {  // compressed
        const int head = static_cast<int>(rng() % 4);
        const int tail = 1 + static_cast<int>(rng() % 3);
        for (int i = 0; i < head; i++) {
            s += Hex(rng) + ":";
        }
        s += head ? ":" : "::";
        for (int i = 0; i < tail; i++) {
            if (i) {
                s += ":";
            }
            s += Hex(rng);
        }
    } else if (kind == 2) {  // embedded IPv4
        s = "::ffff:";
        s += IPv4(rng, true);
    } else {  // link-local with an interface
        s = "fe80::";
        s += Hex(rng);
        s += "%eth";
        s += std::to_string(rng() % 4);
    }
    if (!valid) {
        switch (rng() % 4) {
            case 0:
                s.insert(0, "1:2:3:4:5:6:7:8:");  // too many groups
                break;
            case 1:
                std::transform(s.begin(), s.end(), s.begin(), [](char c) { return c == 'f' ? 'F' : c; });
                s.insert(0, "G");
                break;
            case 2:
                s.insert(0, "1::2::");
                break;
            default:
                s.insert(0, "12345:");
                break;
        }
    }
    return s;
}

struct Timing {
    double ours = 0;
    double ref = 0;
    int accepted = 0;
    int disagreements = 0;
};

Timing Measure(const char* pattern, const std::vector<std::string>& texts, int rounds) {
    const CRegexPattern ours(pattern, 0);
    const std::regex ref(pattern, std::regex::ECMAScript);
    Timing t;
    for (const std::string& s : texts) {
        const bool a = ours.Match(s.c_str()).Succeeded() != 0;
        const bool b = std::regex_match(s, ref);
        t.accepted += a;
        t.disagreements += a != b;
    }
    double bestOurs = 1e30;
    double bestRef = 1e30;
    volatile int sink = 0;
    for (int r = 0; r < rounds; r++) {
        auto t0 = Clock::now();
        for (const std::string& s : texts) {
            sink = sink + ours.Match(s.c_str()).Succeeded();
        }
        auto t1 = Clock::now();
        for (const std::string& s : texts) {
            sink = sink + std::regex_match(s, ref);
        }
        auto t2 = Clock::now();
        bestOurs = std::min(bestOurs, std::chrono::duration<double, std::milli>(t1 - t0).count());
        bestRef = std::min(bestRef, std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    t.ours = bestOurs;
    t.ref = bestRef;
    return t;
}

}  // namespace

int main() {
    std::mt19937 rng(20240611);
    const int kCount = 4000;  // per pattern, half valid and half invalid
    std::vector<std::string> v4;
    std::vector<std::string> v6;
    for (int i = 0; i < kCount; i++) {
        v4.push_back(IPv4(rng, i % 2 == 0));
        v6.push_back(IPv6(rng, i % 2 == 0));
    }
    std::printf("%-6s %6s %9s %10s %14s %8s\n", "", "texts", "accepted", "ours ms", "std::regex ms", "ratio");
    double sumOurs = 0;
    double sumRef = 0;
    int disagreements = 0;
    for (const auto& [name, pattern, texts] :
         {std::tuple{"IPv4", kIPv4Pattern, &v4}, std::tuple{"IPv6", kIPv6Pattern, &v6}}) {
        const Timing t = Measure(pattern, *texts, 5);
        std::printf("%-6s %6zu %9d %10.2f %14.2f %8.3f\n", name, texts->size(), t.accepted, t.ours, t.ref,
                    t.ours / t.ref);
        sumOurs += t.ours;
        sumRef += t.ref;
        disagreements += t.disagreements;
    }
    std::printf("%-6s %6d %9s %10.2f %14.2f %8.3f\n", "total", 2 * kCount, "", sumOurs, sumRef,
                sumOurs / sumRef);
    std::printf("disagreements with std::regex: %d\n", disagreements);
    return disagreements == 0 ? 0 : 1;
}
