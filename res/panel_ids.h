// Resource numbers of the front panel: the bitmap store's window template, the overlay bitmaps the main
// window draws over the panel, and the hand cursor of ports and consoles.
#pragma once

namespace ksx {

constexpr unsigned IDD_BITMAP_STORE = 100;  // hidden window of the bitmap store

constexpr int IDB_PANEL_BADGE = 158;           // model badge
constexpr int IDB_PANEL_LAMP_BASE_EVEN = 159;  // port lamp base, even port numbers
constexpr int IDB_PANEL_LAMP_BASE_ODD = 160;   // port lamp base, odd port numbers
constexpr int IDB_PANEL_LAMP1_EVEN = 161;      // lamp code 1, even port numbers
constexpr int IDB_PANEL_LAMP1_ODD = 162;       // lamp code 1, odd port numbers
constexpr int IDB_PANEL_LAMP0_EVEN = 163;      // lamp code 0, even port numbers
constexpr int IDB_PANEL_LAMP0_ODD = 164;       // lamp code 0, odd port numbers
constexpr int IDB_PANEL_ALERT = 190;           // fan fault, PoE power limit
constexpr int IDB_PANEL_LEDMODE_ON = 191;      // LED-mode indicator, lit
constexpr int IDB_PANEL_LEDMODE_OFF = 192;     // LED-mode indicator, unlit
constexpr int IDB_PANEL_SPARE = 221;           // loaded, not drawn

constexpr int IDC_PANEL_HAND = 398;  // hand cursor over ports and consoles

}  // namespace ksx
