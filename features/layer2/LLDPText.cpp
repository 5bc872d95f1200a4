// LLDP texts and timer rules.
#include "features/layer2/LLDPText.h"

#include <cstdio>

#include "core/TextNumbers.h"

namespace ksx::lldp {

namespace {

std::string Pick(const std::string& value, const char* const (&names)[7], const std::string& other) {
    if (value.size() == 1 && value[0] >= '1' && value[0] <= '7') {
        return names[value[0] - '1'];
    }
    return other;
}

}  // namespace

std::string LocalChassisSubtypeText(const std::string& value) {
    static const char* const kNames[7] = {"chassisComponent", "interfaceAlias", "portComponent", "macAddress",
                                          "networkAddress",   "interfaceName",  "local"};
    return Pick(value, kNames, value);
}

std::string RemoteChassisSubtypeText(const std::string& value) {
    static const char* const kNames[7] = {"ChassisComponent", "InterfaceAlias", "PortComponent", "MacAddress",
                                          "NetworkAddress",   "InterfaceName",  "Local"};
    return Pick(value, kNames, "");
}

std::string RemotePortSubtypeText(const std::string& value) {
    static const char* const kNames[7] = {"InterfaceAlias", "PortComponent",  "MacAddress", "NetworkAddress",
                                          "InterfaceName",  "AgentCircuitld", "Local"};
    return Pick(value, kNames, "");
}

std::string ChassisIdText(std::string_view octets) {
    std::string text;
    const size_t count = octets.size() < 6 ? octets.size() : 6;
    for (size_t i = 0; i < count; ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(octets[i]));
        if (i > 0) {
            text += "-";
        }
        text += pair;
    }
    return text;
}

int EditValue(const std::string& text) {
    return ksx::text::LeadingInt(text);
}

std::string CheckTimers(int multiplier, int interval, int reinitDelay, int txDelay) {
    if (multiplier < 2 || multiplier > 10) {
        return "The Message TX Hold Multipier should be 2-10";
    }
    if (interval < 5 || interval > 32768) {
        return "The Message TX Interval should be 5-32768";
    }
    if (static_cast<long long>(interval) * multiplier > 65535) {
        return "(Message TX Interval * Message TX Hold Multiplier) > 65535. ";
    }
    if (txDelay < 1 || txDelay > 8192) {
        return "The LLDP TX Delay should be 1-8192";
    }
    if (static_cast<double>(txDelay) > 0.25 * static_cast<double>(interval)) {
        return "LLDP TX Delay should be <= 0.25 * (Message TX Interval)";
    }
    if (reinitDelay < 1 || reinitDelay > 10) {
        return "The LLDP Reinit Delay should be 1-10";
    }
    return "";
}

std::vector<TimerRequest> TimerWritePlan(int oldTxDelay, int oldInterval, int newInterval,
                                         int newMultiplier) {
    const bool delayFirst = 0.25 * static_cast<double>(newInterval) < static_cast<double>(oldTxDelay);
    const bool holdLater = static_cast<long long>(oldInterval) * newMultiplier > 65535;
    const TimerRequest hold{{Timer::Multiplier}, true, false};
    if (delayFirst) {
        const TimerRequest delay{{Timer::TxDelay}, false, false};
        const TimerRequest rest{{Timer::TxDelay, Timer::Reinit, Timer::Interval}, false, false};
        TimerRequest last = rest;
        last.final = true;
        if (holdLater) {
            return {delay, rest, hold, last};
        }
        return {delay, hold, rest, last};
    }
    const TimerRequest interval{{Timer::Interval}, false, false};
    const TimerRequest last{{Timer::Interval, Timer::Reinit, Timer::TxDelay}, false, true};
    if (holdLater) {
        return {interval, hold, last};
    }
    return {hold, interval, last};
}

}  // namespace ksx::lldp
