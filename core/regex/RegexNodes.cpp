#include "core/regex/RegexNodes.h"

#include <utility>

namespace {

// Capture record layout on the capture stack.
enum { kRecNumber = 0, kRecStart = 1, kRecEnd = 2, kRecState = 3, kRecSize = 4 };

char Upper(char c) {
    return CBufferRefT<char>::Upper(c);
}

bool IsWord(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The character a node reads: at the position, or before it when matching right to left.
// Returns 0 when there is none.
int ReadChar(const RxMatchState* s, int bRightLeft, char& c) {
    if (bRightLeft) {
        if (s->m_nCurrentPos <= 0 || s->m_nCurrentPos > s->m_nLength) {
            return 0;
        }
        c = s->m_pText[s->m_nCurrentPos - 1];
    } else {
        if (s->m_nCurrentPos < 0 || s->m_nCurrentPos >= s->m_nLength) {
            return 0;
        }
        c = s->m_pText[s->m_nCurrentPos];
    }
    return 1;
}

void Step(RxMatchState* s, int bRightLeft, int n) {
    s->m_nCurrentPos += bRightLeft ? -n : n;
}

bool SameText(const char* a, const char* b, int n, int bIgnoreCase) {
    for (int i = 0; i < n; i++) {
        if (bIgnoreCase ? Upper(a[i]) != Upper(b[i]) : a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

// Record of group n at or below offset from, searching downwards.
int FindBelow(const RxMatchState* s, int n, int from) {
    for (int i = from; i >= 0; i -= kRecSize) {
        if (s->m_capture[i + kRecNumber] == n) {
            return i;
        }
    }
    return -1;
}

// Atomic groups and possessive repeats keep the inner match but drop its backtrack entries, leaving
// only where to go back to. Commit runs after the inner TryFirst, Undo is their whole TryNext.
int AtomicCommit(RxMatchState* s, int pos, int height, int captures, int matched) {
    s->m_stack.Restore(height);
    if (!matched) {
        return 0;
    }
    s->m_stack.Push(pos);
    s->m_stack.Push(captures);
    return 1;
}
int AtomicUndo(RxMatchState* s) {
    int captures = 0;
    int pos = 0;
    s->m_stack.Pop(captures);
    s->m_stack.Pop(pos);
    s->m_capture.Restore(captures);
    s->m_nCurrentPos = pos;
    return 0;
}

}  // namespace

int RxFindRecord(const RxMatchState* s, int n) {
    if (n < 0 || n >= s->m_captureIndex.GetSize()) {
        return -1;
    }
    int i = s->m_captureIndex[n];
    if (i < 0) {
        return -1;
    }
    // An entry at or above the top was cut off (by a possessive, atomic or lookaround cut): start
    // from the topmost record instead.
    const int top = s->m_capture.GetSize() / kRecSize * kRecSize;
    if (i > top - kRecSize) {
        i = top - kRecSize;
    }
    i = i / kRecSize * kRecSize;
    return FindBelow(s, n, i);
}

// ---- Empty --------------------------------------------------------------------------------------

template <int x>
int CEmptyElxT<x>::TryFirst(RxMatchState*) const {
    return 1;
}
template <int x>
int CEmptyElxT<x>::TryNext(RxMatchState*) const {
    return 0;
}

// ---- Sequence -----------------------------------------------------------------------------------

template <int x>
int CListElxT<x>::MatchForward(RxMatchState* s, int i) const {
    const int n = m_elxlist.GetSize();
    while (i < n) {
        if (RxFirst(At(i), s)) {
            i++;
            continue;
        }
        for (;;) {
            if (--i < 0) {
                return 0;
            }
            if (RxNext(At(i), s)) {
                i++;
                break;
            }
        }
    }
    return 1;
}

template <int x>
int CListElxT<x>::TryFirst(RxMatchState* s) const {
    if (m_elxlist.GetSize() == 0) {
        return 1;
    }
    return MatchForward(s, 0);
}

template <int x>
int CListElxT<x>::TryNext(RxMatchState* s) const {
    int i = m_elxlist.GetSize() - 1;
    if (i < 0) {
        return 0;
    }
    while (i >= 0 && !RxNext(At(i), s)) {
        i--;
    }
    if (i < 0) {
        return 0;
    }
    return MatchForward(s, i + 1);
}

// ---- Alternation --------------------------------------------------------------------------------

template <int x>
int CAlternativeElxT<x>::TryFirst(RxMatchState* s) const {
    for (int i = 0; i < m_elxlist.GetSize(); i++) {
        if (RxFirst(m_elxlist[i], s)) {
            s->m_stack.Push(i);
            return 1;
        }
    }
    return 0;
}

template <int x>
int CAlternativeElxT<x>::TryNext(RxMatchState* s) const {
    int i = -1;
    if (!s->m_stack.Pop(i) || i < 0 || i >= m_elxlist.GetSize()) {
        return 0;
    }
    if (RxNext(m_elxlist[i], s)) {
        s->m_stack.Push(i);
        return 1;
    }
    for (i++; i < m_elxlist.GetSize(); i++) {
        if (RxFirst(m_elxlist[i], s)) {
            s->m_stack.Push(i);
            return 1;
        }
    }
    return 0;
}

// ---- Literal run --------------------------------------------------------------------------------

template <class CHART>
int CStringElxT<CHART>::TryFirst(RxMatchState* s) const {
    const int n = m_szPattern.GetSize();
    const int pos = s->m_nCurrentPos;
    int from;
    if (m_bRightLeft) {
        if (pos - n < 0 || pos > s->m_nLength) {
            return 0;
        }
        from = pos - n;
    } else {
        if (pos < 0 || static_cast<long long>(pos) + n > s->m_nLength) {
            return 0;
        }
        from = pos;
    }
    if (n > 0 && !SameText(s->m_pText + from, m_szPattern.GetData(), n, m_bIgnoreCase)) {
        return 0;
    }
    Step(s, m_bRightLeft, n);
    return 1;
}

template <class CHART>
int CStringElxT<CHART>::TryNext(RxMatchState* s) const {
    Step(s, m_bRightLeft, -m_szPattern.GetSize());
    return 0;
}

// ---- Character classes --------------------------------------------------------------------------

template <class CHART>
int CRangeElxT<CHART>::ContainsPlain(CHART c) const {
    for (int i = 0; i + 1 < m_ranges.GetSize(); i += 2) {
        if (m_ranges[i] <= c && c <= m_ranges[i + 1]) {
            return 1;
        }
    }
    for (int i = 0; i < m_chars.GetSize(); i++) {
        if (m_chars[i] == c) {
            return 1;
        }
    }
    return 0;
}

template <class CHART>
int CRangeElxT<CHART>::TryFirst(RxMatchState* s) const {
    char c = 0;
    if (!ReadChar(s, m_bRightLeft, c)) {
        return 0;
    }
    int found = ContainsPlain(c);
    for (int i = 0; !found && i < m_embeds.GetSize(); i++) {
        const int pos = s->m_nCurrentPos;
        if (RxFirst(m_embeds[i], s)) {
            found = 1;
        }
        s->m_nCurrentPos = pos;
    }
    if ((found != 0) != (m_bPositive != 0)) {
        return 0;
    }
    Step(s, m_bRightLeft, 1);
    return 1;
}

template <class CHART>
int CRangeElxT<CHART>::TryNext(RxMatchState* s) const {
    Step(s, m_bRightLeft, -1);
    return 0;
}

template <class CHART>
int CPosixElxT<CHART>::TryFirst(RxMatchState* s) const {
    char c = 0;
    if (m_posixfun == nullptr || !ReadChar(s, m_bRightLeft, c)) {
        return 0;
    }
    // ASCII classification only: bytes of 128 and above belong to no class.
    const int in = static_cast<unsigned char>(c) < 128 && m_posixfun(static_cast<unsigned char>(c)) != 0;
    if (in != (m_bPositive != 0)) {
        return 0;
    }
    Step(s, m_bRightLeft, 1);
    return 1;
}

template <class CHART>
int CPosixElxT<CHART>::TryNext(RxMatchState* s) const {
    Step(s, m_bRightLeft, -1);
    return 0;
}

// ---- Anchors ------------------------------------------------------------------------------------

template <class CHART>
int CBoundaryElxT<CHART>::TryFirst(RxMatchState* s) const {
    const int p = s->m_nCurrentPos;
    const int len = s->m_nLength;
    const char* t = s->m_pText;
    const char prev = p > 0 && p <= len ? t[p - 1] : 0;
    const char next = p >= 0 && p < len ? t[p] : 0;
    bool holds = false;
    switch (m_nType) {
        case 0:
            holds = p == 0;
            break;
        case 1:
            holds = p == len;
            break;
        case 2:
            holds = p == len || (len >= 1 && t[len - 1] == '\n' && p == len - 1) ||
                    (len >= 2 && t[len - 2] == '\r' && t[len - 1] == '\n' && p == len - 2);
            break;
        case 3:
            holds = p == 0 || prev == '\n' || (prev == '\r' && next != '\n');
            break;
        case 4:
            holds = p == len || next == '\r' || (next == '\n' && prev != '\r');
            break;
        case 7:
            holds = IsWord(prev) != IsWord(next);
            break;
        default:
            holds = false;
            break;
    }
    return holds == (m_bPositive != 0);
}

template <class CHART>
int CBoundaryElxT<CHART>::TryNext(RxMatchState*) const {
    return 0;
}

template <int x>
int CGlobalElxT<x>::TryFirst(RxMatchState* s) const {
    return s->m_nCurrentPos == s->m_nStartPos;
}
template <int x>
int CGlobalElxT<x>::TryNext(RxMatchState*) const {
    return 0;
}

// ---- Repetition ---------------------------------------------------------------------------------

template <int x>
int CRepeatElxT<x>::MatchFixed(RxMatchState* s, int i) const {
    while (i < m_nFixed) {
        if (RxFirst(m_pelx, s)) {
            i++;
            continue;
        }
        for (;;) {
            if (--i < 0) {
                return 0;
            }
            if (RxNext(m_pelx, s)) {
                i++;
                break;
            }
        }
    }
    return 1;
}

template <int x>
int CRepeatElxT<x>::MatchFixedNext(RxMatchState* s) const {
    if (m_nFixed <= 0) {
        return 0;
    }
    int i = m_nFixed - 1;
    while (i >= 0 && !RxNext(m_pelx, s)) {
        i--;
    }
    if (i < 0) {
        return 0;
    }
    return MatchFixed(s, i + 1);
}

template <int x>
int CRepeatElxT<x>::MatchMoving(RxMatchState* s) const {
    const int p = s->m_nCurrentPos;
    if (!RxFirst(m_pelx, s)) {
        return 0;
    }
    while (s->m_nCurrentPos == p) {
        if (!RxNext(m_pelx, s)) {
            return 0;
        }
    }
    return 1;
}

template <int x>
int CRepeatElxT<x>::TryFirst(RxMatchState* s) const {
    return m_nFixed <= 0 ? 1 : MatchFixed(s, 0);
}

template <int x>
int CRepeatElxT<x>::TryNext(RxMatchState* s) const {
    return MatchFixedNext(s);
}

template <int x>
void CGreedyElxT<x>::MatchVart(RxMatchState* s) const {
    int k = 0;
    while (k < m_nVart && this->MatchMoving(s)) {
        k++;
    }
    s->m_stack.Push(k);
}

template <int x>
int CGreedyElxT<x>::TryFirst(RxMatchState* s) const {
    if (!CRepeatElxT<x>::TryFirst(s)) {
        return 0;
    }
    MatchVart(s);
    return 1;
}

template <int x>
int CGreedyElxT<x>::TryNext(RxMatchState* s) const {
    int k = 0;
    s->m_stack.Pop(k);
    if (k > 0) {
        if (!RxNext(this->m_pelx, s)) {
            k--;
        }
        s->m_stack.Push(k);
        return 1;
    }
    if (!this->MatchFixedNext(s)) {
        return 0;
    }
    MatchVart(s);
    return 1;
}

template <int x>
int CReluctantElxT<x>::TryFirst(RxMatchState* s) const {
    if (!CRepeatElxT<x>::TryFirst(s)) {
        return 0;
    }
    s->m_stack.Push(0);
    return 1;
}

template <int x>
int CReluctantElxT<x>::TryNext(RxMatchState* s) const {
    int k = 0;
    s->m_stack.Pop(k);
    const int p = s->m_nCurrentPos;
    if (k < m_nVart && this->MatchMoving(s)) {
        s->m_stack.Push(p);
        s->m_stack.Push(k + 1);
        return 1;
    }
    while (k > 0) {
        int begin = 0;
        s->m_stack.Pop(begin);
        int ok = 0;
        while (RxNext(this->m_pelx, s)) {
            if (s->m_nCurrentPos != begin) {
                ok = 1;
                break;
            }
        }
        if (ok) {
            s->m_stack.Push(begin);
            s->m_stack.Push(k);
            return 1;
        }
        k--;
        if (s->m_bAborted) {
            return 0;
        }
    }
    if (!this->MatchFixedNext(s)) {
        return 0;
    }
    s->m_stack.Push(0);
    return 1;
}

template <int x>
int CPossessiveElxT<x>::TryFirst(RxMatchState* s) const {
    const int pos = s->m_nCurrentPos;
    const int height = s->m_stack.GetSize();
    const int captures = s->m_capture.GetSize();
    return AtomicCommit(s, pos, height, captures, CGreedyElxT<x>::TryFirst(s));
}

template <int x>
int CPossessiveElxT<x>::TryNext(RxMatchState* s) const {
    return AtomicUndo(s);
}

// ---- Groups -------------------------------------------------------------------------------------

template <int x>
int CBracketElxT<x>::TryFirst(RxMatchState* s) const {
    const int n = m_nnumber;
    if (n < 0) {
        return 0;
    }
    if (!m_bRight) {
        s->m_captureIndex.Prepare(n, -1);
        const int r = RxFindRecord(s, n);
        if (r >= 0 && s->m_capture[r + kRecEnd] == -1) {
            // Re-entered through recursion while still open.
            s->m_capture[r + kRecState] -= 1;
            return 1;
        }
        s->m_captureIndex[n] = s->m_capture.GetSize();
        s->m_capture.Push(n);
        s->m_capture.Push(s->m_nCurrentPos);
        s->m_capture.Push(-1);
        s->m_capture.Push(0);
        return 1;
    }
    const int r = RxFindRecord(s, n);
    if (r < 0) {
        return 1;
    }
    if (s->m_capture[r + kRecState] < 0) {
        s->m_capture[r + kRecState] += 1;  // a re-entry ends
        return 1;
    }
    s->m_capture[r + kRecEnd] = s->m_nCurrentPos;
    s->m_capture[r + kRecState] = s->m_nCursor++;
    return 1;
}

template <int x>
int CBracketElxT<x>::TryNext(RxMatchState* s) const {
    const int n = m_nnumber;
    const int r = RxFindRecord(s, n);
    if (r < 0) {
        return 0;
    }
    if (!m_bRight) {
        if (s->m_capture[r + kRecState] < 0) {
            s->m_capture[r + kRecState] += 1;
            return 0;
        }
        s->m_capture.Restore(r);
        s->m_captureIndex[n] = FindBelow(s, n, r - kRecSize);
        return 0;
    }
    if (s->m_capture[r + kRecEnd] == -1) {
        s->m_capture[r + kRecState] -= 1;
    } else {
        s->m_capture[r + kRecEnd] = -1;
        s->m_capture[r + kRecState] = 0;
    }
    return 0;
}

template <int x>
int CBackrefElxT<x>::TryFirst(RxMatchState* s) const {
    const int n = m_nnumber;
    if (n < 0 || n >= s->m_captureIndex.GetSize() || s->m_captureIndex[n] < 0) {
        return 0;
    }
    const int r = RxFindRecord(s, n);
    if (r < 0) {
        return 0;
    }
    int a = s->m_capture[r + kRecStart];
    int b = s->m_capture[r + kRecEnd];
    if (b == -1) {
        b = s->m_nCurrentPos;
    }
    if (a > b) {
        std::swap(a, b);
    }
    if (a < 0 || b > s->m_nLength) {
        return 0;
    }
    const int len = b - a;
    const int pos = s->m_nCurrentPos;
    int from;
    if (m_bRightLeft) {
        if (pos - len < 0 || pos > s->m_nLength) {
            return 0;
        }
        from = pos - len;
    } else {
        if (pos < 0 || static_cast<long long>(pos) + len > s->m_nLength) {
            return 0;
        }
        from = pos;
    }
    if (len > 0 && !SameText(s->m_pText + from, s->m_pText + a, len, m_bIgnoreCase)) {
        return 0;
    }
    s->m_stack.Push(pos);
    Step(s, m_bRightLeft, len);
    return 1;
}

template <int x>
int CBackrefElxT<x>::TryNext(RxMatchState* s) const {
    int pos = s->m_nCurrentPos;
    s->m_stack.Pop(pos);
    s->m_nCurrentPos = pos;
    return 0;
}

template <int x>
int CDelegateElxT<x>::TryFirst(RxMatchState* s) const {
    return m_pelx == nullptr ? 1 : RxFirst(m_pelx, s);
}

template <int x>
int CDelegateElxT<x>::TryNext(RxMatchState* s) const {
    return m_pelx == nullptr ? 0 : RxNext(m_pelx, s);
}

// ---- Lookaround, atomic and conditional groups --------------------------------------------------

template <int x>
int CAssertElxT<x>::TryFirst(RxMatchState* s) const {
    const int pos = s->m_nCurrentPos;
    const int height = s->m_stack.GetSize();
    const int captures = s->m_capture.GetSize();
    int r = RxFirst(m_pelx, s);
    if (!m_bPositive) {
        r = !r;
    }
    s->m_stack.Restore(height);
    s->m_nCurrentPos = pos;
    if (r) {
        s->m_stack.Push(captures);
        return 1;
    }
    s->m_capture.Restore(captures);
    return 0;
}

template <int x>
int CAssertElxT<x>::TryNext(RxMatchState* s) const {
    int captures = 0;
    s->m_stack.Pop(captures);
    s->m_capture.Restore(captures);
    return 0;
}

template <int x>
int CIndependentElxT<x>::TryFirst(RxMatchState* s) const {
    const int pos = s->m_nCurrentPos;
    const int height = s->m_stack.GetSize();
    const int captures = s->m_capture.GetSize();
    return AtomicCommit(s, pos, height, captures, RxFirst(m_pelx, s));
}

template <int x>
int CIndependentElxT<x>::TryNext(RxMatchState* s) const {
    return AtomicUndo(s);
}

template <int x>
int CConditionElxT<x>::TryFirst(RxMatchState* s) const {
    const int pos = s->m_nCurrentPos;
    const int height = s->m_stack.GetSize();
    const int captures = s->m_capture.GetSize();
    int cond;
    if (m_nnumber >= 0) {
        cond = m_nnumber < s->m_captureIndex.GetSize() && s->m_captureIndex[m_nnumber] >= 0 &&
               RxFindRecord(s, m_nnumber) >= 0;
    } else {
        cond = m_pelxask == nullptr ? 1 : RxFirst(m_pelxask, s);
        s->m_stack.Restore(height);
        s->m_nCurrentPos = pos;
    }
    const ElxInterface* branch = cond ? m_pelxyes : m_pelxno;
    const int r = branch == nullptr ? 1 : RxFirst(branch, s);
    if (!r) {
        s->m_capture.Restore(captures);
        return 0;
    }
    s->m_stack.Push(captures);
    s->m_stack.Push(cond);
    return 1;
}

template <int x>
int CConditionElxT<x>::TryNext(RxMatchState* s) const {
    int cond = 0;
    int captures = 0;
    s->m_stack.Pop(cond);
    s->m_stack.Pop(captures);
    const ElxInterface* branch = cond ? m_pelxyes : m_pelxno;
    const int r = branch == nullptr ? 0 : RxNext(branch, s);
    if (r) {
        s->m_stack.Push(captures);
        s->m_stack.Push(cond);
        return 1;
    }
    s->m_capture.Restore(captures);
    return 0;
}

template class CEmptyElxT<0>;
template class CListElxT<0>;
template class CAlternativeElxT<0>;
template class CStringElxT<char>;
template class CRangeElxT<char>;
template class CPosixElxT<char>;
template class CBoundaryElxT<char>;
template class CGlobalElxT<0>;
template class CRepeatElxT<0>;
template class CGreedyElxT<0>;
template class CReluctantElxT<0>;
template class CPossessiveElxT<0>;
template class CBracketElxT<0>;
template class CBackrefElxT<0>;
template class CDelegateElxT<0>;
template class CAssertElxT<0>;
template class CIndependentElxT<0>;
template class CConditionElxT<0>;
