// Whole-text matching: backtracking order, captures, result layout and the retry stop.

#include <gtest/gtest.h>

#include <string>

#include "tests/regex/RegexTestUtil.h"

TEST(RegexMatch, CoversTheWholeText) {
    EXPECT_TRUE(Matches("abc", "abc"));
    EXPECT_FALSE(Matches("abc", "abcd"));
    EXPECT_FALSE(Matches("abc", "ab"));
    EXPECT_FALSE(Matches("abc", "xabc"));
    EXPECT_TRUE(Matches("a*a", "aaa"));
    EXPECT_TRUE(Matches("x*", ""));
    EXPECT_TRUE(Matches("", ""));
}

TEST(RegexMatch, AlternationIsRetriedWhenTextIsLeftOver) {
    EXPECT_TRUE(Matches("a|ab", "ab"));
    EXPECT_TRUE(Matches("(a|ab)(c|bcd)", "abcd"));
    EXPECT_EQ(Group("(a|ab)(c|bcd)", "abcd", 1), "0,1");
    EXPECT_EQ(Group("(a|ab)(c|bcd)", "abcd", 2), "1,4");
    EXPECT_EQ(Group("(a|ab)(c|b)", "abc", 1), "0,2");
}

TEST(RegexMatch, GreedyAddsNoIterationAfterAnAlternative) {
    EXPECT_TRUE(Matches("(ab|a)*", "abab"));
    EXPECT_FALSE(Matches("(a|ab)*", "abab"));
    EXPECT_TRUE(Matches("(a|ab)*", "aaa"));
    EXPECT_TRUE(Matches("(a|ab)*", "ab"));
    EXPECT_FALSE(Matches("(a|ab)*c", "abac"));
    // With a minimum, retrying the fixed iteration restarts the greedy part.
    EXPECT_TRUE(Matches("(a|ab)+", "abab"));
    EXPECT_TRUE(Matches("(a|ab)+c", "abac"));
}

TEST(RegexMatch, RetriesEndingAtTheStartTwiceStop) {
    EXPECT_TRUE(Matches("(||b)", "b"));
    EXPECT_FALSE(Matches("(|||b)", "b"));
    EXPECT_TRUE(Matches("(|b)", "b"));
    EXPECT_TRUE(Matches("(|||b)", ""));
}

TEST(RegexMatch, GreedyEmptyIterationsStopTheAdding) {
    EXPECT_EQ(Group("(a*)*", "aa", 1), "0,2");
    EXPECT_TRUE(Matches("(a?)+", "aa"));
    EXPECT_TRUE(Matches("(a|)*b", "aab"));
    EXPECT_TRUE(Matches("(a*)+b", "b"));
    EXPECT_FALSE(Matches("(a*)*b", "aac"));
}

TEST(RegexMatch, CapturesReportTheNewestRecord) {
    EXPECT_EQ(Group("(a)|b", "b", 1), "-1,-1");
    EXPECT_EQ(Group("(a)+", "aaa", 1), "2,3");
    EXPECT_EQ(Group("(a)+", "aaa", 0), "0,3");
    EXPECT_EQ(Group("(a(b)?)+", "aba", 2), "1,2");  // kept from the earlier iteration
    EXPECT_EQ(Group("(a)*b", "b", 1), "-1,-1");
    EXPECT_EQ(Group("((a)|(b))+", "ab", 2), "0,1");
    EXPECT_EQ(Group("((a)|(b))+", "ab", 3), "1,2");
}

TEST(RegexMatch, ResultLayout) {
    CRegexPattern re("(a)(x)?(b)");
    const CRegexMatch m = re.Match("ab");
    ASSERT_EQ(m.m_result.GetSize(), 2 * 3 + 4);
    const int expected[] = {1, 3, 0, 2, 0, 1, -1, -1, 1, 2};
    for (int i = 0; i < 10; i++) {
        EXPECT_EQ(m.m_result[i], expected[i]) << i;
    }
    const CRegexMatch none = re.Match("abc");
    EXPECT_EQ(none.m_result.GetSize(), 0);
    EXPECT_EQ(none.Succeeded(), 0);
    EXPECT_EQ(none.GetGroupStart(0), -1);
}

