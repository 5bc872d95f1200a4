#include "core/regex/RegexPattern.h"

#include <climits>
#include <utility>

#include "core/regex/RegexNodes.h"

namespace {

constexpr int kInfinite = INT_MAX;

bool IsEndToken(const RxToken& t) {
    return t.ch == 0 && t.meta == 1;
}
bool IsMeta(const RxToken& t, char c) {
    return t.meta == 1 && t.ch == c;
}
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}
char ToLower(char c) {
    return CBufferRefT<char>::Lower(c);
}
char ToUpper(char c) {
    return CBufferRefT<char>::Upper(c);
}

// Skips white space, reads at most three digits, skips white space again. Further digits are left
// unread, so "1000" reads as 100 and stops before the last 0.
int ReadDecimal(const CBufferRefT<char>& s, int& pos, int& value) {
    while (IsSpace(s.At(pos)) && pos < s.GetSize()) {
        pos++;
    }
    int digits = 0;
    value = 0;
    while (digits < 3 && pos < s.GetSize() && IsDigit(s.At(pos))) {
        value = value * 10 + (s.At(pos) - '0');
        pos++;
        digits++;
    }
    if (digits == 0) {
        return 0;
    }
    while (pos < s.GetSize() && IsSpace(s.At(pos))) {
        pos++;
    }
    return 1;
}

// The whole text is a decimal number (white space allowed around it).
int ReadWholeDecimal(const CBufferRefT<char>& s, int& value) {
    int pos = 0;
    return ReadDecimal(s, pos, value) && pos == s.GetSize();
}

