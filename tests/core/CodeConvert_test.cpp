// UTF-8, UTF-16 and the local code page.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/CodeConvert.h"

namespace {

TEST(CodeConvertTest, SingleCodes) {
    struct Case {
        int code;
        std::string bytes;
    };
    const Case cases[] = {
        {0x41, "A"},
        {0xE9, "\xC3\xA9"},
        {0x20AC, "\xE2\x82\xAC"},
        {0x1F600, "\xF0\x9F\x98\x80"},
        {0x200000, "\xF8\x88\x80\x80\x80"},
        {0x7FFFFFFF, "\xFD\xBF\xBF\xBF\xBF\xBF"},
    };
    for (const Case& c : cases) {
        char out[8] = {};
        char* end = CCodeConvert::UnicodeToUTF8Char(c.code, out);
        EXPECT_EQ(std::string(out, end), c.bytes) << c.code;
        int code = -1;
        EXPECT_EQ(CCodeConvert::UTF8ToUnicodeChar(c.bytes.c_str(), &code), static_cast<int>(c.bytes.size()));
        EXPECT_EQ(code, c.code);
    }
    EXPECT_EQ(CCodeConvert::UnicodeToUTF8Char(0x41, nullptr), nullptr);
    int code = 0;
    EXPECT_EQ(CCodeConvert::UTF8ToUnicodeChar(nullptr, &code), 0);
    // A stray continuation byte is its own value; a sequence cut by the end of the text stops there.
    EXPECT_EQ(CCodeConvert::UTF8ToUnicodeChar("\x80", &code), 1);
    EXPECT_EQ(code, 0x80);
    EXPECT_EQ(CCodeConvert::UTF8ToUnicodeChar("\xE2\x82", &code), 2);
    EXPECT_EQ(code, 0xFFFD);
}

TEST(CodeConvertTest, BufferLimitsKeepWholeSequencesAndTheTerminator) {
    char out[8];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(CCodeConvert::AnsiToUTF8("abcde", out, 4), 1);
    EXPECT_STREQ(out, "abc");
    EXPECT_EQ(out[4], 'x');

    std::memset(out, 'x', sizeof out);
    CCodeConvert::AnsiToUTF8("a\xE2\x82\xAC", out, 4);  // the euro sign needs 3 more bytes: cut before it
    EXPECT_STREQ(out, "a");
    CCodeConvert::AnsiToUTF8("a\xE2\x82\xAC", out, 5);
    EXPECT_STREQ(out, "a\xE2\x82\xAC");

    char16_t wide[4];
    CCodeConvert::UTF8ToUnicode("abcdef", wide, 4);
    EXPECT_EQ(std::u16string(wide), u"abc");
    CCodeConvert::UTF8ToUnicode("ab\xF0\x9F\x98\x80", wide, 4);  // a pair needs two units: cut before it
    EXPECT_EQ(std::u16string(wide), u"ab");
}

TEST(CodeConvertTest, LongTextsRoundTripWithoutLimit) {
    std::string text;
    for (int i = 0; i < 1000; ++i) {
        text += "Vlan-\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80-";  // ASCII, 2, 3 and 4 byte sequences
    }
    std::vector<char> buffer(text.size() + 1, 0);
    EXPECT_EQ(CCodeConvert::AnsiToUTF8(text, buffer.data(), static_cast<int>(buffer.size())), 1);
    EXPECT_EQ(std::string(buffer.data()), text);

    std::string back;
    EXPECT_TRUE(CCodeConvert::UTF8ToAnsi(buffer.data(), &back));
    EXPECT_EQ(back, text);

    std::u16string wide = CCodeConvert::UTF8ToUTF16(text);
    EXPECT_EQ(wide.size(), 1000u * 10);
    EXPECT_EQ(wide.substr(0, 10), u"Vlan-\u00E9\u20AC\U0001F600-");
    EXPECT_EQ(CCodeConvert::UTF16ToUTF8(wide), text);

    // A 128-byte name buffer as the VLAN dialog uses: cut, never overrun.
    char name[128];
    std::memset(name, 0, sizeof name);
    CCodeConvert::AnsiToUTF8(text, name, sizeof name);
    EXPECT_LT(std::strlen(name), sizeof name);
    EXPECT_EQ(text.compare(0, std::strlen(name), name), 0);
}

TEST(CodeConvertTest, MalformedInputBecomesReplacementCharacters) {
    char out[32];
    CCodeConvert::AnsiToUTF8(
        "a\xFF"
        "b\xC3",
        out, sizeof out);
    EXPECT_STREQ(out,
                 "a\xEF\xBF\xBD"
                 "b\xEF\xBF\xBD");
    std::string back;
    EXPECT_TRUE(CCodeConvert::UTF8ToAnsi(std::string("\xED\xA0\x80x"), &back));  // a lone surrogate
    EXPECT_EQ(back, "\xEF\xBF\xBDx");
    EXPECT_FALSE(CCodeConvert::UTF8ToAnsi("", &back));
    EXPECT_EQ(back, "");
    back = "keep";
    EXPECT_FALSE(CCodeConvert::UTF8ToAnsi(static_cast<const char*>(nullptr), &back));
    EXPECT_EQ(back, "");
    CCodeConvert onStack;  // created on the stack by its users
    EXPECT_TRUE(onStack.UTF8ToAnsi("x", &back));
}

}  // namespace
