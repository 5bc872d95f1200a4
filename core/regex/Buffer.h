#pragma once

// Small array buffers of the regular-expression engine: a read-only view and an owning, growable
// array. Elements are plain values (characters, integers, pointers); storage is raw and copied
// bytewise.

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>

template <class T>
class CBufferRefT {
public:
    CBufferRefT() = default;
    CBufferRefT(const T* pRef, int nSize) : m_pRef(pRef), m_nSize(pRef != nullptr && nSize > 0 ? nSize : 0) {}
    // A NUL-terminated text; the count is the number of elements before the terminator.
    explicit CBufferRefT(const T* pText) : m_pRef(pText) {
        if (pText != nullptr) {
            while (pText[m_nSize] != T()) {
                ++m_nSize;
            }
        }
    }
    CBufferRefT(const CBufferRefT&) = default;
    CBufferRefT& operator=(const CBufferRefT&) = default;
    virtual ~CBufferRefT() = default;

    int GetSize() const { return m_nSize; }
    const T* GetData() const { return m_pRef; }

    // Reading at or beyond the count (or before the start) yields the given default.
    T At(int i, T def = T()) const { return i >= 0 && i < m_nSize ? m_pRef[i] : def; }
    T operator[](int i) const { return At(i); }

    // Exact comparison with a sequence of this view's length.
    int nCompare(const T* pOther) const {
        for (int i = 0; i < m_nSize; i++) {
            if (m_pRef[i] != pOther[i]) {
                return m_pRef[i] < pOther[i] ? -1 : 1;
            }
        }
        return 0;
    }
    // Case-insensitive comparison (ASCII letters only) with a sequence of this view's length.
    int nCompareNoCase(const T* pOther) const {
        for (int i = 0; i < m_nSize; i++) {
            const T a = Upper(m_pRef[i]);
            const T b = Upper(pOther[i]);
            if (a != b) {
                return a < b ? -1 : 1;
            }
        }
        return 0;
    }

    static T Upper(T c) { return c >= 'a' && c <= 'z' ? static_cast<T>(c - 'a' + 'A') : c; }
    static T Lower(T c) { return c >= 'A' && c <= 'Z' ? static_cast<T>(c - 'A' + 'a') : c; }

protected:
    const T* m_pRef = nullptr;
    int m_nSize = 0;
};

template <class T>
class CBufferT : public CBufferRefT<T> {
    static_assert(std::is_trivially_copyable_v<T>, "buffer elements are copied bytewise");

public:
    CBufferT() = default;
    CBufferT(const T* pData, int nSize) { Append(pData, nSize); }
    CBufferT(const CBufferT& other) : CBufferRefT<T>() { Append(other.GetData(), other.GetSize()); }
    CBufferT& operator=(const CBufferT& other) {
        if (this != &other) {
            Restore(0);
            Append(other.GetData(), other.GetSize());
        }
        return *this;
    }
    CBufferT(CBufferT&& other) noexcept { Swap(other); }
    CBufferT& operator=(CBufferT&& other) noexcept {
        if (this != &other) {
            Swap(other);
        }
        return *this;
    }
    ~CBufferT() override { std::free(m_pBuffer); }

    int GetCapacity() const { return m_nMaxLength; }
    T* GetBuffer() { return m_pBuffer; }
    T& operator[](int i) { return m_pBuffer[i]; }
    T operator[](int i) const { return this->At(i); }

    void Push(T v) {
        if (this->m_nSize >= m_nMaxLength) {
            long long cap = 2LL * m_nMaxLength;
            if (cap < 7) {
                cap = 8;
            }
            Reserve(cap);
        }
        m_pBuffer[this->m_nSize++] = v;
    }
    // Removes the last element into v; reports whether there was one (v is left alone otherwise).
    int Pop(T& v) {
        if (this->m_nSize <= 0) {
            return 0;
        }
        v = m_pBuffer[--this->m_nSize];
        return 1;
    }
    // Pops, giving the default value when empty.
    T Pop() {
        T v = T();
        Pop(v);
        return v;
    }
    T Top() const { return this->At(this->m_nSize - 1); }

    // Truncates to n elements (never grows).
    void Restore(int n) {
        if (n >= 0 && n < this->m_nSize) {
            this->m_nSize = n;
            Terminate();
        }
    }
    // Grows the count to index + 1, filling the new elements.
    void Prepare(int index, T fill = T()) {
        if (index < 0) {
            return;
        }
        const long long needed = static_cast<long long>(index) + 1;
        if (needed <= this->m_nSize) {
            return;
        }
        GrowFor(needed + Extra());
        for (int i = this->m_nSize; i < needed; i++) {
            m_pBuffer[i] = fill;
        }
        this->m_nSize = static_cast<int>(needed);
        Terminate();
    }
    void Append(const T* pData, int n) {
        if (pData == nullptr || n <= 0) {
            return;
        }
        GrowFor(static_cast<long long>(this->m_nSize) + n + Extra());
        std::memmove(m_pBuffer + this->m_nSize, pData, sizeof(T) * static_cast<size_t>(n));
        this->m_nSize += n;
        Terminate();
    }
    void Append(T v) { Append(&v, 1); }

    // Empties the buffer and hands its storage (malloc'ed) to the caller.
    T* Detach() {
        T* p = m_pBuffer;
        m_pBuffer = nullptr;
        this->m_pRef = nullptr;
        this->m_nSize = 0;
        m_nMaxLength = 0;
        return p;
    }
    void Release() { std::free(Detach()); }

private:
    // The char instance keeps a terminating NUL after its last element.
    static constexpr int Extra() { return std::is_same_v<T, char> ? 1 : 0; }
    void Terminate() {
        if constexpr (std::is_same_v<T, char>) {
            if (m_pBuffer != nullptr) {
                m_pBuffer[this->m_nSize] = 0;
            }
        }
    }
    void GrowFor(long long needed) {
        if (needed <= m_nMaxLength) {
            return;
        }
        long long cap = m_nMaxLength < 8 ? 8 : m_nMaxLength;
        if (cap < needed) {
            cap *= 2;
        }
        if (cap < needed) {
            cap = (needed + 11) / 8 * 8;
        }
        Reserve(cap);
    }
    void Reserve(long long cap) {
        if (cap > std::numeric_limits<int>::max() / static_cast<long long>(sizeof(T) + 1)) {
            throw std::bad_alloc();
        }
        void* p = std::realloc(m_pBuffer, sizeof(T) * static_cast<size_t>(cap));
        if (p == nullptr) {
            throw std::bad_alloc();
        }
        m_pBuffer = static_cast<T*>(p);
        this->m_pRef = m_pBuffer;
        m_nMaxLength = static_cast<int>(cap);
    }
    void Swap(CBufferT& o) noexcept {
        std::swap(m_pBuffer, o.m_pBuffer);
        std::swap(m_nMaxLength, o.m_nMaxLength);
        std::swap(this->m_pRef, o.m_pRef);
        std::swap(this->m_nSize, o.m_nSize);
    }

    T* m_pBuffer = nullptr;
    int m_nMaxLength = 0;
};
