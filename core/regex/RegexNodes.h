#pragma once

// Matching nodes of the regular-expression engine. A compiled pattern is a tree of these; each
// node follows one protocol:
//  - TryFirst makes the first attempt at the current position. It either fails, leaving position,
//    backtrack stack and capture stack as they were, or succeeds, having moved the position over
//    what it matched and pushed what its TryNext will need.
//  - TryNext is called only right after the node succeeded and everything matched after it was
//    undone. It either succeeds with the node's next alternative (same rule) or fails, having
//    undone the node completely.
// Nodes never change during a match; all mutable data lives in the RxMatchState.

#include "core/regex/RegexPattern.h"

class ElxInterface {
public:
    virtual int TryFirst(RxMatchState* state) const = 0;
    virtual int TryNext(RxMatchState* state) const = 0;
    virtual ~ElxInterface() = default;
};

// Every node calls its children through these. They count the steps and the nesting of a match and
// make every operation fail once a bound has been hit, so runaway patterns end in a failed match.
inline int RxGuard(RxMatchState* s) {
    if (s->m_bAborted) {
        return 0;
    }
    if (++s->m_nSteps > s->m_nStepLimit || s->m_nDepth >= s->m_nDepthLimit) {
        s->m_bAborted = 1;
        return 0;
    }
    if (s->m_nDepth >= s->m_nDepthPeak) {
        s->m_nDepthPeak = s->m_nDepth + 1;
    }
    return 1;
}
inline int RxFirst(const ElxInterface* e, RxMatchState* s) {
    if (!RxGuard(s)) {
        return 0;
    }
    ++s->m_nDepth;
    const int r = e->TryFirst(s);
    --s->m_nDepth;
    return r;
}
inline int RxNext(const ElxInterface* e, RxMatchState* s) {
    if (!RxGuard(s)) {
        return 0;
    }
    ++s->m_nDepth;
    const int r = e->TryNext(s);
    --s->m_nDepth;
    return r;
}

template <int x>
class CEmptyElxT : public ElxInterface {
public:
    int TryFirst(RxMatchState* state) const override;
    int TryNext(RxMatchState* state) const override;
};

template <int x>
class CListElxT : public ElxInterface {
public:
    explicit CListElxT(int bRightLeft) : m_bRightLeft(bRightLeft) {}
    int TryFirst(RxMatchState* state) const override;
    int TryNext(RxMatchState* state) const override;

    CBufferT<ElxInterface*> m_elxlist;
    int m_bRightLeft;

private:
    int MatchForward(RxMatchState* state, int i) const;
    const ElxInterface* At(int i) const { return m_elxlist[m_bRightLeft ? m_elxlist.GetSize() - 1 - i : i]; }
};

template <int x>
class CAlternativeElxT : public ElxInterface {
public:
    int TryFirst(RxMatchState* state) const override;
    int TryNext(RxMatchState* state) const override;

    CBufferT<ElxInterface*> m_elxlist;
};

template <class CHART>
class CStringElxT : public ElxInterface {
public:
    CStringElxT(const CHART* text, int len, int bRightLeft, int bIgnoreCase)
        : m_szPattern(text, len), m_bRightLeft(bRightLeft), m_bIgnoreCase(bIgnoreCase) {}
    int TryFirst(RxMatchState* state) const override;
    int TryNext(RxMatchState* state) const override;

    CBufferT<CHART> m_szPattern;
    int m_bRightLeft;
    int m_bIgnoreCase;
};

template <class CHART>
class CRangeElxT : public ElxInterface {
public:
    CRangeElxT(int bRightLeft, int bPositive) : m_bRightLeft(bRightLeft), m_bPositive(bPositive) {}
    int TryFirst(RxMatchState* state) const override;
    int TryNext(RxMatchState* state) const override;

    void AddRange(CHART lo, CHART hi) {
        m_ranges.Push(lo);
        m_ranges.Push(hi);
    }
    void AddChar(CHART c) { m_chars.Push(c); }
    // Membership by ranges and single characters only (nested classes not consulted).
    int ContainsPlain(CHART c) const;

    CBufferT<CHART> m_ranges;  // low/high pairs
    CBufferT<CHART> m_chars;
    CBufferT<ElxInterface*> m_embeds;  // nested classes
    int m_bRightLeft;
    int m_bPositive;
};

template <class CHART>
class CPosixElxT : public ElxInterface {
public:
    using Test = int (*)(int);
    CPosixElxT(Test test, int bRightLeft, int bPositive)
        : m_posixfun(test), m_bRightLeft(bRightLeft), m_bPositive(bPositive) {}
    int TryFirst(RxMatchState* state) const override;
    int TryNext(RxMatchState* state) const override;

    Test m_posixfun;
    int m_bRightLeft;
    int m_bPositive;
};

template <class CHART>
class CBoundaryElxT : public ElxInterface {
public:
    CBoundaryElxT(int nType, int bPositive) : m_nType(nType), m_bPositive(bPositive) {}
    int TryFirst(RxMatchState* state) const override;
    int TryNext(RxMatchState* state) const override;

    int m_nType;
    int m_bPositive;
};

template <int x>
class CGlobalElxT : public ElxInterface {
public:
    int TryFirst(RxMatchState* state) const override;
    int TryNext(RxMatchState* state) const override;
};

