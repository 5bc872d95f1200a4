// Port descriptions in other scripts than ASCII, entered as an input method enters them: written to the
// device as their UTF-8 bytes, read back intact, and the 32-character limit of the box never cuts a
// character in half (a character outside the basic plane takes two UTF-16 units).
#include <gtest/gtest.h>

#include <QLineEdit>
#include <string>

#include "controls/ListCtrl.h"
#include "features/port_system/PortDescription.h"
#include "platform/sys/Globals.h"
#include "res/ids_port_small.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;
using test::DialogDriver;
using test::WaitUntil;

const std::string kDescription = "1.3.6.1.4.1.7393.10.76.20.1.1.16.1.2";
const std::string kGrin = "\xF0\x9F\x98\x80";  // U+1F600, two UTF-16 units

class DescriptionText : public test::SimTest {
protected:
    void WaitFilled(CPortDescription& dlg) {
        auto* list = static_cast<CListCtrl*>(dlg.GetDlgItem(IDC_PD_LIST));
        ASSERT_TRUE(WaitUntil(
            [&] { return dlg.IsDlgItemEnabled(IDC_PD_APPLY) && list->GetItemCount() == g_nPortNum; }));
    }
    // Enters the text into the description box, applies it to port 1; the value written.
    std::string Apply(CPortDescription& dlg, DialogDriver& drv, const std::string& text) {
        auto* edit = static_cast<QLineEdit*>(dlg.GetDlgItem(IDC_PD_DESCRIPTION));
        edit->setFocus();
        edit->clear();
        edit->insert(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        sim.ClearLog();
        drv.Click(IDC_PD_APPLY);
        const auto sets = test::Sets(sim.Requests());
        return sets.size() == 1 && sets[0].varbinds.size() == 1 ? sets[0].varbinds[0].value : "<no set>";
    }
    test::ScriptedMessageBox boxes;
};

TEST_F(DescriptionText, TextsGoOutAsUtf8AndComeBackIntactWithinWholeCharacters) {
    CPortDescription dlg;
    DialogDriver drv(dlg);
    WaitFilled(dlg);
    auto* list = static_cast<CListCtrl*>(dlg.GetDlgItem(IDC_PD_LIST));

    EXPECT_EQ(Apply(dlg, drv, "Café-Ω äö"), "Café-Ω äö");
    WaitFilled(dlg);
    EXPECT_EQ(list->GetItemText(0, 1).toUtf8().toStdString(), "Café-Ω äö");
    EXPECT_EQ(sim.Get(kDescription + ".1"), "Café-Ω äö");

    // 32 characters, the last one of two units, is within the limit and arrives whole.
    const std::string withGrin = std::string(31, 'a') + kGrin;
    EXPECT_EQ(Apply(dlg, drv, withGrin), withGrin);
    WaitFilled(dlg);
    EXPECT_EQ(list->GetItemText(0, 1).toUtf8().toStdString(), withGrin);

    // Past the limit the text ends at the last whole character.
    EXPECT_EQ(Apply(dlg, drv, std::string(32, 'a') + kGrin), std::string(32, 'a'));
    WaitFilled(dlg);
    std::string omegas;
    for (int i = 0; i < 40; ++i) {
        omegas += "Ω";
    }
    EXPECT_EQ(Apply(dlg, drv, omegas), omegas.substr(0, 64));
    WaitFilled(dlg);
    std::string grins;
    for (int i = 0; i < 33; ++i) {
        grins += kGrin;
    }
    EXPECT_EQ(Apply(dlg, drv, grins), grins.substr(0, 32 * 4));
}

}  // namespace