TEST(RegexMatch, BackReferences) {
    EXPECT_FALSE(Matches("(a)?\\1", ""));  // no record: fails
    EXPECT_TRUE(Matches("(a\\1)", "aa"));  // inside its own group: the text so far
    EXPECT_TRUE(Matches("(ab)\\1", "abab"));
    EXPECT_FALSE(Matches("(ab)\\1", "abAB"));
    EXPECT_TRUE(Matches("(ab)\\1", "abAB", RX_IGNORE_CASE));
    EXPECT_TRUE(Matches("(a*)b\\1", "aabaa"));
    EXPECT_TRUE(Matches("(a*)b\\1", "b"));
    EXPECT_FALSE(Matches("(a*)b\\1", "aaba"));
    EXPECT_TRUE(Matches("(a|b)+\\1", "abb"));
}

TEST(RegexMatch, LazyRanges) {
    EXPECT_TRUE(Matches("a*?b", "aab"));
    EXPECT_EQ(Group("(a+?)(a*)", "aaa", 1), "0,1");
    EXPECT_EQ(Group("(a+?)(a*)", "aaa", 2), "1,3");
    EXPECT_EQ(Group("(a*?)(a*)", "aaa", 1), "0,0");
    EXPECT_EQ(Group("(a{1,3}?)(a?)", "aaa", 1), "0,2");
    EXPECT_TRUE(Matches("a{2,3}?", "aaa"));
    EXPECT_FALSE(Matches("a{2,3}?", "aaaa"));
    EXPECT_TRUE(Matches("(a|ab)*?c", "ababc"));
    EXPECT_TRUE(
        Matches("(a?"
                "?)b",
                "ab"));
}

TEST(RegexMatch, PossessiveRangesGiveNothingBack) {
    EXPECT_FALSE(Matches("a++a", "aaa"));
    EXPECT_TRUE(Matches("a*+b", "aab"));
    EXPECT_FALSE(Matches("a?+a", "a"));
    EXPECT_TRUE(Matches("(a)++", "aa"));
    EXPECT_EQ(Group("(a)++b", "aab", 1), "1,2");
    EXPECT_FALSE(Matches("(ab|a)++b", "ab"));
    EXPECT_TRUE(Matches("(a|ab)++b", "ab"));
}

TEST(RegexMatch, FixedRepetitionBacktracksIntoIterations) {
    EXPECT_TRUE(Matches("(a|ab){2}c", "abac"));
    EXPECT_TRUE(Matches("(a|ab){2}", "aab"));
    EXPECT_FALSE(Matches("(a|ab){2}", "a"));
    EXPECT_TRUE(Matches("(\\d\\d?){2}", "123"));
}

TEST(RegexMatch, LookaroundIsAtomicAndKeepsPositiveCaptures) {
    EXPECT_TRUE(Matches("(?=(a))a\\1", "aa"));
    EXPECT_EQ(Group("(?=(ab))a.", "ab", 1), "0,2");
    EXPECT_FALSE(Matches("(?=(a|ab))\\1", "ab"));  // the inner node is never retried
    EXPECT_TRUE(Matches("(?=(a|ab))\\1b", "ab"));
    EXPECT_TRUE(Matches("(?!(a))b", "b"));
    EXPECT_EQ(Group("(?!(a))b", "b", 1), "-1,-1");
    EXPECT_FALSE(Matches("(?!(a)b)a\\1", "aa"));
    EXPECT_TRUE(Matches("\\w+(?<=c)", "abc"));
    EXPECT_FALSE(Matches("\\w+(?<!c)", "abc"));
}

TEST(RegexMatch, NegativeLookaroundLeavesNoCapture) {
    // The negative assertion's inner match is cut off; its group must not be reported or used.
    EXPECT_EQ(Group("(?!(a)x)a", "a", 1), "-1,-1");
    EXPECT_FALSE(Matches("(?!(a)c)ab\\1", "aba"));
    EXPECT_FALSE(Matches("(?!(a)c)(?(1)ab|x)", "ab"));
    // Here the inner match succeeds, so the assertion fails and its records are cut off while the
    // group's index still points at them: the group counts as not taking part.
    EXPECT_EQ(Group("(?:(?!(a))|a)", "a", 1), "-1,-1");
    EXPECT_FALSE(Matches("(?:(?!(a))|a)\\1", "aa"));
    EXPECT_TRUE(Matches("(?:(?!(a))|a)(?(1)b|c)", "ac"));
    EXPECT_FALSE(Matches("(?:(?!(a))|a)(?(1)b|c)", "ab"));
    EXPECT_TRUE(Matches("(?:(?!(a))|a)(a)\\2", "aaa"));
}

