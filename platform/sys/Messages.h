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

}  // namespace ksx
