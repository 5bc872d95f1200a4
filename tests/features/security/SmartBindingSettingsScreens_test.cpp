// The binding and ARP spoofing prevention dialogs after their first read, at 28 and 52 ports and at the
// default and a 1.5 times larger font, with a gateway listed: nothing the look check calls broken, the
// add dialog's port grid holds every port, and a picture of each is saved
// (build/screenshots/security/) for a look.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "features/security/ARPSpoofSetting.h"
#include "features/security/AddARPEntry.h"
#include "features/security/IMPBBlackList.h"
#include "features/security/IMPBSmartBinding.h"
#include "features/security/IMPBWhiteList.h"
#include "features/security/SmartBindingSettings.h"
#include "platform/sys/Globals.h"
#include "res/ids_impb.h"
#include "tests/support/SimTestHelpers.h"
#include "tests/support/ui/DialogDriver.h"
#include "tests/support/ui/LookCheck.h"
#include "tests/support/ui/ScriptedMessageBox.h"

namespace {

using namespace ksx;

struct Maker {
    const char* name;
    std::function<std::unique_ptr<CDialog>()> make;
    int readyId;  // enabled once the first read ended
};

const std::vector<Maker>& Dialogs() {
    static const std::vector<Maker> makers = {
        {"smart_binding_settings", [] { return std::make_unique<CSmartBindingSettings>(); },
         IDC_IMPBSET_REFRESH},
        {"smart_binding", [] { return std::make_unique<CIMPBSmartBinding>(); }, IDC_IMPBB_REFRESH},
        {"white_list", [] { return std::make_unique<CIMPBWhiteList>(); }, IDC_IMPBW_REFRESH},
        {"black_list", [] { return std::make_unique<CIMPBBlackList>(); }, IDC_IMPBK_REFRESH},
        {"arp_spoofing", [] { return std::make_unique<CARPSpoofSetting>(); }, IDC_ARPS_REFRESH},
        {"arp_add", [] { return std::make_unique<CAddARPEntry>(); }, IDC_ARPA_APPLY},
    };
    return makers;
}

// Every port box of the add dialog is inside the window.
int PortBoxesOutside(CDialog& dlg) {
    int outside = 0;
    for (int p = 1; p <= g_nPortNum; ++p) {
        QWidget* box = dlg.GetDlgItem(IDC_ARPA_PORT_BASE + p);
        if (box == nullptr || !dlg.rect().contains(QRect(box->mapTo(&dlg, QPoint(0, 0)), box->size()))) {
            ++outside;
        }
    }
    return outside;
}

class SecurityScreens : public test::SharedSimTest {
protected:
    void TearDown() override {
        g_nPortNum = 28;
        test::SharedSimTest::TearDown();
    }
    void Shoot(int ports) {
        g_nPortNum = ports;
        const std::string gateway = "1.3.6.1.4.1.7393.10.76.20.1.14.3.1.1.";
        s_sim->Set(gateway + "1.192.168.0.254", "a", "192.168.0.254");
        s_sim->Set(gateway + "2.192.168.0.254", "x", "001e944c2001");
        s_sim->Set(gateway + "3.192.168.0.254", "x", ports > 28 ? "f000000000000010" : "f0000000");
        s_sim->Set(gateway + "4.192.168.0.254", "i", "1");
        const QFont normal = QApplication::font();
        const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/security";
        QDir().mkpath(dir);
        for (double scale : {1.0, 1.5}) {
            QFont font = normal;
            font.setPointSizeF(normal.pointSizeF() * scale);
            QApplication::setFont(font);
            for (const Maker& m : Dialogs()) {
                std::unique_ptr<CDialog> dlg = m.make();
                test::DialogDriver drv(*dlg);
                EXPECT_TRUE(test::WaitUntil([&] { return dlg->IsDlgItemEnabled(m.readyId); })) << m.name;
                test::PumpEvents();
                const std::string what =
                    std::string(m.name) + " " + std::to_string(ports) + " at " + std::to_string(scale);
                test::SettleLists(dlg.get());
                EXPECT_EQ(test::LookProblems(dlg.get()), std::vector<std::string>{}) << what;
                if (std::string(m.name) == "arp_add") {
                    EXPECT_EQ(PortBoxesOutside(*dlg), 0) << what;
                }
                const QString file =
                    QString("%1/%2_%3_%4.png")
                        .arg(dir, m.name, QString::number(ports), scale == 1.0 ? "1x" : "1.5x");
                EXPECT_TRUE(test::GrabScreenshot(dlg.get(), file.toStdString()));
            }
        }
        QApplication::setFont(normal);
    }
    test::ScriptedMessageBox boxes;
};

TEST_F(SecurityScreens, TwentyEightPorts) {
    Shoot(28);
}

class SecurityScreens52 : public SecurityScreens {
public:
    static void SetUpTestSuite() { StartSim({"ksx-4200-52", {}}); }
};

TEST_F(SecurityScreens52, FiftyTwoPorts) {
    Shoot(52);
}

}  // namespace
