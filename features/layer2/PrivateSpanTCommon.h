// What the enterprise spanning tree dialogs and the bridge MIB ones have in common: the bridge timer
// checks, the bridge write sequence (with the timers read before put back when it ends while the temporary
// ones may stay), the port table's cell texts and the port write. No Qt here.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "core/StepRunner.h"
#include "core/TableRead.h"

namespace ksx::stp {

// P and B of the object tables.
inline const std::string kEnt = "1.3.6.1.4.1.7393.10.76.20.1";
inline const std::string kBridge = kEnt + ".6.1";       // enterprise bridge scalars
inline const std::string kPortTable = kEnt + ".6.2.1";  // enterprise port table, columns .1 to .18
inline const std::string kStateOid = kBridge + ".1.0";
inline const std::string kVersionOid = kBridge + ".2.0";
inline const std::string kDot1dStp = "1.3.6.1.2.1.17.2";
inline const std::string kDot1dPortTable = kDot1dStp + ".15.1";
inline const std::string kLbdPortState = kEnt + ".17.5.1.2";
inline const std::string kTrunkMembers = kEnt + ".8.1.3.1.2";

// The temporary timers of the write sequence, in 1/100 s: hello 1 s and forward delay 30 s let any
// valid max age through.
constexpr int kTempHello = 100;
constexpr int kTempForwardDelay = 3000;

// Relation checks of the three bridge timers, `unit` steps per second (1 for seconds, 100 for hundredths).
// The message of the first broken relation, or "" when both hold.
std::string BridgeRelationMessage(double maxAge, double hello, double forwardDelay, double unit);

// One integer binding of a write.
struct SetBinding {
    std::string oid;
    std::string value;
};

// One SET request of a sequence.
struct WriteStep {
    CCommonSNMP* session = nullptr;
    std::vector<SetBinding> bindings;
    int timeoutMs = 0;  // 0: the session's
    int pauseMs = 0;    // after an accepted request
};

// Sends one request (value type 1) and, once accepted, makes its pause; the layer's account of it.
SnmpAnswer SendStepAnswer(const WriteStep& step);
// True when the device accepted it.
bool SendStep(const WriteStep& step);

// The bridge write of both bridge dialogs, after the form passed its checks.
struct BridgeWrite {
    CCommonSNMP* set = nullptr;         // state "1", the timers, priority and version
    CCommonSNMP* set0 = nullptr;        // state "2" and the temporary timers
    bool enable = false;                // the state check box
    std::string* remembered = nullptr;  // "1"/"0": the device's state as last read or written
    std::string helloOid;
    std::string forwardDelayOid;
    std::string maxAgeOid;
    std::vector<SetBinding> timers;  // each its own request after the temporary timers; hello last
    std::vector<SetBinding> last;    // priority and version, one request after the timers
    // The timers read before (1/100 s), put back when the write ends between the temporary timers and
    // the last timer.
    int readMaxAge = 0;
    int readHello = 0;
    int readForwardDelay = 0;
};

enum class BridgeWriteResult {
    kStateOff,        // only the state "2" was written
    kWritten,         // everything was accepted
    kFailed,          // a step failed; nothing temporary stayed on the device
    kFailedRestored,  // a step failed after the temporary timers; the timers read before are back
    kFailedNotRestored,
    kFailedRestoreUnconfirmed,  // the device did not answer the put-back of the timers read before
};

// One request of the bridge write sequence.
struct BridgeStep {
    enum Kind { kStateOff, kStateOn, kTemporary, kTimer, kLast };
    Kind kind = kLast;
    WriteStep write;
    std::string what;  // what the request writes, for the user ("the Max Age")
};

// The requests of the sequence in order (see WriteBridge), by the remembered state as it is now.
std::vector<BridgeStep> PlanBridgeWrite(const BridgeWrite& write);

// The device may hold the temporary timers: the first `sent` steps of `plan` may have reached it, those
// before `done` were confirmed, and the temporary timers went out but the last timer was not confirmed.
bool TimersBackNeeded(const std::vector<BridgeStep>& plan, int sent, int done);
// The one request that puts back the timers read before, on `session`.
WriteStep TimersBack(const BridgeWrite& write, CCommonSNMP* session);

// How a step of the plan failed.
struct BridgeStepFailure {
    BridgeWriteResult result = BridgeWriteResult::kFailed;
    SnmpAnswer answer;   // its request (unanswered: the device may have applied it)
    SnmpAnswer restore;  // the put-back of the timers read before, when it was sent
};

// Sends step `index` of `plan`: none when accepted (a state step updates the remembered state), else how
// the sequence failed; a failure that may leave the temporary timers (TimersBackNeeded) puts the timers
// read before back first, unless `stopping` (none: never) says a stop was asked for. `pause` waits after
// an accepted request that asks for it (false: stop waiting, the run is ending); none: a plain sleep.
std::optional<BridgeStepFailure> SendBridgeStep(const BridgeWrite& write, const std::vector<BridgeStep>& plan,
                                                int index,
                                                const std::function<bool(unsigned)>& pause = nullptr,
                                                const std::function<bool()>& stopping = nullptr);

// What a write stopped by Close says of its steps: the values written, the one the device did not
// confirm (only a request that was sent), the values not written.
std::string BridgeStoppedText(const std::vector<BridgeStep>& plan, const ksx::StepsEnd& end);
// What the put-back of the timers read before (TimersBack, a run of one step) did.
std::string TimersBackText(const ksx::StepsEnd& end);

// Runs the sequence: state "2" alone when disabling; else state "1" when the remembered state is "0",
// the temporary hello and forward delay, each timer, then priority and version. `stateOneWritten` is
// set once state "1" was accepted. Updates the remembered state after each accepted state write.
BridgeWriteResult WriteBridge(const BridgeWrite& write, bool* stateOneWritten);

// The message of a write sequence that failed at `step` ("" for success): how its request went and
// what became of the timers read before.
std::string BridgeWriteMessage(const BridgeStepFailure& failure, const BridgeStep& step);

// ---- The enterprise port table (the list of the port table dialog) ----

// Cells of one port row, in list order (port, state, priority, cost, edge, P2P, restricted role,
// restricted TCN, port status), from the ten walked values in the order they were asked for.
std::vector<std::string> PortRowCells(const std::vector<std::string>& values);

// A cost cell: "AUTO/20000" is automatic with 20000 in use; anything else a fixed cost.
struct CostCell {
    bool automatic = false;
    int value = 0;
};
CostCell ParseCostCell(const std::string& cell);

// The edited port, as the editor's controls hold it.
struct PortEdit {
    std::string port;
    bool enable = false;
    std::string priorityText;  // the priority box's text; "" writes no priority
    int cost = 0;
    CostCell shownCost;      // what the row showed, to keep an automatic cost automatic
    int restrictedTcn = -1;  // list selections, -1 none
    int migrate = -1;
    int pointToPoint = -1;
    int restrictedRole = -1;
    int edge = -1;
};

// The bindings of the port write in the device's order; unselected lists and an empty priority are
// left out, an automatic cost left as shown is written as 0, the priority as the number it reads as.
std::vector<SetBinding> PortWriteBindings(const PortEdit& edit);

// ---- The bridge MIB port table ----

// "%02X %02X" for 2 octets, "%02X:...:%02X" for 8, the text as returned otherwise.
std::string BridgeIdText(const std::string& octets);

// The values of a one-step read as text, each checked against its kind ('i' INTEGER, 'u' counter, gauge
// or time ticks, 's' octets): none when one is missing or of another type, so that nothing of a reply
// read in part is shown or written back.
std::optional<std::vector<std::string>> CheckedValues(const ksx::WalkStep& step, const std::string& kinds);
// Port states 1..6 of the bridge MIB, other values as read.
std::string Dot1dPortStateText(const std::string& value);

}  // namespace ksx::stp
