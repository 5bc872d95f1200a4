// The message-box service over QMessageBox. Boxes are always shown on the UI thread: a call from a
// worker goes through the delivery gate (and gets the negative answer of its buttons when abandoned).
#pragma once

#include "platform/sys/DeliveryGate.h"
#include "platform/sys/MessageBox.h"

namespace ksx::ui {

class QtMessageBoxService : public IMessageBoxService {
public:
    QtMessageBoxService();
    ~QtMessageBoxService() override;
    int Show(const std::string& text, const std::string& caption, unsigned flags) override;

    // Shows the box on the calling (UI) thread; used by Show.
    static int ShowOnUiThread(const std::string& text, const std::string& caption, unsigned flags);
    // The answer given when a box cannot be shown: IDOK for MB_OK, IDNO for Yes/No, else IDCANCEL.
    static int NegativeAnswer(unsigned flags);

private:
    GateTarget m_target;
};

}  // namespace ksx::ui
