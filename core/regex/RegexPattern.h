#pragma once

// The module's regular-expression engine for 8-bit text. A pattern compiles once into a tree of
// matching nodes; Match asks whether the pattern covers a whole text (from its start, or from its
// end under RX_RIGHT_TO_LEFT). Compilation reports no errors: every pattern text gives some tree.
//
//   static const CRegexPattern re("(a|b)+c");
//   if (re.Match(text).Succeeded()) ...
//
// A compiled pattern is not changed by matching, so it may be matched from several threads at
// once, each match with its own state.

#include "core/regex/Buffer.h"

enum {
    RX_SINGLE_LINE = 1,     // '.' also matches LF
    RX_MULTI_LINE = 2,      // '^' and '$' also match at line breaks
    RX_GLOBAL = 4,          // \G is honoured
    RX_IGNORE_CASE = 8,     // ASCII letter case is ignored
    RX_RIGHT_TO_LEFT = 16,  // match from the end of the text towards its start
    RX_EXTENDED = 32,       // white space and '#' comments in the pattern are skipped
};

class ElxInterface;
template <int x>
class CListElxT;
template <int x>
class CDelegateElxT;
template <int x>
class CBackrefElxT;
template <int x>
class CConditionElxT;

// The state of one match. All mutable data of a match lives here.
struct RxMatchState {
    CBufferT<int> m_stack;         // backtrack stack
    CBufferT<int> m_capture;       // capture records, four integers each
    CBufferT<int> m_captureIndex;  // per group: offset of its newest record, or negative
    int m_nCurrentPos = 0;
    int m_nStartPos = 0;
    int m_nLastBeginPos = -1;  // where the previous retry of the whole match ended
    int m_nCursor = 0;         // closing counter
    const char* m_pText = nullptr;
    int m_nLength = 0;

    // Runaway guards: a match that exceeds either bound fails.
    long long m_nSteps = 0;  // node operations so far
    int m_nDepth = 0;        // nested node operations in progress
    int m_nDepthPeak = 0;    // deepest nesting reached
    int m_bAborted = 0;      // a bound was hit; every further operation fails
    long long m_nStepLimit = kDefaultStepLimit;
    int m_nDepthLimit = kDefaultDepthLimit;

    static constexpr long long kDefaultStepLimit = 20'000'000;
    static constexpr int kDefaultDepthLimit = 2500;
};

// The result of a whole-text match. Empty when the match failed; otherwise element 0 is 1, element 1
// the highest group number n, then start and end of groups 0 to n (-1, -1 for a group that did not
// take part).
class CRegexMatch {
public:
    CRegexMatch() = default;
    int Succeeded() const { return m_result.GetSize() > 0 ? m_result[0] : 0; }
    int MaxGroupNumber() const { return m_result.GetSize() > 1 ? m_result[1] : -1; }
    int GetGroupStart(int n) const { return n >= 0 && n <= MaxGroupNumber() ? m_result[2 + 2 * n] : -1; }
    int GetGroupEnd(int n) const { return n >= 0 && n <= MaxGroupNumber() ? m_result[3 + 2 * n] : -1; }

    CBufferT<int> m_result;
};

// One token of the pattern scanner.
struct RxToken {
    char ch = 0;
    int meta = 1;  // 1 for a syntax character, 0 for a literal
    int pos = 0;
    int len = 0;
    bool operator==(const RxToken& o) const { return ch == o.ch && meta == o.meta; }
    bool Is(char c, int m) const { return ch == c && meta == m; }
};

class CRegexPattern {
public:
    CRegexPattern() = default;
    // Builds an empty pattern and compiles the NUL-terminated text (null gives no root).
    CRegexPattern(const char* pattern, int flags = 0);  // NOLINT: implicit on purpose
    ~CRegexPattern();
    CRegexPattern(const CRegexPattern&) = delete;
    CRegexPattern& operator=(const CRegexPattern&) = delete;

    void Compile(const char* pattern, int flags = 0);
    void Compile(const char* pattern, int length, int flags);
    void Clear();

    // Whole-text match. A null text has length 0; a null state means a state of its own.
    CRegexMatch Match(const char* text, RxMatchState* state = nullptr) const;
    CRegexMatch Match(const char* text, int length, RxMatchState* state = nullptr) const;

    int GetFlags() const { return m_nFlags; }
    int GetMaxGroupNumber() const { return m_nMaxNumber; }
    int GetNamedGroupNumber(const char* name) const;  // -3 when there is no such group
    const ElxInterface* GetRoot() const { return m_pTopElx; }

    // Deepest group nesting the parser accepts; a deeper pattern compiles without a root.
    static constexpr int kMaxNesting = 200;

private:
    enum { kSharedKinds = 17 };

    // Parsing.
    void ParsePattern(int flags);
    ElxInterface* ParseAlternation(int& flags);
    ElxInterface* ParseSequence(int& flags);
    ElxInterface* ParseQuantified(int& flags);
    ElxInterface* ParseAtom(int& flags);
    ElxInterface* ParseClass(int& flags);
    ElxInterface* ParseAnchor(int& flags);
    ElxInterface* ParseBackReference(int& flags);
    ElxInterface* ParseGroup(int& flags);
    ElxInterface* ParseGroupBody(int& flags);
    ElxInterface* ParseCondition(int& flags);
    ElxInterface* BuildCapture(int& flags, int number, const CBufferT<char>* name);
    void ReadName(char closer, CBufferT<char>& name);
    void SkipSpace();
    void Advance();
    int ScanToken(RxToken& tok);
    void MoveTo(int pos);
    int FindGroupNumberByName(const CBufferRefT<char>& name) const;
    ElxInterface* GetShared(int kind);
    template <class N>
    N* Add(N* node);

    ElxInterface* m_pTopElx = nullptr;
    int m_nFlags = 0;
    int m_nMaxNumber = 0;
    int m_nNextNamed = 0;
    int m_nGroupCount = 0;
    CBufferT<ElxInterface*> m_objlist;
    CBufferT<ElxInterface*> m_grouplist;
    CBufferT<CDelegateElxT<0>*> m_recursivelist;
    CBufferT<CListElxT<0>*> m_namedlist;
    CBufferT<CBackrefElxT<0>*> m_namedbackreflist;
    CBufferT<CConditionElxT<0>*> m_namedconditionlist;

    CBufferRefT<char> m_pattern;
    RxToken m_curr, m_next, m_look;
    RxToken m_prev1, m_prev2;  // the two tokens scanned before the one being scanned
    int m_nNextPos = 0;
    int m_nCharsetDepth = 0;
    int m_bQuoted = 0;
    char (*m_quote_fun)(char) = nullptr;
    ElxInterface* m_pStockElxs[kSharedKinds] = {};

    int m_nNesting = 0;  // parser recursion depth through groups
    int m_bTooDeep = 0;  // nesting bound hit while parsing
};
