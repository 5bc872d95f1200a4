// Fixture of the feature-logic base tests: the SNMP library set up, one simulated switch shared by the
// suite, and message boxes recorded instead of shown.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/snmplib/Snmp.h"
#include "platform/sys/MessageBox.h"
#include "tests/support/SimTestHelpers.h"

namespace ksx::test {

// Answers every box with OK and keeps its text (any thread).
class RecordingBoxes : public IMessageBoxService {
public:
    int Show(const std::string& text, const std::string&, unsigned) override {
        std::lock_guard<std::mutex> guard(mutex);
        texts.push_back(text);
        return IDOK;
    }
    std::vector<std::string> Texts() {
        std::lock_guard<std::mutex> guard(mutex);
        return texts;
    }
    std::mutex mutex;
    std::vector<std::string> texts;
};

class ModuleBaseSuite : public SharedSimTest {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        SharedSimTest::SetUpTestSuite();
    }

protected:
    void SetUp() override {
        SharedSimTest::SetUp();
        SetMessageBoxService(&boxes_);
    }
    void TearDown() override {
        SetMessageBoxService(nullptr);
        SharedSimTest::TearDown();
    }

    RecordingBoxes boxes_;
};

}  // namespace ksx::test
