// Window messages between objects: a plain target interface so that logic objects below platform/ui
// can report to their owner window without Qt.
#pragma once

#include <cstdint>

namespace ksx {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr unsigned WM_USER = 0x0400;
constexpr unsigned WM_APP = 0x8000;

class IMessageTarget {
public:
    virtual ~IMessageTarget() = default;
    // Blocking: handled on the UI thread before it returns (at once when called there); 0 when the call
    // was abandoned (window being destroyed, or the UI thread waiting for the calling worker).
    virtual LRESULT SendMessage(unsigned msg, WPARAM wParam, LPARAM lParam) = 0;
    // Queued; returns false when the window no longer takes messages.
    virtual bool PostMessage(unsigned msg, WPARAM wParam, LPARAM lParam) = 0;
};

// A record passed by address in a message's lParam, for messages that carry one. Only a message sent
// on the record's own thread may carry it (it is valid during the call only): rows of a walk reach the
// UI thread copied (core/TableRead.h) and are passed on from there.
template <class T>
LPARAM RecordParam(const T* record) {
    return reinterpret_cast<LPARAM>(record);
}
template <class T>
const T* Record(LPARAM lParam) {
    return reinterpret_cast<const T*>(lParam);
}

}  // namespace ksx
