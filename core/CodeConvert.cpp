// Text encodings.
#include "core/CodeConvert.h"

#include <string>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(char32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// Number of UTF-8 bytes UnicodeToUTF8Char writes for a code.
int EncodedLength(unsigned code) {
    if (code < 0x80) {
        return 1;
    }
    if (code < 0x800) {
        return 2;
    }
    if (code <= 0xFFFF) {
        return 3;
    }
    if (code <= 0x1FFFFF) {
        return 4;
    }
    if (code <= 0x3FFFFFF) {
        return 5;
    }
    return 6;
}

// Decodes the local code page (UTF-8) strictly: every malformed byte becomes U+FFFD.
std::u16string LocalToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        char32_t code = kReplacement;
        size_t length = 1;
        if (lead < 0x80) {
            code = lead;
        } else {
            int extra = lead >= 0xC2 && lead <= 0xDF   ? 1
                        : lead >= 0xE0 && lead <= 0xEF ? 2
                        : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                       : 0;
            if (extra > 0 && i + static_cast<size_t>(extra) < text.size()) {
                char32_t c = lead & (0x3F >> extra);
                bool ok = true;
                for (int k = 1; k <= extra; ++k) {
                    unsigned char b = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
                    if ((b & 0xC0) != 0x80) {
                        ok = false;
                        break;
                    }
                    c = (c << 6) | (b & 0x3F);
                }
                bool shortest = (extra == 2 && c >= 0x800) || (extra == 3 && c >= 0x10000) || extra == 1;
                if (ok && shortest && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF)) {
                    code = c;
                    length = static_cast<size_t>(extra) + 1;
                }
            }
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += length;
    }
    return out;
}

// Encodes UTF-16 in the local code page (UTF-8); a lone surrogate becomes U+FFFD.
std::string Utf16ToLocal(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    char buf[8];
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t u = text[i];
        if (IsHighSurrogate(u) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            u = 0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
            u = kReplacement;
        }
        char* end = CCodeConvert::UnicodeToUTF8Char(static_cast<int>(u), buf);
        out.append(buf, end);
    }
    return out;
}

}  // namespace

CCodeConvert::~CCodeConvert() = default;

char* CCodeConvert::UnicodeToUTF8Char(int code, char* out) {
    if (out == nullptr) {
        return nullptr;
    }
    unsigned c = static_cast<unsigned>(code);
    int length = EncodedLength(c);
    if (length == 1) {
        *out++ = static_cast<char>(c);
        return out;
    }
    static const unsigned char kLead[7] = {0, 0, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC};
    unsigned payloadBits = 6 * static_cast<unsigned>(length - 1);
    unsigned leadBits = (length == 6) ? ((c >> 30) & 0x01) : (c >> payloadBits);
    *out++ = static_cast<char>(kLead[length] | leadBits);
    for (int k = length - 2; k >= 0; --k) {
        *out++ = static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
    }
    return out;
}

int CCodeConvert::UTF8ToUnicodeChar(const char* in, int* code) {
    if (in == nullptr || code == nullptr) {
        return 0;
    }
    unsigned char lead = static_cast<unsigned char>(in[0]);
    int length;
    unsigned value;
    if (lead > 251) {
        length = 6;
        value = lead & 0x01;
    } else if (lead > 247) {
        length = 5;
        value = lead & 0x03;
    } else if (lead >= 240) {
        length = 4;
        value = lead & 0x07;
    } else if (lead >= 224) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead < 192) {
        *code = lead;
        return 1;
    } else {
        length = 2;
        value = lead & 0x1F;
    }
    for (int k = 1; k < length; ++k) {
        unsigned char b = static_cast<unsigned char>(in[k]);
        if (b == 0) {
            *code = static_cast<int>(kReplacement);  // cut short by the end of the text
            return k;
        }
        value = (value << 6) | (b & 0x3F);
    }
    *code = static_cast<int>(value);
    return length;
}

char* CCodeConvert::UnicodeToUTF8(const char16_t* text, char* out, unsigned size) {
    if (out == nullptr) {
        return nullptr;
    }
    if (size == 0) {
        return out;
    }
    *out = '\0';
    if (text == nullptr) {
        return out;
    }
    unsigned written = 0;
    char* end = out;
    for (size_t i = 0; text[i] != 0; ++i) {
        unsigned code = text[i];
        size_t units = 1;
        if (IsHighSurrogate(code) && IsLowSurrogate(text[i + 1])) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            units = 2;
        }
        unsigned length = static_cast<unsigned>(EncodedLength(code));
        if (written + length >= size) {
            break;
        }
        end = UnicodeToUTF8Char(static_cast<int>(code), end);
        written += length;
        *end = '\0';
        i += units - 1;
    }
    return end;
}

int CCodeConvert::UTF8ToUnicode(const char* text, char16_t* out, int count) {
    if (text == nullptr || out == nullptr || count <= 0) {
        return 0;
    }
    out[0] = 0;
    int stored = 0;
    const char* p = text;
    while (*p != '\0') {
        int code = 0;
        int read = UTF8ToUnicodeChar(p, &code);
        unsigned c = static_cast<unsigned>(code);
        if (c > 0x10FFFF) {
            c = kReplacement;
        }
        int units = c >= 0x10000 ? 2 : 1;
        if (stored + units >= count) {
            break;
        }
        if (units == 2) {
            c -= 0x10000;
            out[stored++] = static_cast<char16_t>(0xD800 + (c >> 10));
            out[stored++] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out[stored++] = static_cast<char16_t>(c);
        }
        out[stored] = 0;
        p += read;
    }
    return 0;
}

int CCodeConvert::AnsiToUTF8(const std::string& text, char* out, int size) {
    if (out == nullptr || size <= 0) {
        return 1;
    }
    std::u16string wide = LocalToUtf16(text);
    UnicodeToUTF8(wide.c_str(), out, static_cast<unsigned>(size));
    return 1;
}

bool CCodeConvert::UTF8ToAnsi(const char* text, std::string* out) {
    if (text == nullptr || *text == '\0') {
        if (out != nullptr) {
            out->clear();
        }
        return false;
    }
    if (out != nullptr) {
        *out = Utf16ToLocal(UTF8ToUTF16(text));
    }
    return true;
}

bool CCodeConvert::UTF8ToAnsi(const std::string& text, std::string* out) {
    return UTF8ToAnsi(text.c_str(), out);
}

std::u16string CCodeConvert::UTF8ToUTF16(std::string_view text) {
    // Decoded sequence by sequence up to the first zero byte, like UTF8ToUnicode without its limit.
    std::string copy(text.substr(0, text.find('\0')));
    std::u16string out(copy.size() + 1, u'\0');
    UTF8ToUnicode(copy.c_str(), out.data(), static_cast<int>(out.size()));
    out.resize(std::char_traits<char16_t>::length(out.c_str()));
    return out;
}

std::string CCodeConvert::UTF16ToUTF8(std::u16string_view text) {
    std::u16string copy(text.substr(0, text.find(u'\0')));
    std::string out(copy.size() * 3 + 1, '\0');
    char* end = UnicodeToUTF8(copy.c_str(), out.data(), static_cast<unsigned>(out.size()));
    out.resize(static_cast<size_t>(end - out.data()));
    return out;
}