TEST(RegexMatch, AtomicGroups) {
    EXPECT_FALSE(Matches("(?>a*)a", "aa"));
    EXPECT_FALSE(Matches("(?>a|ab)c", "abc"));
    EXPECT_TRUE(Matches("(?>ab|a)c", "abc"));
    EXPECT_EQ(Group("(?>(a+))b", "aab", 1), "0,2");
}

TEST(RegexMatch, Recursion) {
    EXPECT_TRUE(Matches("\\((a|(?R))*\\)", "(a(a)(()))"));
    EXPECT_FALSE(Matches("\\((a|(?R))*\\)", "(a(a)(())"));
    EXPECT_TRUE(Matches("(a(?1)?b)", "aaabbb"));
    EXPECT_EQ(Group("(a(?1)?b)", "aabb", 1), "0,4");
    EXPECT_FALSE(Matches("(a(?1)?b)", "aabbb"));
}

TEST(RegexMatch, RightToLeft) {
    EXPECT_TRUE(Matches("abc", "abc", RX_RIGHT_TO_LEFT));
    EXPECT_EQ(Group("abc", "abc", 0, RX_RIGHT_TO_LEFT), "0,3");
    EXPECT_EQ(Group("(a)(bc)", "abc", 1, RX_RIGHT_TO_LEFT), "0,1");
    EXPECT_EQ(Group("(a)(bc)", "abc", 2, RX_RIGHT_TO_LEFT), "1,3");
    EXPECT_TRUE(Matches("a|ab", "ab", RX_RIGHT_TO_LEFT));
    EXPECT_EQ(Group("(a*)(a)", "aaa", 1, RX_RIGHT_TO_LEFT), "0,2");
    // Elements are taken from the last: a* runs first and gives back one character.
    EXPECT_EQ(Group("(a+?)(a*)", "aaa", 1, RX_RIGHT_TO_LEFT), "0,1");
    EXPECT_EQ(Group("(a+?)(a*)", "aaa", 2, RX_RIGHT_TO_LEFT), "1,3");
    EXPECT_FALSE(Matches("(ab)\\1", "abab", RX_RIGHT_TO_LEFT));  // the reference is met first
    EXPECT_TRUE(Matches("\\1(ab)", "abab", RX_RIGHT_TO_LEFT));
    EXPECT_TRUE(Matches("\\d+(?=x)x", "12x", RX_RIGHT_TO_LEFT));
    EXPECT_TRUE(Matches("^ab$", "ab", RX_RIGHT_TO_LEFT));
    EXPECT_FALSE(Matches("abc", "abcd", RX_RIGHT_TO_LEFT));
    EXPECT_TRUE(Matches("[b-c]+a", "abc", RX_RIGHT_TO_LEFT) == false);
    EXPECT_TRUE(Matches("a[b-c]+", "abc", RX_RIGHT_TO_LEFT));
}

TEST(RegexMatch, CountedAndNulTexts) {
    CRegexPattern re("a\\x00?b");
    EXPECT_TRUE(re.Match("ab").Succeeded());
    EXPECT_TRUE(re.Match("a\0b", 3).Succeeded());
    EXPECT_FALSE(re.Match("a\0b").Succeeded());  // measured up to the NUL: "a"
    EXPECT_FALSE(re.Match("ab", -5).Succeeded());
    EXPECT_TRUE(CRegexPattern("x*").Match(nullptr, 10).Succeeded());
}

TEST(RegexMatch, CallerStateIsResetAndKeepsItsStacks) {
    CRegexPattern re("(a|b)*c");
    RxMatchState state;
    EXPECT_FALSE(re.Match("abx", &state).Succeeded());
    const CRegexMatch m = re.Match("abc", &state);
    ASSERT_TRUE(m.Succeeded());
    EXPECT_EQ(m.GetGroupStart(1), 1);
    EXPECT_GT(state.m_capture.GetSize(), 0);
    EXPECT_GT(state.m_nSteps, 0);
    EXPECT_FALSE(state.m_bAborted);
}

TEST(RegexMatch, ResultOutlivesPatternAndState) {
    CRegexMatch m;
    {
        CRegexPattern re("(x)y");
        RxMatchState state;
        m = re.Match("xy", &state);
    }
    EXPECT_TRUE(m.Succeeded());
    EXPECT_EQ(m.GetGroupEnd(1), 1);
}
