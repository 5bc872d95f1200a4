// Pattern language and compilation: escapes, classes, quantifiers, groups, names, modifiers and
// the fixed outcomes for malformed patterns.

#include <gtest/gtest.h>

#include <string>

#include "tests/regex/RegexTestUtil.h"

using namespace std::string_literals;

TEST(RegexSyntax, EmptyAndNullPatterns) {
    EXPECT_TRUE(Matches("", ""));
    EXPECT_FALSE(Matches("", "a"));
    CRegexPattern none(nullptr);
    EXPECT_EQ(none.GetRoot(), nullptr);
    EXPECT_FALSE(none.Match("").Succeeded());
    CRegexPattern re("a");
    re.Compile(nullptr);
    EXPECT_FALSE(re.Match("a").Succeeded());
    re.Compile("b");
    EXPECT_TRUE(re.Match("b").Succeeded());
    EXPECT_TRUE(CRegexPattern("").Match(nullptr).Succeeded());
}

TEST(RegexSyntax, PatternsAndTextsMayHoldNul) {
    EXPECT_TRUE(Matches("a\0b"s, "a\0b"s));
    EXPECT_FALSE(Matches("a\0b"s, "a"s));
    EXPECT_TRUE(Matches("\\\0"s, "\0"s));  // backslash before NUL: a literal NUL
    EXPECT_TRUE(Matches("[\0x]+"s, "x\0x"s));
}

TEST(RegexSyntax, CharacterEscapes) {
    EXPECT_TRUE(Matches("\\x41", "A"));
    EXPECT_TRUE(Matches("\\u0041", "A"));
    EXPECT_TRUE(Matches("\\x4g", "\x04g"));
    EXPECT_TRUE(Matches("\\xg", "xg"));
    EXPECT_TRUE(Matches("\\ug", "ug"));
    EXPECT_TRUE(Matches("\\x{41}B", "AB"));
    EXPECT_TRUE(Matches("\\x{141}", "A"));  // low 8 bits
    EXPECT_TRUE(Matches("\\u{263A}", ":"));
    EXPECT_TRUE(Matches("\\x{41", "A"));  // unterminated: runs to the end
    EXPECT_TRUE(Matches("\\u00411", "A1"));
    EXPECT_TRUE(Matches("\\x414", "A4"));
    EXPECT_TRUE(Matches("\\a\\e\\f\\n\\r\\t\\v", "\a\x1b\f\n\r\t\v"));
    EXPECT_TRUE(Matches("a\\", "a\\"));  // trailing backslash is literal
    EXPECT_TRUE(Matches("\\.\\*\\q", ".*q"));
    EXPECT_FALSE(Matches("\\.", "x"));
}

TEST(RegexSyntax, QuotingAndCaseConversion) {
    EXPECT_TRUE(Matches("\\Qa.b*\\E+", "a.b**"));
    EXPECT_FALSE(Matches("\\Qa.b\\E", "axb"));
    EXPECT_TRUE(Matches("\\Q(a", "(a"));  // unterminated quote runs to the end
    EXPECT_TRUE(Matches("\\Uab\\Ec", "ABc"));
    EXPECT_TRUE(Matches("\\LAB\\EC", "abC"));
    EXPECT_FALSE(Matches("\\Uab", "ab"));
}

TEST(RegexSyntax, ExtendedModeSkipsSpaceAndComments) {
    EXPECT_TRUE(Matches("a b # c", "ab", RX_EXTENDED));
    EXPECT_TRUE(Matches("a\\ b", "a b", RX_EXTENDED));
    EXPECT_TRUE(Matches("a # c\nb", "ab", RX_EXTENDED));
    EXPECT_TRUE(Matches("[a b]+", "ab", RX_EXTENDED));
    EXPECT_FALSE(Matches("[a b]", " ", RX_EXTENDED));
    EXPECT_TRUE(Matches("a b", "a b"));
    EXPECT_TRUE(Matches("a#b", "a#b"));
}

TEST(RegexSyntax, InlineComments) {
    EXPECT_TRUE(Matches("ab(?#note)c", "abc"));
    EXPECT_TRUE(Matches("ab(?#note", "ab"));
    EXPECT_TRUE(Matches("[a(?#x)b]+", "ab"));  // skipped inside a bracket expression too
}

