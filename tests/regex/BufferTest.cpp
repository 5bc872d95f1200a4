#include <gtest/gtest.h>

#include <cstdlib>

#include "core/regex/Buffer.h"

TEST(RegexBuffer, ViewReadsDefaultBeyondItsCount) {
    const CBufferRefT<char> v("abc");
    EXPECT_EQ(v.GetSize(), 3);
    EXPECT_EQ(v[0], 'a');
    EXPECT_EQ(v[3], 0);
    EXPECT_EQ(v.At(7, 'z'), 'z');
    EXPECT_EQ(v.At(-1, 'z'), 'z');
    EXPECT_EQ(CBufferRefT<char>(static_cast<const char*>(nullptr)).GetSize(), 0);
}

TEST(RegexBuffer, ViewComparesExactlyAndIgnoringAsciiCase) {
    const CBufferRefT<char> v("aB_9");
    EXPECT_EQ(v.nCompare("aB_9"), 0);
    EXPECT_NE(v.nCompare("ab_9"), 0);
    EXPECT_EQ(v.nCompareNoCase("Ab_9"), 0);
    EXPECT_NE(v.nCompareNoCase("Ab-9"), 0);
    // Only ASCII letters fold.
    EXPECT_NE(CBufferRefT<char>("\xe9").nCompareNoCase("\xc9"), 0);
}

TEST(RegexBuffer, PushDoublesFromEight) {
    CBufferT<int> b;
    b.Push(1);
    EXPECT_EQ(b.GetCapacity(), 8);
    for (int i = 2; i <= 8; i++) {
        b.Push(i);
    }
    EXPECT_EQ(b.GetCapacity(), 8);
    b.Push(9);
    EXPECT_EQ(b.GetCapacity(), 16);
    for (int i = 10; i <= 17; i++) {
        b.Push(i);
    }
    EXPECT_EQ(b.GetCapacity(), 32);
    int v = 0;
    EXPECT_TRUE(b.Pop(v));
    EXPECT_EQ(v, 17);
    EXPECT_EQ(b.GetSize(), 16);
}

TEST(RegexBuffer, PopOnEmptyReportsNothing) {
    CBufferT<int> b;
    int v = 42;
    EXPECT_FALSE(b.Pop(v));
    EXPECT_EQ(v, 42);
    EXPECT_EQ(b.Pop(), 0);
}

TEST(RegexBuffer, AppendGrowthRules) {
    // At least 8.
    CBufferT<int> a;
    const int data[40] = {};
    a.Append(data, 3);
    EXPECT_EQ(a.GetCapacity(), 8);
    // Too small: doubles once.
    a.Append(data, 10);
    EXPECT_EQ(a.GetCapacity(), 16);
    // Still too small after doubling: needed + 11 rounded down to a multiple of 8.
    a.Append(data, 30);  // needs 43: 32 < 43, so (43 + 11) / 8 * 8 = 48
    EXPECT_EQ(a.GetCapacity(), 48);
    EXPECT_EQ(a.GetSize(), 43);
}

TEST(RegexBuffer, CharAppendKeepsTerminatorAndCountsIt) {
    CBufferT<char> s;
    s.Append("abcdefg", 7);  // 7 + NUL fits in 8
    EXPECT_EQ(s.GetCapacity(), 8);
    EXPECT_STREQ(s.GetData(), "abcdefg");
    s.Append('h');  // 9 needed: doubles to 16
    EXPECT_EQ(s.GetCapacity(), 16);
    EXPECT_STREQ(s.GetData(), "abcdefgh");
    s.Restore(3);
    EXPECT_STREQ(s.GetData(), "abc");
}

TEST(RegexBuffer, PrepareFillsNewElements) {
    CBufferT<int> b;
    b.Prepare(4, -1);
    ASSERT_EQ(b.GetSize(), 5);
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(b[i], -1);
    }
    b[2] = 7;
    b.Prepare(2, 0);  // never shrinks or refills
    EXPECT_EQ(b.GetSize(), 5);
    EXPECT_EQ(b[2], 7);
    b.Prepare(9, 3);
    EXPECT_EQ(b[9], 3);
    EXPECT_EQ(b[4], -1);
}

TEST(RegexBuffer, DetachHandsOverStorage) {
    CBufferT<int> b;
    b.Push(5);
    int* p = b.Detach();
    EXPECT_EQ(b.GetSize(), 0);
    EXPECT_EQ(b.GetCapacity(), 0);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[0], 5);
    std::free(p);
    b.Push(6);  // usable again
    EXPECT_EQ(b[0], 6);
}

TEST(RegexBuffer, CopiesAreIndependent) {
    CBufferT<char> a("xyz", 3);
    CBufferT<char> b = a;
    b[0] = 'q';
    EXPECT_STREQ(a.GetData(), "xyz");
    EXPECT_STREQ(b.GetData(), "qyz");
    CBufferT<char> c = std::move(b);
    EXPECT_STREQ(c.GetData(), "qyz");
}
