// What the layer-2 dialog tests share: the private MIB prefix their request lines are cut at, a list
// row as text, and a fixture on the shared simulator (28 ports, scripted message boxes, error statuses
// that are cleared again after each test).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/ListCtrl.h"
#include "platform/sys/Globals.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace ksx::test::layer2 {

inline const std::string kP = "1.3.6.1.4.1.7393.10.76.20.1";
inline const size_t kCut = kP.size() + 1;

inline std::vector<std::string> Row(CListCtrl* list, int row) {
    std::vector<std::string> out;
    for (int c = 0; c < list->GetColumnCount(); ++c) {
        out.push_back(list->GetItemText(row, c).toStdString());
    }
    return out;
}

class Layer2SimTest : public SharedSimTest {
protected:
    void SetUp() override {
        SharedSimTest::SetUp();
        g_nPortNum = 28;
    }
    void TearDown() override {
        for (const std::string& oid : m_failing) {
            s_sim->ErrorStatus(oid, 0);
        }
        SharedSimTest::TearDown();
    }
    // Makes the simulator answer writes of the object with the error status until the test ends.
    void Fail(const std::string& oid, int status) {
        m_failing.push_back(oid);
        s_sim->ErrorStatus(oid, status);
    }
    std::vector<std::string> SetsSent() { return SetLines(s_sim->Requests(), kCut); }

    ScriptedMessageBox boxes;
    std::vector<std::string> m_failing;
};

}  // namespace ksx::test::layer2