TEST(RegexSyntax, QuantifierForms) {
    EXPECT_TRUE(Matches("a{0}", ""));
    EXPECT_FALSE(Matches("a{0}", "a"));
    EXPECT_TRUE(Matches("a{,3}", ""));
    EXPECT_FALSE(Matches("a{,3}", "a"));
    EXPECT_TRUE(Matches("xa{}y", "xy"));
    EXPECT_TRUE(Matches("xa{z}y", "xy"));
    EXPECT_TRUE(Matches("a{3}?", "aaa"));
    EXPECT_FALSE(Matches("a{3}?", "aa"));
    EXPECT_FALSE(Matches("a{3}?", "aaaa"));
    EXPECT_TRUE(Matches("a{3}+", "aaa"));
    EXPECT_TRUE(Matches("a{2,1}", "aa"));
    EXPECT_FALSE(Matches("a{2,1}", "a"));
    EXPECT_FALSE(Matches("a{2,1}", "aaa"));
    EXPECT_TRUE(Matches("a{2,}", "aaaaa"));
    EXPECT_FALSE(Matches("a{2,}", "a"));
    EXPECT_TRUE(Matches("a{ 2 , 3 }", "aaa"));
    EXPECT_TRUE(Matches("a{1", "a"));  // unterminated brace runs to the end
    // At most three digits: {1000} is {100}.
    EXPECT_TRUE(Matches("a{1000}", std::string(100, 'a')));
    EXPECT_FALSE(Matches("a{1000}", std::string(1000, 'a')));
    EXPECT_TRUE(Matches("a{1,1000}", std::string(100, 'a')));
    EXPECT_FALSE(Matches("a{1,1000}", std::string(101, 'a')));
}

TEST(RegexSyntax, QuantifierBindsToLastCharacterOfRun) {
    EXPECT_TRUE(Matches("ab+", "abbb"));
    EXPECT_FALSE(Matches("ab+", "abab"));
    EXPECT_TRUE(Matches("ab{2}", "abb"));
    EXPECT_TRUE(Matches("a?", ""));
}

TEST(RegexSyntax, StrayQuantifierCharactersAreLiterals) {
    EXPECT_TRUE(Matches("*a", "*a"));
    EXPECT_TRUE(Matches("+", "+"));
    EXPECT_TRUE(Matches("?x", "?x"));
    EXPECT_TRUE(Matches("{1}", "{1}"));
    EXPECT_TRUE(Matches("}", "}"));
    EXPECT_TRUE(Matches("a|*", "*"));
    // Only one quantifier is read; the second '*' starts a new atom.
    EXPECT_TRUE(Matches("a**", "aa*"));
    EXPECT_TRUE(Matches("a**", "*"));
    EXPECT_FALSE(Matches("a**", "aa"));
}

TEST(RegexSyntax, UnbalancedGroupsAndBrackets) {
    EXPECT_TRUE(Matches("abc)def", "abc"));
    EXPECT_FALSE(Matches("abc)def", "abc)def"));
    EXPECT_TRUE(Matches(")", ""));
    EXPECT_TRUE(Matches("(abc", "abc"));
    EXPECT_EQ(Group("(abc", "abc", 1), "0,3");
    EXPECT_TRUE(Matches("(", ""));
    EXPECT_TRUE(Matches("[abc", "b"));
    EXPECT_FALSE(Matches("[", ""));
    EXPECT_FALSE(Matches("[", "["));
    EXPECT_TRUE(Matches("(?", ""));
    EXPECT_TRUE(Matches("(?:a", "a"));
    EXPECT_TRUE(Matches("(?<x", ""));
}

