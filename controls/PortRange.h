// The From/To port pair of the range dialogs: two combo boxes filled with 1..port count. Picking a
// "From" port moves "To" along; a "To" port below "From" is refused with the dialog's own text and
// put back to "From". The combo boxes are the dialog's (made in its CreateControls under the two ids).
#pragma once

#include <string>

namespace ksx {
class CDialog;
}

class CPortRange {
public:
    // Registers the selection handlers of the two ids with the dialog.
    CPortRange(ksx::CDialog& dlg, int fromId, int toId, std::string backwardText);

    // Fills both boxes with 1..ports and selects port 1 in both.
    void Fill(int ports);
    void SelectFirst();
    // The selected port numbers; 0 when nothing is selected.
    int From() const;
    int To() const;

private:
    void OnFromChanged();
    void OnToChanged();

    ksx::CDialog& m_dlg;
    int m_fromId;
    int m_toId;
    std::string m_backwardText;
};
