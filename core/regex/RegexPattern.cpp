#include "core/regex/RegexPattern.h"

// Placeholder until the compiler and matcher land: no pattern has a root, every match fails.
CRegexPattern::CRegexPattern(const char* pattern, int flags) {
    Compile(pattern, flags);
}
CRegexPattern::~CRegexPattern() {
    Clear();
}
void CRegexPattern::Compile(const char* pattern, int flags) {
    Compile(pattern, CBufferRefT<char>(pattern).GetSize(), flags);
}
void CRegexPattern::Compile(const char*, int, int flags) {
    Clear();
    m_nFlags = flags;
}
void CRegexPattern::Clear() {
    m_pTopElx = nullptr;
}
CRegexMatch CRegexPattern::Match(const char* text, RxMatchState* state) const {
    return Match(text, CBufferRefT<char>(text).GetSize(), state);
}
CRegexMatch CRegexPattern::Match(const char*, int, RxMatchState*) const {
    return CRegexMatch();
}
int CRegexPattern::GetNamedGroupNumber(const char*) const {
    return -3;
}