TEST(RegexSyntax, BracketExpressions) {
    EXPECT_TRUE(Matches("[a-c]+", "abcba"));
    EXPECT_FALSE(Matches("[a-c]", "d"));
    EXPECT_TRUE(Matches("[^a-c]", "d"));
    EXPECT_FALSE(Matches("[^a-c]", "b"));
    EXPECT_FALSE(Matches("[^a]", ""));
    // '-' at either end, or next to a class escape, is a member.
    EXPECT_TRUE(Matches("[a-]", "-"));
    EXPECT_TRUE(Matches("[a-]", "a"));
    EXPECT_TRUE(Matches("[-a]", "-"));
    EXPECT_TRUE(Matches("[\\d-z]", "5"));
    EXPECT_TRUE(Matches("[\\d-z]", "-"));
    EXPECT_TRUE(Matches("[\\d-z]", "z"));
    EXPECT_FALSE(Matches("[\\d-z]", "y"));
    // ']' right after '[' or '[^' closes the class.
    EXPECT_FALSE(Matches("[]a]", "a]"));
    EXPECT_FALSE(Matches("[]a]", "]a]"));
    EXPECT_TRUE(Matches("[^]a]", "xa]"));
    EXPECT_FALSE(Matches("[^]a]", "a]"));
    // A backslash before a digit is a member; \b inside is backspace.
    EXPECT_TRUE(Matches("[\\1]", "\\"));
    EXPECT_TRUE(Matches("[\\1]", "1"));
    EXPECT_FALSE(Matches("[\\1]", "2"));
    EXPECT_TRUE(Matches("[\\b]", "\b"));
    EXPECT_FALSE(Matches("[\\b]", "b"));
    EXPECT_TRUE(Matches("[\\]]", "]"));
    EXPECT_TRUE(Matches("[.*+?(){}|$]+", ".*+?(){}|$"));
    EXPECT_TRUE(Matches("[a\\sb]", " "));
    EXPECT_TRUE(Matches("[\\W]", "-"));
    EXPECT_FALSE(Matches("[\\W]", "a"));
}

TEST(RegexSyntax, RangesCompareSignedBytes) {
    EXPECT_TRUE(Matches("[\\x80-\\xff]", "\xe9"));
    EXPECT_FALSE(Matches("[\\x80-\\xff]", "a"));
    EXPECT_FALSE(Matches("[a-\\xff]", "b"));  // 97 to -1 is empty
    EXPECT_FALSE(Matches("[z-a]", "m"));
}

TEST(RegexSyntax, IgnoreCaseFoldsBracketExpressions) {
    EXPECT_TRUE(Matches("[b-y]", "B", RX_IGNORE_CASE));
    EXPECT_TRUE(Matches("[b-y]", "Y", RX_IGNORE_CASE));
    EXPECT_FALSE(Matches("[b-y]", "A", RX_IGNORE_CASE));
    EXPECT_FALSE(Matches("[b-y]", "B"));
    EXPECT_TRUE(Matches("[A-z]", "a", RX_IGNORE_CASE));
    EXPECT_TRUE(Matches("[A-z]", "[", RX_IGNORE_CASE));
    EXPECT_TRUE(Matches("[Q-c]+", "qrzabC", RX_IGNORE_CASE));
    EXPECT_TRUE(Matches("[x]", "X", RX_IGNORE_CASE));
    EXPECT_FALSE(Matches("[^x]", "X", RX_IGNORE_CASE));
    EXPECT_TRUE(Matches("abc", "aBC", RX_IGNORE_CASE));
    EXPECT_FALSE(Matches("\xe9", "\xc9", RX_IGNORE_CASE));
}

TEST(RegexSyntax, ClassShorthands) {
    EXPECT_TRUE(Matches("\\w+", "aZ0_"));
    EXPECT_FALSE(Matches("\\w", "-"));
    EXPECT_TRUE(Matches("\\W", "-"));
    EXPECT_TRUE(Matches("\\s+", " \t\r\n"));
    EXPECT_FALSE(Matches("\\s", "\f"));
    EXPECT_FALSE(Matches("\\s", "\v"));
    EXPECT_TRUE(Matches("\\S", "\f"));
    // The right-to-left forms also take form feed and vertical tab as space.
    EXPECT_TRUE(Matches("\\s", "\f", RX_RIGHT_TO_LEFT));
    EXPECT_FALSE(Matches("\\S", "\v", RX_RIGHT_TO_LEFT));
    EXPECT_TRUE(Matches("\\d+", "0189"));
    EXPECT_FALSE(Matches("\\d", "a"));
    EXPECT_TRUE(Matches("\\D", "a"));
    EXPECT_TRUE(Matches(".", "x"));
    EXPECT_FALSE(Matches(".", "\n"));
    EXPECT_TRUE(Matches(".", "\n", RX_SINGLE_LINE));
    EXPECT_TRUE(Matches(".", "\r"));
    EXPECT_TRUE(Matches(".", "\xff"));
}

