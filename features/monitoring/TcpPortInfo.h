// "TCP Service": the device's TCP connections and listeners (MIB-II tcpConnTable), state by name.
#pragma once

#include "features/monitoring/StdMibTable.h"

class CTcpPortInfo : public CStdMibTable {
public:
    static constexpr const char* kTcpConnLocalPort = "1.3.6.1.2.1.6.13.1.3";
    static constexpr const char* kTcpConnLocalAddress = "1.3.6.1.2.1.6.13.1.2";
    static constexpr const char* kTcpConnRemAddress = "1.3.6.1.2.1.6.13.1.4";
    static constexpr const char* kTcpConnRemPort = "1.3.6.1.2.1.6.13.1.5";
    static constexpr const char* kTcpConnState = "1.3.6.1.2.1.6.13.1.1";

    explicit CTcpPortInfo(QWidget* parent = nullptr);

    // "listen", "established", ...; "closed" for 1 and for any value it does not know.
    static std::string StateText(const std::string& value);

protected:
    std::string Caption() const override { return "TCP Service"; }
};
