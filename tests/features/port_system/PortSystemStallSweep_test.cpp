// The stall sweep (tests/features/StallSweepRunner.h) of the port, power, system and tools menus.
#include "tests/features/StallSweepRunner.h"

namespace ksx::stallsweep {

const char* AreaName() {
    return "port_system";
}
const std::vector<Entry>& Unreached() {
    static const std::vector<Entry> entries;
    return entries;
}

}  // namespace ksx::stallsweep