TEST(RegexSyntax, PosixClasses) {
    EXPECT_TRUE(Matches("[[:alpha:]]+", "abcXYZ"));
    EXPECT_FALSE(Matches("[[:alpha:]]", "1"));
    EXPECT_TRUE(Matches("[[:^alpha:]]", "1"));
    EXPECT_TRUE(Matches("[:digit:]", "5"));  // a class on its own at top level
    EXPECT_TRUE(Matches("[[:digit:]x]+", "1x2"));
    EXPECT_TRUE(Matches("[[:xdigit:]]+", "09afAF"));
    EXPECT_FALSE(Matches("[[:xdigit:]]", "g"));
    EXPECT_TRUE(Matches("[[:punct:]]", "!"));
    EXPECT_FALSE(Matches("[[:punct:]]", "a"));
    EXPECT_TRUE(Matches("[[:space:]]", "\v"));
    EXPECT_TRUE(Matches("[[:blank:]]", "\t"));
    EXPECT_FALSE(Matches("[[:blank:]]", "\n"));
    EXPECT_TRUE(Matches("[[:cntrl:]]", "\x7f"));
    EXPECT_TRUE(Matches("[[:ascii:]]", "\x7f"));
    EXPECT_TRUE(Matches("[[:upper:]][[:lower:]]", "Ab"));
    EXPECT_TRUE(Matches("[[:graph:]][[:print:]]", "! "));
    EXPECT_TRUE(Matches("[[:alnum:]]+", "a1Z"));
    // Trailing text after a known name is ignored; an unknown name never matches.
    EXPECT_TRUE(Matches("[[:alpha:xyz]]", "q"));
    EXPECT_FALSE(Matches("[[:alphabet:]]", "q"));
    EXPECT_FALSE(Matches("[[:bogus:]]", "a"));
    EXPECT_FALSE(Matches("[[:bogus:]]", ""));
    // Bytes of 128 and above belong to no class.
    EXPECT_FALSE(Matches("[[:print:]]", "\xe9"));
    EXPECT_FALSE(Matches("[[:alpha:]]", "\xe9"));
    EXPECT_TRUE(Matches("[[:^alpha:]]", "\xe9"));
}

TEST(RegexSyntax, AnchorsWithoutMultiLine) {
    EXPECT_TRUE(Matches("^a$", "a"));
    EXPECT_FALSE(Matches("a$\n", "a\n"));
    EXPECT_FALSE(Matches("a\n^b", "a\nb"));
    EXPECT_TRUE(Matches("\\Aa\\z", "a"));
    EXPECT_TRUE(Matches("a\\Z", "a"));
    EXPECT_TRUE(Matches("a\\Z\n", "a\n"));
    EXPECT_TRUE(Matches("a\\Z\r\n", "a\r\n"));
    EXPECT_FALSE(Matches("a\\Z\nb", "a\nb"));
    EXPECT_FALSE(Matches("a\\z\n", "a\n"));
}

TEST(RegexSyntax, AnchorsUnderMultiLine) {
    EXPECT_TRUE(Matches("a\n^b", "a\nb", RX_MULTI_LINE));
    EXPECT_TRUE(Matches("a\r^b", "a\rb", RX_MULTI_LINE));
    EXPECT_FALSE(Matches("a\r^\nb", "a\r\nb", RX_MULTI_LINE));  // not between CR and LF
    EXPECT_TRUE(Matches("a\r\n^b", "a\r\nb", RX_MULTI_LINE));
    EXPECT_TRUE(Matches("a$\rb", "a\rb", RX_MULTI_LINE));
    EXPECT_TRUE(Matches("a$\nb", "a\nb", RX_MULTI_LINE));
    EXPECT_TRUE(Matches("a$\r\nb", "a\r\nb", RX_MULTI_LINE));
    EXPECT_FALSE(Matches("a\r$\nb", "a\r\nb", RX_MULTI_LINE));
    EXPECT_TRUE(Matches("(?m)a$\nb", "a\nb"));
    EXPECT_FALSE(Matches("a\\A\nb", "a\nb", RX_MULTI_LINE));
}

TEST(RegexSyntax, WordBoundaries) {
    EXPECT_TRUE(Matches("\\ba\\b", "a"));
    EXPECT_TRUE(Matches("a\\b-", "a-"));
    EXPECT_FALSE(Matches("a\\bb", "ab"));
    EXPECT_TRUE(Matches("a\\Bb", "ab"));
    EXPECT_FALSE(Matches("a\\B-", "a-"));
    EXPECT_TRUE(Matches("\\B", ""));
}

TEST(RegexSyntax, GlobalAnchorNeedsTheFlag) {
    EXPECT_TRUE(Matches("a\\Gb", "ab"));  // without RX_GLOBAL it matches the empty string
    EXPECT_FALSE(Matches("a\\Gb", "ab", RX_GLOBAL));
    EXPECT_TRUE(Matches("\\Gab", "ab", RX_GLOBAL));
    EXPECT_TRUE(Matches("[a\\Gb]+", "ab"));  // skipped inside a bracket expression
}

