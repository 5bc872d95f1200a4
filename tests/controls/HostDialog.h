// A small dialog for the control tests: hosts controls at fixed client positions and records every
// window message its controls send it.
#pragma once

#include <functional>
#include <map>
#include <vector>

#include "platform/ui/Dialog.h"

namespace ksx::test {

struct ReceivedMessage {
    unsigned msg;
    WPARAM wParam;
    LPARAM lParam;
};

class HostDialog : public CDialog {
public:
    explicit HostDialog(int width = 420, int height = 260)
        : CDialog(9000), m_width(width), m_height(height) {}

    // Adds a control under `id` at `geometry` in client pixels.
    template <class W>
    W* Add(int id, W* w, const QRect& geometry) {
        w->setParent(Client());
        w->setGeometry(geometry);
        RegisterControl(id, w);
        return w;
    }

    std::vector<ReceivedMessage> messages;
    // Runs inside the handling of a message, before it returns (may change the sending control).
    std::function<void(const ReceivedMessage&)> onMessage;

    std::vector<ReceivedMessage> Of(unsigned msg) const {
        std::vector<ReceivedMessage> out;
        for (const auto& m : messages) {
            if (m.msg == msg) {
                out.push_back(m);
            }
        }
        return out;
    }

protected:
    void CreateControls() override { SetClientSize(m_width, m_height); }
    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override {
        if (msg >= WM_APP) {
            messages.push_back({msg, wParam, lParam});
            if (onMessage) {
                onMessage(messages.back());
            }
            return 1;
        }
        return CDialog::WindowProc(msg, wParam, lParam);
    }

private:
    int m_width;
    int m_height;
};

}  // namespace ksx::test
