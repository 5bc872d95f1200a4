#include "tests/support/ui/ScriptedMessageBox.h"

#include <gtest/gtest.h>

#include "platform/snmplib/Tripwire.h"
#include "tests/support/ui/DialogDriver.h"

namespace ksx::test {

ScriptedMessageBox::ScriptedMessageBox() : m_previous(GetMessageBoxService()) {
    SetMessageBoxService(this);
}

ScriptedMessageBox::~ScriptedMessageBox() {
    if (GetMessageBoxService() == this) {
        SetMessageBoxService(m_previous);
    }
}

void ScriptedMessageBox::Answer(int answer) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_answers.push_back(answer);
}

void ScriptedMessageBox::FailOnUnexpected(bool on) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_failOnUnexpected = on;
}

std::vector<ScriptedMessageBox::Box> ScriptedMessageBox::Boxes() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_boxes;
}

std::vector<std::string> ScriptedMessageBox::Texts() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<std::string> texts;
    for (const Box& b : m_boxes) {
        texts.push_back(b.text);
    }
    return texts;
}

std::size_t ScriptedMessageBox::Count() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_boxes.size();
}

std::string ScriptedMessageBox::LastText() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_boxes.empty() ? std::string() : m_boxes.back().text;
}

void ScriptedMessageBox::Clear() {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_boxes.clear();
    m_answers.clear();
}

bool ScriptedMessageBox::WaitForCount(std::size_t count, int limitMs) const {
    return WaitUntil([this, count] { return Count() >= count; }, limitMs);
}

int ScriptedMessageBox::Show(const std::string& text, const std::string& caption, unsigned flags) {
    // On screen a box runs its own event loop until it is answered.
    tripwire::EventsHandled();
    std::lock_guard<std::mutex> guard(m_mutex);
    int answer = 0;
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    } else {
        if (m_failOnUnexpected) {
            ADD_FAILURE() << "unexpected message box: \"" << text << "\" caption \"" << caption << "\" flags "
                          << flags;
        }
        const unsigned buttons = flags & 0xFu;
        answer = (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) ? IDYES : IDOK;
    }
    m_boxes.push_back(Box{text, caption, flags, answer});
    return answer;
}

}  // namespace ksx::test