TEST(RegexSyntax, InlineModifiers) {
    EXPECT_TRUE(Matches("(?i)ab|cd", "AB"));
    EXPECT_TRUE(Matches("(?i)ab|cd", "CD"));  // later alternatives too
    EXPECT_TRUE(Matches("x(?i:a)b", "xAb"));
    EXPECT_FALSE(Matches("x(?i:a)b", "xAB"));
    EXPECT_TRUE(Matches("(?i)a(?-i)b", "Ab"));
    EXPECT_FALSE(Matches("(?i)a(?-i)b", "AB"));
    EXPECT_TRUE(Matches("(a(?i)b)c", "aBc"));  // scoped to its own group
    EXPECT_FALSE(Matches("(a(?i)b)c", "aBC"));
    EXPECT_TRUE(Matches("(?s).", "\n"));
    EXPECT_TRUE(Matches("(?s-s).", "x"));
    EXPECT_FALSE(Matches("(?s-s).", "\n"));
    EXPECT_TRUE(Matches("(?I:A)", "a"));
    EXPECT_TRUE(Matches("(?xq)a b", "a b"));  // unknown letters ignored; no extended mode inline
    EXPECT_TRUE(Matches("(?i(a))b", "Ab"));
    EXPECT_FALSE(Matches("(?i(a))b", "AB"));
    EXPECT_TRUE(Matches("(?i)", ""));
}

TEST(RegexSyntax, CapturingGroupsAreNumberedInOrder) {
    CRegexPattern re("(a)((b)c)");
    EXPECT_EQ(re.GetMaxGroupNumber(), 3);
    const CRegexMatch m = re.Match("abc");
    ASSERT_TRUE(m.Succeeded());
    EXPECT_EQ(m.GetGroupStart(1), 0);
    EXPECT_EQ(m.GetGroupEnd(2), 3);
    EXPECT_EQ(m.GetGroupStart(3), 1);
    EXPECT_EQ(CRegexPattern("(?:a)(?=b)b").GetMaxGroupNumber(), 0);
}

TEST(RegexSyntax, NamedGroupsShareNumbersByNameIgnoringCase) {
    CRegexPattern re("(?<n>a)(?<N>b)\\k<n>");
    EXPECT_EQ(re.GetMaxGroupNumber(), 1);
    EXPECT_EQ(re.GetNamedGroupNumber("n"), 1);
    EXPECT_EQ(re.GetNamedGroupNumber("N"), 1);
    EXPECT_EQ(re.GetNamedGroupNumber("x"), -3);
    EXPECT_TRUE(re.Match("abb").Succeeded());  // the group that matched last
    EXPECT_FALSE(re.Match("aba").Succeeded());
}

TEST(RegexSyntax, NamedGroupsAreNumberedAfterPlainGroups) {
    CRegexPattern re("(?<x>a)(b)(?'y'c)(?P<z>d)");
    EXPECT_EQ(re.GetMaxGroupNumber(), 4);
    EXPECT_EQ(re.GetNamedGroupNumber("x"), 2);
    EXPECT_EQ(re.GetNamedGroupNumber("y"), 3);
    EXPECT_EQ(re.GetNamedGroupNumber("z"), 4);
    EXPECT_EQ(Group("(?<x>a)(b)(?'y'c)(?P<z>d)", "abcd", 1), "1,2");
    EXPECT_EQ(Group("(?<x>a)(b)(?'y'c)(?P<z>d)", "abcd", 2), "0,1");
    EXPECT_TRUE(Matches("(?'x'a)\\k'x'", "aa"));
    EXPECT_TRUE(Matches("(?P<x>a)\\k<x>", "aa"));
    EXPECT_TRUE(Matches("(?<x>a)\\g<X>", "aa"));
}

TEST(RegexSyntax, NumericNamesAreNumbers) {
    CRegexPattern re("(?<3>a)\\3");
    EXPECT_EQ(re.GetMaxGroupNumber(), 3);
    const CRegexMatch m = re.Match("aa");
    ASSERT_TRUE(m.Succeeded());
    EXPECT_EQ(m.GetGroupStart(3), 0);
    EXPECT_EQ(m.GetGroupStart(1), -1);
    EXPECT_TRUE(Matches("(a)\\k< 1 >", "aa"));
    EXPECT_TRUE(Matches("(?<x>a)(?<2>b)(?<y>c)", "abc"));
    EXPECT_EQ(CRegexPattern("(?<x>a)(?<5>b)").GetNamedGroupNumber("x"), 1);
}

