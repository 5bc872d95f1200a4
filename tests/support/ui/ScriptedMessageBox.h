// The message-box script of the tests: records every box (text, caption, flags) and gives queued
// answers; with no queued answer a box gets IDOK (or IDYES for Yes/No boxes), or fails the test when
// FailOnUnexpected is on. Installs itself for its lifetime. Any thread may show a box.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sys/MessageBox.h"

namespace ksx::test {

class ScriptedMessageBox : public IMessageBoxService {
public:
    struct Box {
        std::string text;
        std::string caption;
        unsigned flags = 0;
        int answer = 0;
    };

    ScriptedMessageBox();
    ~ScriptedMessageBox() override;
    ScriptedMessageBox(const ScriptedMessageBox&) = delete;
    ScriptedMessageBox& operator=(const ScriptedMessageBox&) = delete;

    // Queues the answer of the next box.
    void Answer(int answer);
    // A box with no queued answer records a test failure (it is still answered by default).
    void FailOnUnexpected(bool on = true);

    std::vector<Box> Boxes() const;
    std::vector<std::string> Texts() const;
    std::size_t Count() const;
    std::string LastText() const;  // "" when none
    void Clear();
    // Pumps events until `count` boxes were shown or the limit passes.
    bool WaitForCount(std::size_t count, int limitMs = 20000) const;

    int Show(const std::string& text, const std::string& caption, unsigned flags) override;

private:
    mutable std::mutex m_mutex;
    std::deque<int> m_answers;
    std::vector<Box> m_boxes;
    bool m_failOnUnexpected = false;
    IMessageBoxService* m_previous;
};

}  // namespace ksx::test
