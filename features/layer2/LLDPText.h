// Texts and rules shared by the LLDP dialogs: the names of the chassis and port ID subtypes, the
// chassis ID as hexadecimal pairs, the transmit timer checks and the order in which new timers are
// written so that the device accepts each step.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ksx::lldp {

// Global settings view: "chassisComponent" ... "local" for 1..7, any other value as read.
std::string LocalChassisSubtypeText(const std::string& value);
// Remote neighbour list: the chassis ID and port ID subtype names for 1..7, "" for any other value.
std::string RemoteChassisSubtypeText(const std::string& value);
std::string RemotePortSubtypeText(const std::string& value);

// Upper-case hexadecimal pairs joined by "-": the first six octets of a chassis ID (a MAC address);
// a shorter value shows the octets it has.
std::string ChassisIdText(std::string_view octets);

// Integer value of an edit's text; an empty text counts 0.
int EditValue(const std::string& text);

// The timer checks in order; the first failure's message, or "" when all pass.
std::string CheckTimers(int multiplier, int interval, int reinitDelay, int txDelay);

// Objects of one timer write request.
enum class Timer { Multiplier, Interval, Reinit, TxDelay };
struct TimerRequest {
    std::vector<Timer> objects;
    bool ownSession = false;  // the multiplier's request of its own
    bool final = false;       // the last request, sent with retries
};
// The requests of a timer write, in order, chosen from the last-read TX delay and interval and the new
// interval and multiplier.
std::vector<TimerRequest> TimerWritePlan(int oldTxDelay, int oldInterval, int newInterval, int newMultiplier);

}  // namespace ksx::lldp
