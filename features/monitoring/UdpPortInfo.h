// "UDP Service": the device's UDP listeners (MIB-II udpTable).
#pragma once

#include "features/monitoring/StdMibTable.h"

class CUdpPortInfo : public CStdMibTable {
public:
    static constexpr const char* kUdpLocalPort = "1.3.6.1.2.1.7.5.1.2";
    static constexpr const char* kUdpLocalAddress = "1.3.6.1.2.1.7.5.1.1";

    explicit CUdpPortInfo(QWidget* parent = nullptr);

protected:
    std::string Caption() const override { return "UDP Service"; }
};
