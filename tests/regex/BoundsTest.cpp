// Runaway patterns and texts: the engine must end every match, failing it when a bound is hit, and
// never overflow the native stack.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/regex/RegexTestUtil.h"

namespace {

struct Outcome {
    bool matched;
    bool aborted;
    long long steps;
};

Outcome RunMatch(const std::string& pattern, const std::string& text, int flags = 0) {
    CRegexPattern re;
    re.Compile(pattern.data(), static_cast<int>(pattern.size()), flags);
    RxMatchState state;
    const bool ok = re.Match(text.data(), static_cast<int>(text.size()), &state).Succeeded() != 0;
    return {ok, state.m_bAborted != 0, state.m_nSteps};
}

}  // namespace

TEST(RegexBounds, RecursionWithoutProgressFails) {
    for (const char* p : {"(?R)", "(?R)?", "a|(?R)", "(a|(?1))", "((?1)b)", "(?<x>(?R<x>))"}) {
        const Outcome o = RunMatch(p, "b");
        EXPECT_FALSE(o.matched) << p;
        EXPECT_TRUE(o.aborted) << p;
    }
    EXPECT_FALSE(RunMatch("(?R)", "").matched);
}

TEST(RegexBounds, ExponentialBacktrackingIsCut) {
    const std::string text = std::string(40, 'a') + "!";
    const auto start = std::chrono::steady_clock::now();
    for (const char* p : {"(a|a)*b", "((a+)+)+b", "(a|aa)+b", "(\\w*)*\\d", "(.*)*x"}) {
        const Outcome o = RunMatch(p, text);
        EXPECT_FALSE(o.matched) << p;
        EXPECT_LE(o.steps, RxMatchState::kDefaultStepLimit + 1) << p;
    }
    // Fixed repetitions retry every combination: 2^40 ways, cut by the step budget.
    const Outcome o = RunMatch("(a|a){40}b", text);
    EXPECT_FALSE(o.matched);
    EXPECT_TRUE(o.aborted);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

TEST(RegexBounds, CallerMayLowerTheStepBudget) {
    CRegexPattern re("(a|b)*c");
    RxMatchState state;
    state.m_nStepLimit = 10;
    EXPECT_FALSE(re.Match("ababababc", &state).Succeeded());
    EXPECT_TRUE(state.m_bAborted);
    state.m_nStepLimit = RxMatchState::kDefaultStepLimit;
    EXPECT_TRUE(re.Match("ababababc", &state).Succeeded());
    EXPECT_FALSE(state.m_bAborted);
}

TEST(RegexBounds, DeepGroupNestingCompilesWithoutRootAndFails) {
    const int deep = 100000;
    const std::string p = std::string(deep, '(') + "a" + std::string(deep, ')');
    CRegexPattern re;
    re.Compile(p.data(), static_cast<int>(p.size()), 0);
    EXPECT_EQ(re.GetRoot(), nullptr);
    EXPECT_FALSE(re.Match("a").Succeeded());
    // Unterminated and mixed constructs nest the same way.
    EXPECT_FALSE(Matches(std::string(50000, '(') + "?:", ""));
    EXPECT_FALSE(Matches(std::string(30000, '(') + "?=(?>", ""));
}

TEST(RegexBounds, NestingUpToTheLimitWorks) {
    const int n = CRegexPattern::kMaxNesting;
    const std::string p = std::string(n, '(') + "a" + std::string(n, ')');
    CRegexPattern re;
    re.Compile(p.data(), static_cast<int>(p.size()), 0);
    ASSERT_NE(re.GetRoot(), nullptr);
    const CRegexMatch m = re.Match("a");
    EXPECT_TRUE(m.Succeeded());
    EXPECT_EQ(m.GetGroupEnd(n), 1);
    const std::string q = std::string(n, '(') + "a|b" + std::string(n, ')') + "*";
    EXPECT_TRUE(Matches(q, "abab"));
    EXPECT_FALSE(Matches(std::string(n + 1, '(') + "a", "a"));
}

TEST(RegexBounds, LongTextsAndLargeCounts) {
    const std::string many(1000000, 'a');
    EXPECT_TRUE(Matches("a*", many));
    EXPECT_TRUE(Matches("(a)*", std::string(100000, 'a')));
    EXPECT_TRUE(Matches("(?:a|b)+", std::string(100000, 'b')));
    EXPECT_FALSE(Matches("(a{999}){999}", "b"));
    const Outcome o = RunMatch("((a{0,999}){999}){999}b", std::string(2000, 'a'));
    EXPECT_FALSE(o.matched);
}

TEST(RegexBounds, ManyBranchesAndLongPatterns) {
    std::string p;
    for (int i = 0; i < 5000; i++) {
        p += (i ? "|" : "") + std::to_string(i);
    }
    EXPECT_TRUE(Matches(p, "4999"));
    EXPECT_FALSE(Matches(p, "5000"));
    EXPECT_TRUE(Matches(std::string(100000, 'x'), std::string(100000, 'x')));
}