template <int x>
class CRepeatElxT : public ElxInterface {
public:
    CRepeatElxT(ElxInterface* node, int nFixed) : m_pelx(node), m_nFixed(nFixed) {}
    int TryFirst(RxMatchState* state) const override;
    int TryNext(RxMatchState* state) const override;

    ElxInterface* m_pelx;
    int m_nFixed;

protected:
    int MatchFixed(RxMatchState* state, int from) const;
    int MatchFixedNext(RxMatchState* state) const;
    // One added iteration that must consume something; an iteration that can only match the empty
    // text is undone and reported as failed.
    int MatchMoving(RxMatchState* state) const;
};

template <int x>
class CGreedyElxT : public CRepeatElxT<x> {
public:
    CGreedyElxT(ElxInterface* node, int nMin, int nMax) : CRepeatElxT<x>(node, nMin), m_nVart(nMax - nMin) {}
    int TryFirst(RxMatchState* state) const override;
    int TryNext(RxMatchState* state) const override;

    int m_nVart;  // extra iterations allowed beyond the minimum

protected:
    void MatchVart(RxMatchState* state) const;
};

template <int x>
class CReluctantElxT : public CRepeatElxT<x> {
public:
    CReluctantElxT(ElxInterface* node, int nMin, int nMax)
        : CRepeatElxT<x>(node, nMin), m_nVart(nMax - nMin) {}
    int TryFirst(RxMatchState* state) const override;
    int TryNext(RxMatchState* state) const override;

    int m_nVart;
};

template <int x>
class CPossessiveElxT : public CGreedyElxT<x> {
public:
    CPossessiveElxT(ElxInterface* node, int nMin, int nMax) : CGreedyElxT<x>(node, nMin, nMax) {}
    int TryFirst(RxMatchState* state) const override;
    int TryNext(RxMatchState* state) const override;
};

template <int x>
class CBracketElxT : public ElxInterface {
public:
    CBracketElxT(int nNumber, int bRight) : m_nnumber(nNumber), m_bRight(bRight) {}
    int TryFirst(RxMatchState* state) const override;
    int TryNext(RxMatchState* state) const override;

    int m_nnumber;
    int m_bRight;  // 0 for the group's start side, 1 for its end side
    CBufferT<char> m_szNamed;
};

template <int x>
class CBackrefElxT : public ElxInterface {
public:
    CBackrefElxT(int nNumber, int bRightLeft, int bIgnoreCase)
        : m_nnumber(nNumber), m_bRightLeft(bRightLeft), m_bIgnoreCase(bIgnoreCase) {}
    int TryFirst(RxMatchState* state) const override;
    int TryNext(RxMatchState* state) const override;

    int m_nnumber;
    int m_bRightLeft;
    int m_bIgnoreCase;
    CBufferT<char> m_szNamed;
};

template <int x>
class CDelegateElxT : public ElxInterface {
public:
    explicit CDelegateElxT(int nNumber) : m_ndata(nNumber) {}
    int TryFirst(RxMatchState* state) const override;
    int TryNext(RxMatchState* state) const override;

    ElxInterface* m_pelx = nullptr;
    int m_ndata;  // group number; -3 for a name not yet resolved
    CBufferT<char> m_szNamed;
};

template <int x>
class CAssertElxT : public ElxInterface {
public:
    CAssertElxT(ElxInterface* node, int bPositive) : m_pelx(node), m_bPositive(bPositive) {}
    int TryFirst(RxMatchState* state) const override;
    int TryNext(RxMatchState* state) const override;

    ElxInterface* m_pelx;
    int m_bPositive;
};

template <int x>
class CIndependentElxT : public ElxInterface {
public:
    explicit CIndependentElxT(ElxInterface* node) : m_pelx(node) {}
    int TryFirst(RxMatchState* state) const override;
    int TryNext(RxMatchState* state) const override;

    ElxInterface* m_pelx;
};

template <int x>
class CConditionElxT : public ElxInterface {
public:
    CConditionElxT() = default;
    int TryFirst(RxMatchState* state) const override;
    int TryNext(RxMatchState* state) const override;

    int m_nnumber = -1;  // -1 when the condition is not a group
    CBufferT<char> m_szNamed;
    ElxInterface* m_pelxask = nullptr;
    ElxInterface* m_pelxyes = nullptr;
    ElxInterface* m_pelxno = nullptr;
};

using CEmptyElx = CEmptyElxT<0>;
using CListElx = CListElxT<0>;
using CAlternativeElx = CAlternativeElxT<0>;
using CStringElx = CStringElxT<char>;
using CRangeElx = CRangeElxT<char>;
using CPosixElx = CPosixElxT<char>;
using CBoundaryElx = CBoundaryElxT<char>;
using CGlobalElx = CGlobalElxT<0>;
using CRepeatElx = CRepeatElxT<0>;
using CGreedyElx = CGreedyElxT<0>;
using CReluctantElx = CReluctantElxT<0>;
using CPossessiveElx = CPossessiveElxT<0>;
using CBracketElx = CBracketElxT<0>;
using CBackrefElx = CBackrefElxT<0>;
using CDelegateElx = CDelegateElxT<0>;
using CAssertElx = CAssertElxT<0>;
using CIndependentElx = CIndependentElxT<0>;
using CConditionElx = CConditionElxT<0>;

// Offset of the newest capture record of group n on the capture stack, or -1 when it has none.
int RxFindRecord(const RxMatchState* state, int n);
