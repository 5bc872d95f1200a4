// Window-message numbers, control notification codes and show commands used by the dialog framework.
// The values are the classic ones so that numbers written as constants in feature code keep meaning.
#pragma once

#include <cstdint>

#include "platform/sys/Messages.h"

namespace ksx {

// Messages the framework itself understands in CDialog::WindowProc.
constexpr unsigned WM_CLOSE = 0x0010;
constexpr unsigned WM_COMMAND = 0x0111;  // wParam: MAKEWPARAM(control id, notification code)
constexpr unsigned WM_TIMER = 0x0113;    // wParam: timer id

// Notification codes, delivered with the control id to the handlers registered on a dialog.
enum NotifyCode : unsigned {
    BN_CLICKED = 0,        // button, check box, radio button, menu command
    BN_DOUBLECLICKED = 5,  //
    CBN_SELCHANGE = 1,     // combo box: the user picked an item (data: new index)
    CBN_DBLCLK = 2,
    CBN_SETFOCUS = 3,
    CBN_KILLFOCUS = 4,
    CBN_EDITCHANGE = 5,     // editable combo box: the text changed
    CBN_DROPDOWN = 7,       //
    CBN_CLOSEUP = 8,        //
    EN_SETFOCUS = 0x0100,   // edit and any other registered control: focus gained
    EN_KILLFOCUS = 0x0200,  // edit and any other registered control: focus lost
    EN_CHANGE = 0x0300,     // edit, spin box: the text changed
    // List-style notifications (negative in the classic numbering, kept as their unsigned values).
    NM_CLICK = 0xFFFFFFFEu,         // data: row, -1 when none
    NM_DBLCLK = 0xFFFFFFFDu,        // data: row, -1 when none
    NM_RCLICK = 0xFFFFFFFBu,        // data: row, -1 when none
    LVN_ITEMCHANGED = 0xFFFFFF9Bu,  // selection or check state of a row changed (data: row, -1 when unknown)
    LVN_COLUMNCLICK = 0xFFFFFF94u,  // data: column
};

// Show commands for CDialog::ShowWindow.
enum ShowCommand : int {
    SW_HIDE = 0,
    SW_SHOWNORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOWMAXIMIZED = 3,
    SW_SHOW = 5,
    SW_MINIMIZE = 6,
    SW_RESTORE = 9,
};

constexpr WPARAM MAKEWPARAM(unsigned low, unsigned high) {
    return static_cast<WPARAM>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}
constexpr unsigned LOWORD(std::uintptr_t v) {
    return static_cast<unsigned>(v & 0xFFFFu);
}
constexpr unsigned HIWORD(std::uintptr_t v) {
    return static_cast<unsigned>((v >> 16) & 0xFFFFu);
}

}  // namespace ksx
