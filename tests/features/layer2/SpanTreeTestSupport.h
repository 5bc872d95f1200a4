// What the spanning tree and loopback detection tests share: the simulated switch started once per
// suite with the SNMP library ready, the trunk member column and the folder of the layer 2
// screenshots.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <string>

#include "platform/snmplib/Snmp.h"
#include "tests/support/SimTestHelpers.h"

namespace ksx::test {

inline const std::string kStpTrunkMembers = "1.3.6.1.4.1.7393.10.76.20.1.8.1.3.1.2";

class StpSimTest : public SharedSimTest {
public:
    static void SetUpTestSuite() {
        SnmpInit();
        SharedSimTest::SetUpTestSuite();
    }
};

// The folder of the layer 2 screenshots, made when missing.
inline QString Layer2ShotDir() {
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots/layer2";
    QDir().mkpath(dir);
    return dir;
}

}  // namespace ksx::test
