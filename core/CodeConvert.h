// Text encodings around the SNMP values that carry names: UTF-8 (sequences of one to six bytes) and
// UTF-16 (16-bit units), and the local code page, which is UTF-8 on this platform. No data: create it
// on the stack, or call the operations directly.
#pragma once

#include <string>
#include <string_view>

class CCodeConvert {
public:
    CCodeConvert() = default;
    virtual ~CCodeConvert();

    // One code as UTF-8 into out (at least 6 bytes); returns the end of the written bytes, null when
    // out is null.
    static char* UnicodeToUTF8Char(int code, char* out);
    // One UTF-8 sequence; returns the bytes read (0 for null pointers). A sequence cut short by the
    // terminating zero reads the bytes before it and gives U+FFFD.
    static int UTF8ToUnicodeChar(const char* in, int* code);
    // A zero-terminated UTF-16 text as UTF-8 into out: whole sequences only while the bytes written stay
    // below size, so out always stays zero-terminated. A surrogate pair becomes one four-byte sequence.
    // Returns the end of the written text.
    static char* UnicodeToUTF8(const char16_t* text, char* out, unsigned size);
    // A zero-terminated UTF-8 text as UTF-16 into out, while the units stay below count (room for the
    // terminating zero). Codes above U+FFFF become surrogate pairs (above U+10FFFF: U+FFFD). Returns 0.
    static int UTF8ToUnicode(const char* text, char16_t* out, int count);

    // A local-code-page text as UTF-8 in the caller's buffer of `size` bytes, whole sequences only and
    // zero-terminated; any length of text. Returns 1.
    static int AnsiToUTF8(const std::string& text, char* out, int size);
    // UTF-8 bytes read from the device as a local-code-page text; false (and "") for a null or empty text.
    static bool UTF8ToAnsi(const char* text, std::string* out);
    static bool UTF8ToAnsi(const std::string& text, std::string* out);

    // Whole-text forms of the two conversions above, without any length limit.
    static std::u16string UTF8ToUTF16(std::string_view text);
    static std::string UTF16ToUTF8(std::u16string_view text);
};