// ASCII character classes of [:name:].
int PosixAlnum(int c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
int PosixAlpha(int c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
int PosixAscii(int c) {
    return c >= 0 && c <= 127;
}
int PosixCntrl(int c) {
    return (c >= 0 && c <= 31) || c == 127;
}
int PosixDigit(int c) {
    return c >= '0' && c <= '9';
}
int PosixGraph(int c) {
    return c >= 33 && c <= 126;
}
int PosixLower(int c) {
    return c >= 'a' && c <= 'z';
}
int PosixPrint(int c) {
    return c >= 32 && c <= 126;
}
int PosixPunct(int c) {
    return PosixGraph(c) && !PosixAlnum(c);
}
int PosixSpace(int c) {
    return (c >= 9 && c <= 13) || c == 32;
}
int PosixUpper(int c) {
    return c >= 'A' && c <= 'Z';
}
int PosixXdigit(int c) {
    return HexValue(static_cast<char>(c)) >= 0 && c < 128;
}
int PosixBlank(int c) {
    return c == ' ' || c == '\t';
}

struct PosixName {
    const char* name;
    int (*test)(int);
};
const PosixName kPosixNames[] = {
    {"alnum:", PosixAlnum}, {"alpha:", PosixAlpha}, {"ascii:", PosixAscii}, {"cntrl:", PosixCntrl},
    {"digit:", PosixDigit}, {"graph:", PosixGraph}, {"lower:", PosixLower}, {"print:", PosixPrint},
    {"punct:", PosixPunct}, {"space:", PosixSpace}, {"upper:", PosixUpper}, {"xdigit:", PosixXdigit},
    {"blank:", PosixBlank},
};

// The start and end brackets of a group's list: [bracket, contents, bracket] in either order.
CBracketElx* GroupBracket(const CListElx* group, int bRight) {
    auto* first = static_cast<CBracketElx*>(group->m_elxlist[0]);
    auto* last = static_cast<CBracketElx*>(group->m_elxlist[group->m_elxlist.GetSize() - 1]);
    return first->m_bRight == bRight ? first : last;
}

}  // namespace

// ---- Lifetime -----------------------------------------------------------------------------------

CRegexPattern::CRegexPattern(const char* pattern, int flags) {
    Compile(pattern, flags);
}

CRegexPattern::~CRegexPattern() {
    Clear();
}

void CRegexPattern::Compile(const char* pattern, int flags) {
    Compile(pattern, CBufferRefT<char>(pattern).GetSize(), flags);
}

void CRegexPattern::Compile(const char* pattern, int length, int flags) {
    Clear();
    m_nFlags = flags;
    if (pattern == nullptr) {
        return;
    }
    m_pattern = CBufferRefT<char>(pattern, length);
    ParsePattern(flags);
    m_pattern = CBufferRefT<char>();
}

void CRegexPattern::Clear() {
    for (int i = 0; i < m_objlist.GetSize(); i++) {
        delete m_objlist[i];
    }
    m_objlist.Restore(0);
    m_pTopElx = nullptr;
    m_nMaxNumber = 0;
    m_nGroupCount = 0;
    m_grouplist.Restore(0);
    m_recursivelist.Restore(0);
    m_namedlist.Restore(0);
    m_namedbackreflist.Restore(0);
    m_namedconditionlist.Restore(0);
    for (auto& p : m_pStockElxs) {
        p = nullptr;
    }
}

template <class N>
N* CRegexPattern::Add(N* node) {
    m_objlist.Push(node);
    return node;
}

ElxInterface* CRegexPattern::GetShared(int kind) {
    if (kind < 0 || kind >= kSharedKinds) {
        kind = 0;
    }
    if (m_pStockElxs[kind] != nullptr) {
        return m_pStockElxs[kind];
    }
    ElxInterface* node = nullptr;
    if (kind == 0) {
        node = Add(new CEmptyElx());
    } else {
        const int rtl = kind > 8;
        const int base = rtl ? kind - 8 : kind;
        const int positive = base == 3 || base == 5 || base == 7;
        auto* r = Add(new CRangeElx(rtl, positive));
        switch (base) {
            case 1:  // any character
                break;
            case 2:  // any but LF
                r->AddChar('\n');
                break;
            case 3:
            case 4:
                r->AddRange('A', 'Z');
                r->AddRange('a', 'z');
                r->AddRange('0', '9');
                r->AddChar('_');
                break;
            case 5:
            case 6:
                r->AddChar(' ');
                r->AddChar('\t');
                r->AddChar('\r');
                r->AddChar('\n');
                if (rtl) {
                    r->AddChar('\f');
                    r->AddChar('\v');
                }
                break;
            default:  // 7, 8
                r->AddRange('0', '9');
                break;
        }
        node = r;
    }
    m_pStockElxs[kind] = node;
    return node;
}

// ---- Scanner ------------------------------------------------------------------------------------

int CRegexPattern::ScanToken(RxToken& tok) {
    const int size = m_pattern.GetSize();
    const int i = m_nNextPos;
    auto emit = [&](char ch, int meta, int len) {
        tok.ch = ch;
        tok.meta = meta;
        tok.pos = i;
        tok.len = len;
        m_nNextPos = i + len;
        m_prev2 = m_prev1;
        m_prev1 = tok;
        return 1;
    };
    auto skip = [&](int to) {
        m_nNextPos = to < size ? to : size;
        return 0;
    };
    if (i >= size) {
        tok = RxToken{0, 1, size, 0};
        return 1;
    }
    const char c = m_pattern[i];
    const int inside = m_nCharsetDepth > 0;
    auto at = [&](int k) -> char { return k < size ? m_pattern[k] : 0; };

    if (m_bQuoted) {
        if (c == '\\' && i + 1 < size && at(i + 1) == 'E') {
            m_bQuoted = 0;
            m_quote_fun = nullptr;
            return skip(i + 2);
        }
        return emit(m_quote_fun != nullptr ? m_quote_fun(c) : c, 0, 1);
    }

    switch (c) {
        case '\t':
        case '\n':
        case '\v':
        case '\f':
        case '\r':
        case ' ':
            if (m_nFlags & RX_EXTENDED) {
                return skip(i + 1);
            }
            return emit(c, 0, 1);
        case '#':
            if (m_nFlags & RX_EXTENDED) {
                int j = i;
                while (j < size && m_pattern[j] != '\n' && m_pattern[j] != '\r') {
                    j++;
                }
                return skip(j);
            }
            return emit(c, 0, 1);
        case '$':
        case ')':
        case '*':
        case '+':
        case '.':
        case '?':
        case '{':
        case '|':
        case '}':
            return emit(c, inside ? 0 : 1, 1);
        case '(':
            if (i + 2 < size && at(i + 1) == '?' && at(i + 2) == '#') {
                int j = i + 3;
                while (j < size && m_pattern[j] != ')') {
                    j++;
                }
                return skip(j + 1);
            }
            return emit(c, inside ? 0 : 1, 1);
        case '-':
            return emit(c, inside, 1);
        case ':':
            return emit(c, IsMeta(m_prev1, '[') ? 1 : 0, 1);
        case '[':
            if (!inside || (i + 1 < size && at(i + 1) == ':')) {
                m_nCharsetDepth++;
                return emit(c, 1, 1);
            }
            return emit(c, 0, 1);
        case ']':
            if (inside) {
                m_nCharsetDepth--;
                return emit(c, 1, 1);
            }
            return emit(c, 0, 1);
        case '^':
            if (!inside || IsMeta(m_prev1, '[') || (IsMeta(m_prev2, '[') && IsMeta(m_prev1, ':'))) {
                return emit(c, 1, 1);
            }
            return emit(c, 0, 1);
        case '\\':
            break;
        default:
            return emit(c, 0, 1);
    }

    // Escapes.
    if (i + 1 >= size) {
        return emit('\\', 0, 1);
    }
    const char d = at(i + 1);
    if (IsDigit(d)) {
        return emit('\\', 1, 1);
    }
    switch (d) {
        case 'A':
        case 'B':
        case 'D':
        case 'S':
        case 'W':
        case 'Z':
        case 'd':
        case 'g':
        case 'k':
        case 's':
        case 'w':
        case 'z':
            return emit(d, 1, 2);
        case 'G':
            if (!inside) {
                return emit('G', 1, 2);
            }
            return skip(i + 2);
        case 'b':
            if (!inside) {
                return emit('b', 1, 2);
            }
            return emit('\b', 0, 2);
        case 'a':
            return emit('\a', 0, 2);
        case 'e':
            return emit(27, 0, 2);
        case 'f':
            return emit('\f', 0, 2);
        case 'n':
            return emit('\n', 0, 2);
        case 'r':
            return emit('\r', 0, 2);
        case 't':
            return emit('\t', 0, 2);
        case 'v':
            return emit('\v', 0, 2);
        case 'x':
        case 'u': {
            unsigned value = 0;
            int j = i + 2;
            int digits = 0;
            if (j < size && at(j) == '{') {
                j++;
                while (digits < 8 && j < size && HexValue(at(j)) >= 0) {
                    value = value * 16 + static_cast<unsigned>(HexValue(at(j)));
                    j++;
                    digits++;
                }
                while (j < size && at(j) != '}') {
                    j++;
                }
                const int end = j < size ? j + 1 : size;
                return emit(static_cast<char>(value & 0xFF), 0, end - i);
            }
            const int maxDigits = d == 'x' ? 2 : 4;
            while (digits < maxDigits && j < size && HexValue(at(j)) >= 0) {
                value = value * 16 + static_cast<unsigned>(HexValue(at(j)));
                j++;
                digits++;
            }
            if (digits == 0) {
                return emit(d, 0, 2);
            }
            return emit(static_cast<char>(value & 0xFF), 0, 2 + digits);
        }
        case 'Q':
            m_bQuoted = 1;
            return skip(i + 2);
        case 'L':
            m_quote_fun = ToLower;
            m_bQuoted = 1;
            return skip(i + 2);
        case 'U':
            m_quote_fun = ToUpper;
            m_bQuoted = 1;
            return skip(i + 2);
        case 'E':
            m_bQuoted = 0;
            m_quote_fun = nullptr;
            return skip(i + 2);
        default:
            return emit(d, 0, 2);
    }
}

void CRegexPattern::Advance() {
    m_curr = m_next;
    m_next = m_look;
    while (!ScanToken(m_look)) {
    }
}

// Abandons the rest of the pattern: the window holds only end tokens from here on.
void CRegexPattern::MoveTo(int pos) {
    m_nNextPos = pos;
    m_bQuoted = 0;
    m_quote_fun = nullptr;
    const RxToken end{0, 1, pos, 0};
    m_curr = m_next = m_look = end;
}

void CRegexPattern::SkipSpace() {
    while (!m_curr.meta && IsSpace(m_curr.ch)) {
        Advance();
    }
}

void CRegexPattern::ReadName(char closer, CBufferT<char>& name) {
    while (m_curr.ch != closer && m_curr.ch != 0) {
        name.Append(m_curr.ch);
        Advance();
    }
    if (m_curr.ch == closer) {
        Advance();
    }
}

// ---- Parser -------------------------------------------------------------------------------------

void CRegexPattern::ParsePattern(int flags) {
    m_nNextPos = 0;
    m_nCharsetDepth = 0;
    m_nMaxNumber = 0;
    m_nNextNamed = 0;
    m_bQuoted = 0;
    m_quote_fun = nullptr;
    m_nFlags = flags;
    m_nNesting = 0;
    m_bTooDeep = 0;
    m_grouplist.Restore(0);
    m_recursivelist.Restore(0);
    m_namedlist.Restore(0);
    m_namedbackreflist.Restore(0);
    m_namedconditionlist.Restore(0);
    m_prev1 = m_prev2 = RxToken{};
    m_prev1.meta = m_prev2.meta = 0;

    Advance();
    Advance();
    Advance();
    int f = flags;
    ElxInterface* root = ParseAlternation(f);
    if (m_bTooDeep) {
        // Nested beyond what the parser accepts: no root, every match fails.
        Clear();
        return;
    }
    m_pTopElx = root;
    m_grouplist.Prepare(0, nullptr);
    m_grouplist[0] = root;

    // Named groups follow the plain ones; equal names (ignoring case) share a number.
    for (int i = 0; i < m_namedlist.GetSize(); i++) {
        CListElx* group = m_namedlist[i];
        m_grouplist.Push(group);
        CBracketElx* start = GroupBracket(group, 0);
        CBracketElx* end = GroupBracket(group, 1);
        if (start->m_nnumber < 0) {
            int n = FindGroupNumberByName(start->m_szNamed);
            if (n < 0) {
                n = ++m_nMaxNumber;
            }
            start->m_nnumber = n;
            end->m_nnumber = n;
        }
    }
    m_nMaxNumber = 0;
    for (int i = 1; i < m_grouplist.GetSize(); i++) {
        if (m_grouplist[i] != nullptr) {
            const int n = GroupBracket(static_cast<CListElx*>(m_grouplist[i]), 0)->m_nnumber;
            if (n > m_nMaxNumber) {
                m_nMaxNumber = n;
            }
        }
    }

    for (int i = 0; i < m_recursivelist.GetSize(); i++) {
        CDelegateElx* d = m_recursivelist[i];
        if (d->m_ndata == -3) {
            d->m_ndata = FindGroupNumberByName(d->m_szNamed);
        }
        const int n = d->m_ndata;
        d->m_pelx = nullptr;
        if (n < 0 || n > m_nMaxNumber) {
            continue;
        }
        if (n == 0) {
            d->m_pelx = m_pTopElx;
            continue;
        }
        for (int j = 1; j < m_grouplist.GetSize(); j++) {
            if (m_grouplist[j] != nullptr &&
                GroupBracket(static_cast<CListElx*>(m_grouplist[j]), 0)->m_nnumber == n) {
                d->m_pelx = m_grouplist[j];
                break;
            }
        }
    }
    for (int i = 0; i < m_namedbackreflist.GetSize(); i++) {
        CBackrefElx* b = m_namedbackreflist[i];
        b->m_nnumber = FindGroupNumberByName(b->m_szNamed);
    }
    for (int i = 0; i < m_namedconditionlist.GetSize(); i++) {
        CConditionElx* c = m_namedconditionlist[i];
        const int n = FindGroupNumberByName(c->m_szNamed);
        if (n >= 0) {
            c->m_nnumber = n;
            c->m_pelxask = nullptr;
        }
    }
    m_nGroupCount = m_grouplist.GetSize();
}

int CRegexPattern::FindGroupNumberByName(const CBufferRefT<char>& name) const {
    for (int i = 0; i < m_namedlist.GetSize(); i++) {
        const CBracketElx* start = GroupBracket(m_namedlist[i], 0);
        if (start->m_szNamed.GetSize() == name.GetSize() &&
            (name.GetSize() == 0 || start->m_szNamed.nCompareNoCase(name.GetData()) == 0)) {
            return start->m_nnumber;
        }
    }
    return -3;
}

int CRegexPattern::GetNamedGroupNumber(const char* name) const {
    return FindGroupNumberByName(CBufferRefT<char>(name));
}

ElxInterface* CRegexPattern::ParseAlternation(int& flags) {
    if (IsEndToken(m_curr)) {
        return GetShared(0);
    }
    ElxInterface* first = ParseSequence(flags);
    if (!IsMeta(m_curr, '|')) {
        return first;
    }
    auto* alt = Add(new CAlternativeElx());
    alt->m_elxlist.Push(first);
    while (IsMeta(m_curr, '|')) {
        Advance();
        alt->m_elxlist.Push(ParseSequence(flags));
    }
    return alt;
}

ElxInterface* CRegexPattern::ParseSequence(int& flags) {
    auto atEnd = [&] { return IsEndToken(m_curr) || IsMeta(m_curr, '|') || IsMeta(m_curr, ')'); };
    if (atEnd()) {
        return GetShared(0);
    }
    CBufferT<ElxInterface*> items;
    while (!atEnd()) {
        items.Push(ParseQuantified(flags));
    }
    if (items.GetSize() == 1) {
        return items[0];
    }
    auto* list = Add(new CListElx(flags & RX_RIGHT_TO_LEFT ? 1 : 0));
    list->m_elxlist = items;
    return list;
}

ElxInterface* CRegexPattern::ParseQuantified(int& flags) {
    ElxInterface* atom = ParseAtom(flags);
    if (m_curr.meta != 1) {
        return atom;
    }
    int nMin = 0;
    int nMax = 0;
    switch (m_curr.ch) {
        case '*':
            nMin = 0;
            nMax = kInfinite;
            Advance();
            break;
        case '+':
            nMin = 1;
            nMax = kInfinite;
            Advance();
            break;
        case '?':
            nMin = 0;
            nMax = 1;
            Advance();
            break;
        case '{': {
            Advance();
            CBufferT<char> text;
            while (!IsEndToken(m_curr) && !IsMeta(m_curr, '}')) {
                text.Append(m_curr.ch);
                Advance();
            }
            if (IsMeta(m_curr, '}')) {
                Advance();
            }
            int pos = 0;
            if (ReadDecimal(text, pos, nMin)) {
                if (text.At(pos) == ',' && pos < text.GetSize()) {
                    pos++;
                    if (!ReadDecimal(text, pos, nMax)) {
                        nMax = kInfinite;
                    } else if (nMax < nMin) {
                        nMax = nMin;
                    }
                } else {
                    nMax = nMin;
                }
            } else {
                nMin = nMax = 0;
            }
            break;
        }
        default:
            return atom;
    }
    if (nMax == 0) {
        return GetShared(0);
    }
    if (nMin == nMax) {
        if (IsMeta(m_curr, '?') || IsMeta(m_curr, '+')) {
            Advance();
        }
        return Add(new CRepeatElx(atom, nMin));
    }
    if (IsMeta(m_curr, '?')) {
        Advance();
        return Add(new CReluctantElx(atom, nMin, nMax));
    }
    if (IsMeta(m_curr, '+')) {
        Advance();
        return Add(new CPossessiveElx(atom, nMin, nMax));
    }
    return Add(new CGreedyElx(atom, nMin, nMax));
}

ElxInterface* CRegexPattern::ParseAtom(int& flags) {
    CBufferT<char> run;
    for (;;) {
        if (IsEndToken(m_curr) || IsMeta(m_curr, ')') || IsMeta(m_curr, '|')) {
            break;
        }
        if (m_curr.meta) {
            if (run.GetSize() > 0) {
                break;
            }
            switch (m_curr.ch) {
                case '(':
                    return ParseGroup(flags);
                case '[':
                case '.':
                case 'w':
                case 'W':
                case 's':
                case 'S':
                case 'd':
                case 'D':
                    return ParseClass(flags);
                case '^':
                case '$':
                case 'A':
                case 'Z':
                case 'z':
                case 'b':
                case 'B':
                case 'G':
                    return ParseAnchor(flags);
                case '\\':
                case 'k':
                case 'g':
                    return ParseBackReference(flags);
                default:
                    run.Append(m_curr.ch);
                    Advance();
                    continue;
            }
        }
        if (m_next.meta == 1 &&
            (m_next.ch == '{' || m_next.ch == '?' || m_next.ch == '*' || m_next.ch == '+')) {
            if (run.GetSize() == 0) {
                run.Append(m_curr.ch);
                Advance();
            }
            break;
        }
        run.Append(m_curr.ch);
        Advance();
    }
    if (run.GetSize() == 0) {
        return GetShared(0);
    }
    return Add(new CStringElx(run.GetData(), run.GetSize(), flags & RX_RIGHT_TO_LEFT ? 1 : 0,
                              flags & RX_IGNORE_CASE ? 1 : 0));
}

ElxInterface* CRegexPattern::ParseClass(int& flags) {
    const int rtl = flags & RX_RIGHT_TO_LEFT ? 1 : 0;
    const int shift = rtl ? 8 : 0;
    const RxToken tok = m_curr;
    if (tok.meta != 1) {
        Advance();
        return GetShared(0);
    }
    switch (tok.ch) {
        case '.':
            Advance();
            return GetShared((flags & RX_SINGLE_LINE ? 1 : 2) + shift);
        case 'w':
            Advance();
            return GetShared(3 + shift);
        case 'W':
            Advance();
            return GetShared(4 + shift);
        case 's':
            Advance();
            return GetShared(5 + shift);
        case 'S':
            Advance();
            return GetShared(6 + shift);
        case 'd':
            Advance();
            return GetShared(7 + shift);
        case 'D':
            Advance();
            return GetShared(8 + shift);
        case '[':
            break;
        default:
            Advance();
            return GetShared(0);
    }

    Advance();  // '['
    if (IsMeta(m_curr, ':')) {
        // [:name:] and [:^name:]
        CBufferT<char> text;
        while (!IsMeta(m_curr, ']') && m_curr.ch != 0) {
            text.Append(m_curr.ch);
            Advance();
        }
        if (IsMeta(m_curr, ']')) {
            Advance();
        }
        int from = 1;
        int positive = 1;
        if (text.At(1) == '^' && text.GetSize() > 1) {
            positive = 0;
            from = 2;
        }
        CPosixElx::Test test = nullptr;
        for (const auto& p : kPosixNames) {
            const CBufferRefT<char> name(p.name);
            bool same = true;
            for (int k = 0; k < name.GetSize() && same; k++) {
                same = from + k < text.GetSize() && text.At(from + k) == name.At(k);
            }
            if (same) {
                test = p.test;
                break;
            }
        }
        return Add(new CPosixElx(test, rtl, positive));
    }

    int positive = 1;
    if (IsMeta(m_curr, '^')) {
        Advance();
        positive = 0;
    }
    auto* range = Add(new CRangeElx(rtl, positive));
    while (!IsEndToken(m_curr) && !IsMeta(m_curr, ']')) {
        const bool classEscape =
            m_curr.meta == 1 && (m_curr.ch == 'w' || m_curr.ch == 'W' || m_curr.ch == 's' ||
                                 m_curr.ch == 'S' || m_curr.ch == 'd' || m_curr.ch == 'D');
        if (classEscape || (IsMeta(m_curr, '[') && IsMeta(m_next, ':'))) {
            range->m_embeds.Push(ParseClass(flags));
            continue;
        }
        if (IsMeta(m_next, '-') && m_look.meta == 0) {
            range->AddRange(m_curr.ch, m_look.ch);
            Advance();
            Advance();
            Advance();
            continue;
        }
        range->AddChar(m_curr.ch);
        Advance();
    }
    if (IsMeta(m_curr, ']')) {
        Advance();
    }

    if (flags & RX_IGNORE_CASE) {
        const int nRanges = range->m_ranges.GetSize();
        for (int i = 0; i + 1 < nRanges; i += 2) {
            const char lo = range->m_ranges[i];
            const char hi = range->m_ranges[i + 1];
            // Part inside A-Z, lower-cased; part inside a-z, upper-cased.
            const char bounds[2][2] = {{'A', 'Z'}, {'a', 'z'}};
            for (int b = 0; b < 2; b++) {
                const char a = lo > bounds[b][0] ? lo : bounds[b][0];
                const char z = hi < bounds[b][1] ? hi : bounds[b][1];
                if (a > z) {
                    continue;
                }
                const char na = b == 0 ? ToLower(a) : ToUpper(a);
                const char nz = b == 0 ? ToLower(z) : ToUpper(z);
                if (!(lo <= na && nz <= hi)) {
                    range->AddRange(na, nz);
                }
            }
        }
        const int nChars = range->m_chars.GetSize();
        for (int i = 0; i < nChars; i++) {
            const char c = range->m_chars[i];
            char other = c;
            if (c >= 'A' && c <= 'Z') {
                other = ToLower(c);
            } else if (c >= 'a' && c <= 'z') {
                other = ToUpper(c);
            }
            if (other != c && !range->ContainsPlain(other)) {
                range->AddChar(other);
            }
        }
    }
    return range;
}

ElxInterface* CRegexPattern::ParseAnchor(int& flags) {
    const char c = m_curr.ch;
    Advance();
    int kind = 0;
    int positive = 1;
    switch (c) {
        case '^':
            kind = flags & RX_MULTI_LINE ? 3 : 0;
            break;
        case '$':
            kind = flags & RX_MULTI_LINE ? 4 : 1;
            break;
        case 'A':
            kind = 0;
            break;
        case 'z':
            kind = 1;
            break;
        case 'Z':
            kind = 2;
            break;
        case 'b':
            kind = 7;
            break;
        case 'B':
            kind = 7;
            positive = 0;
            break;
        case 'G':
            if (flags & RX_GLOBAL) {
                return Add(new CGlobalElx());
            }
            return GetShared(0);
        default:
            return GetShared(0);
    }
    return Add(new CBoundaryElx(kind, positive));
}

ElxInterface* CRegexPattern::ParseBackReference(int& flags) {
    Advance();  // backslash, k or g
    auto* ref = Add(new CBackrefElx(0, flags & RX_RIGHT_TO_LEFT ? 1 : 0, flags & RX_IGNORE_CASE ? 1 : 0));
    if (m_curr.ch == '<' || m_curr.ch == '\'') {
        const char closer = m_curr.ch == '<' ? '>' : '\'';
        Advance();
        CBufferT<char> name;
        ReadName(closer, name);
        int n = 0;
        if (ReadWholeDecimal(name, n)) {
            ref->m_nnumber = n;
        } else {
            ref->m_nnumber = -1;
            ref->m_szNamed = name;
            m_namedbackreflist.Push(ref);
        }
        return ref;
    }
    int n = 0;
    for (int digits = 0; digits < 3 && m_curr.meta == 0 && IsDigit(m_curr.ch); digits++) {
        n = n * 10 + (m_curr.ch - '0');
        Advance();
    }
    ref->m_nnumber = n;
    return ref;
}

ElxInterface* CRegexPattern::ParseGroup(int& flags) {
    if (++m_nNesting > kMaxNesting) {
        m_bTooDeep = 1;
        MoveTo(m_pattern.GetSize());
        --m_nNesting;
        return GetShared(0);
    }
    ElxInterface* node = ParseGroupBody(flags);
    --m_nNesting;
    return node;
}

ElxInterface* CRegexPattern::BuildCapture(int& flags, int number, const CBufferT<char>* name) {
    const int rtl = flags & RX_RIGHT_TO_LEFT ? 1 : 0;
    auto* list = Add(new CListElx(rtl));
    auto* start = Add(new CBracketElx(number, 0));
    auto* end = Add(new CBracketElx(number, 1));
    if (name != nullptr) {
        start->m_szNamed = *name;
    }
    int f = flags;
    ElxInterface* contents = ParseAlternation(f);
    // The start side is always met first: last in a right-to-left list.
    list->m_elxlist.Push(rtl ? static_cast<ElxInterface*>(end) : start);
    list->m_elxlist.Push(contents);
    list->m_elxlist.Push(rtl ? static_cast<ElxInterface*>(start) : end);
    if (IsMeta(m_curr, ')')) {
        Advance();
    }
    return list;
}

ElxInterface* CRegexPattern::ParseGroupBody(int& flags) {
    auto close = [&] {
        if (IsMeta(m_curr, ')')) {
            Advance();
        }
    };
    Advance();  // '('
    if (!IsMeta(m_curr, '?')) {
        const int number = ++m_nMaxNumber;
        ElxInterface* group = BuildCapture(flags, number, nullptr);
        m_grouplist.Prepare(number, nullptr);
        m_grouplist[number] = group;
        return group;
    }
    Advance();  // '?'
    const char c = m_curr.ch;

    if (c == '=' || c == '!' || (c == '<' && (m_next.ch == '=' || m_next.ch == '!'))) {
        const int behind = c == '<';
        if (behind) {
            Advance();
        }
        const int positive = m_curr.ch == '=';
        Advance();
        int f = behind ? (flags | RX_RIGHT_TO_LEFT) : (flags & ~RX_RIGHT_TO_LEFT);
        ElxInterface* inner = ParseAlternation(f);
        close();
        return Add(new CAssertElx(inner, positive));
    }

    if (c == '<' || c == '\'' || (c == 'P' && m_next.ch == '<')) {
        const char closer = c == '\'' ? '\'' : '>';
        if (c == 'P') {
            Advance();
        }
        Advance();
        CBufferT<char> name;
        ReadName(closer, name);
        m_nNextNamed++;
        int n = 0;
        ElxInterface* group =
            ReadWholeDecimal(name, n) ? BuildCapture(flags, n, nullptr) : BuildCapture(flags, -1, &name);
        m_namedlist.Push(static_cast<CListElx*>(group));
        return group;
    }

    if (c == '>') {
        Advance();
        int f = flags;
        ElxInterface* inner = ParseAlternation(f);
        close();
        return Add(new CIndependentElx(inner));
    }

    if (IsMeta(m_curr, '(')) {
        return ParseCondition(flags);
    }

    if (c == 'R') {
        Advance();
        SkipSpace();
        auto* d = Add(new CDelegateElx(0));
        if (m_curr.ch == '<' || m_curr.ch == '\'') {
            const char closer = m_curr.ch == '<' ? '>' : '\'';
            Advance();
            CBufferT<char> name;
            ReadName(closer, name);
            int n = 0;
            if (ReadWholeDecimal(name, n)) {
                d->m_ndata = n;
            } else {
                d->m_ndata = -3;
                d->m_szNamed = name;
            }
        } else {
            CBufferT<char> text;
            while (!IsEndToken(m_curr) && !IsMeta(m_curr, ')')) {
                text.Append(m_curr.ch);
                Advance();
            }
            int pos = 0;
            int n = 0;
            d->m_ndata = ReadDecimal(text, pos, n) ? n : 0;
        }
        m_recursivelist.Push(d);
        close();
        return d;
    }

    SkipSpace();
    if (m_curr.meta == 0 && IsDigit(m_curr.ch)) {
        CBufferT<char> text;
        while (!IsEndToken(m_curr) && !IsMeta(m_curr, ')')) {
            text.Append(m_curr.ch);
            Advance();
        }
        int pos = 0;
        int n = 0;
        ReadDecimal(text, pos, n);
        auto* d = Add(new CDelegateElx(n));
        m_recursivelist.Push(d);
        close();
        return d;
    }

    // Inline modifiers, scoped (?i:...) or for the rest of the enclosing group (?i).
    int f = flags;
    int clear = 0;
    while (!IsEndToken(m_curr) && m_curr.ch != ':' && !IsMeta(m_curr, ')') && !IsMeta(m_curr, '(')) {
        int bit = 0;
        switch (m_curr.ch) {
            case '-':
                clear = 1;
                break;
            case 'i':
            case 'I':
                bit = RX_IGNORE_CASE;
                break;
            case 'm':
            case 'M':
                bit = RX_MULTI_LINE;
                break;
            case 's':
            case 'S':
                bit = RX_SINGLE_LINE;
                break;
            case 'g':
            case 'G':
                bit = RX_GLOBAL;
                break;
            default:
                break;
        }
        f = clear ? (f & ~bit) : (f | bit);
        Advance();
    }
    if (m_curr.ch == ':' || IsMeta(m_curr, '(')) {
        if (m_curr.ch == ':') {
            Advance();
        }
        ElxInterface* inner = ParseAlternation(f);
        close();
        return inner;
    }
    flags = f;
    close();
    return GetShared(0);
}

ElxInterface* CRegexPattern::ParseCondition(int& flags) {
    auto* cond = Add(new CConditionElx());
    if (IsMeta(m_next, '?')) {
        int f = flags;
        cond->m_pelxask = ParseGroup(f);
    } else {
        Advance();  // inner '('
        const int from = m_curr.pos;
        int f = flags;
        ElxInterface* inner = ParseAlternation(f);
        int to = IsEndToken(m_curr) ? m_pattern.GetSize() : m_curr.pos;
        if (to < from) {
            to = from;
        }
        const CBufferRefT<char> name(m_pattern.GetData() + from, to - from);
        int n = 0;
        if (ReadWholeDecimal(name, n)) {
            cond->m_nnumber = n;
        } else {
            cond->m_nnumber = -1;
            cond->m_szNamed = CBufferT<char>(name.GetData(), name.GetSize());
            cond->m_pelxask = Add(new CAssertElx(inner, 1));
            m_namedconditionlist.Push(cond);
        }
        if (IsMeta(m_curr, ')')) {
            Advance();
        }
    }
    int f = flags;
    cond->m_pelxyes = ParseSequence(f);
    if (IsMeta(m_curr, '|')) {
        Advance();
        cond->m_pelxno = ParseAlternation(f);
    }
    if (IsMeta(m_curr, ')')) {
        Advance();
    }
    return cond;
}

// ---- Matching -----------------------------------------------------------------------------------

CRegexMatch CRegexPattern::Match(const char* text, RxMatchState* state) const {
    return Match(text, CBufferRefT<char>(text).GetSize(), state);
}

CRegexMatch CRegexPattern::Match(const char* text, int length, RxMatchState* state) const {
    CRegexMatch result;
    if (m_pTopElx == nullptr) {
        return result;
    }
    RxMatchState own;
    RxMatchState* s = state != nullptr ? state : &own;
    if (text == nullptr || length < 0) {
        length = 0;
    }

    s->m_stack.Restore(0);
    s->m_capture.Restore(0);
    s->m_captureIndex.Restore(0);
    s->m_nCursor = 0;
    s->m_nLastBeginPos = -1;
    s->m_pText = text;
    s->m_nLength = length;
    s->m_nSteps = 0;
    s->m_nDepth = 0;
    s->m_nDepthPeak = 0;
    s->m_bAborted = 0;
    const int rtl = m_nFlags & RX_RIGHT_TO_LEFT;
    s->m_nStartPos = s->m_nCurrentPos = rtl ? length : 0;
    const int goal = rtl ? 0 : length;

    s->m_captureIndex.Prepare(m_nMaxNumber, -1);
    s->m_captureIndex[0] = 0;
    s->m_capture.Push(0);
    s->m_capture.Push(s->m_nStartPos);
    s->m_capture.Push(-1);
    s->m_capture.Push(-1);

    if (!RxFirst(m_pTopElx, s)) {
        return result;
    }
    while (s->m_nCurrentPos != goal) {
        if (!RxNext(m_pTopElx, s)) {
            return result;
        }
        // Two retries in a row that end where the match began: give up.
        if (s->m_nLastBeginPos == s->m_nStartPos && s->m_nStartPos == s->m_nCurrentPos) {
            return result;
        }
        s->m_nLastBeginPos = s->m_nCurrentPos;
    }
    if (s->m_bAborted) {
        return result;
    }
    s->m_capture[2] = s->m_nCurrentPos;

    const int n = m_nMaxNumber;
    result.m_result.Prepare(2 * n + 3, -1);
    result.m_result[0] = 1;
    result.m_result[1] = n;
    for (int i = 0; i <= n; i++) {
        const int r = s->m_captureIndex.At(i, -1) >= 0 ? RxFindRecord(s, i) : -1;
        if (r < 0 || s->m_capture[r + 2] == -1) {
            continue;
        }
        int a = s->m_capture[r + 1];
        int b = s->m_capture[r + 2];
        if (a > b) {
            std::swap(a, b);
        }
        result.m_result[2 + 2 * i] = a;
        result.m_result[3 + 2 * i] = b;
    }
    return result;
}
