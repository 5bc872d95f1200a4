// "IP Table : <address>": the device's IP addresses with their netmasks (MIB-II ipAddrTable).
#pragma once

#include "features/monitoring/StdMibTable.h"

class CIPAddrTable : public CStdMibTable {
public:
    static constexpr const char* kIpAdEntAddr = "1.3.6.1.2.1.4.20.1.1";
    static constexpr const char* kIpAdEntNetMask = "1.3.6.1.2.1.4.20.1.3";

    explicit CIPAddrTable(QWidget* parent = nullptr);

protected:
    std::string Caption() const override;
};