TEST(RegexSyntax, BackReferenceNumbers) {
    EXPECT_TRUE(Matches("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)\\12", "abcdefghijkll"));
    std::string many;
    std::string text;
    for (int i = 0; i < 123; i++) {
        many += "(x)";
        text += "x";
    }
    // Three digits at most: \1234 is group 123 followed by "4".
    EXPECT_TRUE(Matches(many + "\\1234", text + "x4"));
    EXPECT_FALSE(Matches(many + "\\1234", text + "x"));
    EXPECT_FALSE(Matches("(a)\\k<zz>", "a"));  // unknown name never matches
    EXPECT_FALSE(Matches("(a)\\2", "a"));      // no such group
    EXPECT_TRUE(Matches("a\\k", "aa"));        // no number: group 0, the text so far
}

TEST(RegexSyntax, ConditionalGroups) {
    EXPECT_TRUE(Matches("(?(2)a|b)", "b"));
    EXPECT_FALSE(Matches("(?(2)a|b)", "a"));
    EXPECT_TRUE(Matches("(a)?(?(1)b|c)", "ab"));
    EXPECT_TRUE(Matches("(a)?(?(1)b|c)", "c"));
    EXPECT_FALSE(Matches("(a)?(?(1)b|c)", "ac"));
    EXPECT_FALSE(Matches("(a)?(?(1)b|c)", "b"));
    // A name that is no group is tested as lookahead text.
    EXPECT_TRUE(Matches("(?(x)xy|z)", "xy"));
    EXPECT_TRUE(Matches("(?(x)xy|z)", "z"));
    EXPECT_FALSE(Matches("(?(x)xy|z)", "y"));
    EXPECT_TRUE(Matches("(?<x>a)?(?(x)b|c)", "ab"));
    EXPECT_TRUE(Matches("(?<x>a)?(?(x)b|c)", "c"));
    EXPECT_FALSE(Matches("(?<x>a)?(?(x)b|c)", "ac"));
    EXPECT_TRUE(Matches("(?(?=a)ab|cd)", "ab"));
    EXPECT_TRUE(Matches("(?(?=a)ab|cd)", "cd"));
    EXPECT_FALSE(Matches("(?(?!a)ab|cd)", "ab"));
    EXPECT_TRUE(Matches("(?(1)a|b|c)", "c"));  // further '|' belong to the no branch
    EXPECT_TRUE(Matches("(?(1)a)", ""));       // no no-branch: succeeds empty
    EXPECT_FALSE(Matches("(?(1)a)", "a"));
}

TEST(RegexSyntax, RecursionSyntax) {
    EXPECT_TRUE(Matches("a(?R)?b", "aabb"));
    EXPECT_TRUE(Matches("a(?R)?b", "ab"));
    EXPECT_FALSE(Matches("a(?R)?b", "aab"));
    EXPECT_TRUE(Matches("a(?0)?b", "aabb"));
    EXPECT_TRUE(Matches("(a)(?1)", "aa"));
    EXPECT_FALSE(Matches("(a)(?1)", "ab"));
    EXPECT_TRUE(Matches("(a)(? 1 )", "aa"));
    EXPECT_TRUE(Matches("(?<x>a)(?R<x>)", "aa"));
    EXPECT_TRUE(Matches("(?<x>a)(?R'X')", "aa"));
    EXPECT_TRUE(Matches("(a)(?R<1>)", "aa"));
    // Recursion to a group that does not exist matches the empty string.
    EXPECT_TRUE(Matches("a(?5)b", "ab"));
    EXPECT_TRUE(Matches("a(?R<nope>)b", "ab"));
}

TEST(RegexSyntax, LookaroundAndAtomicSyntax) {
    EXPECT_TRUE(Matches("(?=a)a", "a"));
    EXPECT_FALSE(Matches("(?!a)a", "a"));
    EXPECT_TRUE(Matches("a(?<=a)b", "ab"));
    EXPECT_FALSE(Matches("a(?<!a)b", "ab"));
    EXPECT_TRUE(Matches("ab(?<=(?=b)b)", "ab"));  // lookahead inside lookbehind
    EXPECT_FALSE(Matches("(?>a*)a", "aa"));
}
