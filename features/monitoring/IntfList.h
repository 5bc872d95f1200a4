// "Interface Table": every interface's index, operational state and speed (MIB-II ifTable).
#pragma once

#include "features/monitoring/StdMibTable.h"

class CIntfList : public CStdMibTable {
public:
    static constexpr const char* kIfIndex = "1.3.6.1.2.1.2.2.1.1";
    static constexpr const char* kIfOperStatus = "1.3.6.1.2.1.2.2.1.8";
    static constexpr const char* kIfSpeed = "1.3.6.1.2.1.2.2.1.5";

    explicit CIntfList(QWidget* parent = nullptr);

    // "Connected", "UnConnected", "Test" or "Unknown" for an ifOperStatus text.
    static std::string LinkStatusText(const std::string& value);
    // Bits per second as whole megabits: "100M" for 100000000.
    static std::string SpeedText(unsigned long long bitsPerSecond);

protected:
    std::string Caption() const override { return "Interface Table"; }
};
