#include "features/layer2/PrivateSpanTCommon.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "core/TextNumbers.h"

namespace ksx::stp {

namespace {

void Pause(int ms) {
    if (ms > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

std::string Pick(const std::string& value, std::initializer_list<std::pair<const char*, const char*>> names) {
    for (const auto& [key, text] : names) {
        if (value == key) {
            return text;
        }
    }
    return value;
}

}  // namespace

std::string BridgeRelationMessage(double maxAge, double hello, double forwardDelay, double unit) {
    if (maxAge < 2 * (hello + unit)) {
        return "To set the parameters Hello Time and Max Age the following relation is to be satisfied: "
               "\nMax Age >= (2*(Hello Time + 1.0))";
    }
    if (2 * (forwardDelay - unit) < maxAge) {
        return "To set the parameters Forward Delay and Max Age, the following relation is to be satisfied: "
               "\n2*(Forward Delay - 1) >= Max Age";
    }
    return std::string();
}

SnmpAnswer SendStepAnswer(const WriteStep& step) {
    if (step.session == nullptr || !step.session->Open(CCommonSNMP::REQUEST_SET)) {
        return {};  // nothing was sent
    }
    for (const SetBinding& b : step.bindings) {
        step.session->AddVarBind(b.oid, 1, b.value.c_str());
    }
    const SnmpAnswer answer = SendRequest(*step.session, step.timeoutMs).Answer();
    if (answer.Accepted()) {
        Pause(step.pauseMs);
    }
    return answer;
}

bool SendStep(const WriteStep& step) {
    return SendStepAnswer(step).Accepted();
}

std::vector<BridgeStep> PlanBridgeWrite(const BridgeWrite& w) {
    std::vector<BridgeStep> plan;
    if (!w.enable) {
        plan.push_back({BridgeStep::kStateOff, {w.set0, {{kStateOid, "2"}}, 0, 30}, "the state"});
        return plan;
    }
    if (*w.remembered == "0") {
        plan.push_back({BridgeStep::kStateOn, {w.set, {{kStateOid, "1"}}, 3500, 30}, "the state"});
    }
    plan.push_back(
        {BridgeStep::kTemporary,
         {w.set0,
          {{w.helloOid, std::to_string(kTempHello)}, {w.forwardDelayOid, std::to_string(kTempForwardDelay)}},
          0,
          50},
         "the temporary timers"});
    for (const SetBinding& timer : w.timers) {
        const std::string what = timer.oid == w.helloOid          ? "the Hello Time"
                                 : timer.oid == w.forwardDelayOid ? "the Forward Delay"
                                 : timer.oid == w.maxAgeOid       ? "the Max Age"
                                                                  : "the Transmit Hold Count";
        plan.push_back({BridgeStep::kTimer, {w.set, {timer}, 0, 0}, what});
    }
    plan.push_back({BridgeStep::kLast,
                    {w.set, w.last, 0, 30},
                    w.last.size() > 1 ? "the priority and version" : "the priority"});
    return plan;
}

bool TimersBackNeeded(const std::vector<BridgeStep>& plan, int sent, int done) {
    int temporary = -1;
    int lastTimer = -1;
    for (int i = 0; i < static_cast<int>(plan.size()); ++i) {
        if (plan[static_cast<size_t>(i)].kind == BridgeStep::kTemporary) {
            temporary = i;
        } else if (plan[static_cast<size_t>(i)].kind == BridgeStep::kTimer) {
            lastTimer = i;
        }
    }
    return temporary >= 0 && temporary < sent && done <= lastTimer;
}

WriteStep TimersBack(const BridgeWrite& w, CCommonSNMP* session) {
    // One request: the device checks the timers' relations on the three together.
    return {session,
            {{w.maxAgeOid, std::to_string(w.readMaxAge)},
             {w.helloOid, std::to_string(w.readHello)},
             {w.forwardDelayOid, std::to_string(w.readForwardDelay)}},
            0,
            0};
}

std::optional<BridgeStepFailure> SendBridgeStep(const BridgeWrite& w, const std::vector<BridgeStep>& plan,
                                                int index, const std::function<bool(unsigned)>& pause,
                                                const std::function<bool()>& stopping) {
    const BridgeStep& step = plan[static_cast<size_t>(index)];
    WriteStep request = step.write;
    request.pauseMs = 0;
    const SnmpAnswer answer = SendStepAnswer(request);
    if (!answer.Accepted()) {
        BridgeStepFailure failure;
        failure.answer = answer;
        if (!TimersBackNeeded(plan, index + (answer.Unanswered() ? 1 : 0), index) ||
            (stopping && stopping())) {
            return failure;
        }
        failure.restore = SendStepAnswer(TimersBack(w, w.set));
        failure.result = failure.restore.Accepted()     ? BridgeWriteResult::kFailedRestored
                         : failure.restore.Unanswered() ? BridgeWriteResult::kFailedRestoreUnconfirmed
                                                        : BridgeWriteResult::kFailedNotRestored;
        return failure;
    }
    if (step.kind == BridgeStep::kStateOff) {
        *w.remembered = "0";
    } else if (step.kind == BridgeStep::kStateOn) {
        *w.remembered = "1";
    }
    if (step.write.pauseMs > 0) {
        if (pause) {
            pause(static_cast<unsigned>(step.write.pauseMs));
        } else {
            Pause(step.write.pauseMs);
        }
    }
    return std::nullopt;
}

BridgeWriteResult WriteBridge(const BridgeWrite& w, bool* stateOneWritten) {
    if (stateOneWritten != nullptr) {
        *stateOneWritten = false;
    }
    const std::vector<BridgeStep> plan = PlanBridgeWrite(w);
    for (int i = 0; i < static_cast<int>(plan.size()); ++i) {
        if (const auto failed = SendBridgeStep(w, plan, i)) {
            return failed->result;
        }
        const BridgeStep::Kind kind = plan[static_cast<size_t>(i)].kind;
        if (kind == BridgeStep::kStateOff) {
            return BridgeWriteResult::kStateOff;
        }
        if (kind == BridgeStep::kStateOn && stateOneWritten != nullptr) {
            *stateOneWritten = true;
        }
    }
    return BridgeWriteResult::kWritten;
}

std::string BridgeStoppedText(const std::vector<BridgeStep>& plan, const ksx::StepsEnd& end) {
    std::vector<ksx::StepsName> names;
    for (const BridgeStep& step : plan) {
        names.push_back(
            {step.what, step.what.find(" and ") != std::string::npos || step.kind == BridgeStep::kTemporary});
    }
    return ksx::RunEndText(end, ksx::ListNamer(std::move(names)));
}

std::string TimersBackText(const ksx::StepsEnd& end) {
    const StepsName timers{"the Max Age, Hello Time and Forward Delay read before", true};
    if (end.Complete()) {
        return Capitalised(timers.text) + " were put back.";
    }
    // A put-back stopped (the application ending) says what it confirmed, not a failure.
    const std::string text =
        end.stopped ? Capitalised(TallyText(RunTally::Of(end), ListNamer({timers}), "put back")) + "."
                    : RunEndText(end, ListNamer({timers}), "put back");
    return text + " The device may keep the temporary timers (Hello Time 1 s, Forward Delay 30 s).";
}

std::string BridgeWriteMessage(const BridgeStepFailure& failure, const BridgeStep& step) {
    if (failure.answer.Accepted()) {
        return std::string();
    }
    const bool plural = step.what.find(" and ") != std::string::npos || step.kind == BridgeStep::kTemporary;
    std::string text =
        AnswerText(failure.answer, {step.what, plural}, "Failed to write the spanning tree settings:");
    const StepsName timers{"the previous Max Age, Hello Time and Forward Delay", true};
    switch (failure.result) {
        case BridgeWriteResult::kFailedRestored:
            return text + " " + Capitalised(timers.text) + " were restored.";
        case BridgeWriteResult::kFailedNotRestored:
        case BridgeWriteResult::kFailedRestoreUnconfirmed:
            return text + " " + AnswerText(failure.restore, timers, "", "restored");
        default:
            return text;
    }
}

std::vector<std::string> PortRowCells(const std::vector<std::string>& v) {
    std::vector<std::string> cells(9);
    if (v.size() < 10) {
        return cells;
    }
    cells[0] = v[0];
    cells[1] = v[1] == "1" ? "Enabled" : "Disabled";
    cells[2] = v[2];
    cells[3] = v[3];
    if (v[3] == "0") {
        cells[3] = v[9] == "0" ? "0" : "AUTO/" + v[9];
    }
    cells[4] = Pick(v[4], {{"0", "False"}, {"1", "True"}, {"2", "Auto"}});
    cells[5] = Pick(v[5], {{"0", "Force True"}, {"1", "Force False"}, {"2", "Auto"}});
    cells[6] = Pick(v[6], {{"1", "True"}, {"2", "False"}});
    cells[7] = Pick(v[7], {{"1", "True"}, {"2", "False"}});
    cells[8] = Pick(v[8], {{"1", "Disabled"}, {"2", "Discarding"}, {"4", "Learning"}, {"5", "Forwarding"}});
    return cells;
}

CostCell ParseCostCell(const std::string& cell) {
    const size_t slash = cell.find('/');
    if (slash == std::string::npos) {
        return {false, text::LeadingInt(cell)};
    }
    return {true, text::LeadingInt(cell.substr(slash + 1))};
}

std::vector<SetBinding> PortWriteBindings(const PortEdit& e) {
    const std::string at = "." + e.port;
    std::vector<SetBinding> out;
    out.push_back({kPortTable + ".4" + at, e.enable ? "1" : "2"});
    if (!text::Trimmed(e.priorityText).empty()) {
        out.push_back({kPortTable + ".2" + at, std::to_string(text::LeadingInt(e.priorityText))});
    }
    const bool keepAutomatic = e.shownCost.automatic && e.cost == e.shownCost.value;
    out.push_back({kPortTable + ".5" + at, std::to_string(keepAutomatic ? 0 : e.cost)});
    if (e.restrictedTcn >= 0) {
        out.push_back({kPortTable + ".18" + at, std::to_string(e.restrictedTcn + 1)});
    }
    if (e.migrate >= 0) {
        out.push_back({kPortTable + ".12" + at, std::to_string(e.migrate + 1)});
    }
    if (e.pointToPoint >= 0) {
        out.push_back({kPortTable + ".14" + at, std::to_string(e.pointToPoint)});
    }
    if (e.restrictedRole >= 0) {
        out.push_back({kPortTable + ".17" + at, std::to_string(e.restrictedRole + 1)});
    }
    if (e.edge >= 0 && e.edge <= 2) {
        static const char* const kEdge[] = {"1", "0", "2"};
        out.push_back({kPortTable + ".16" + at, kEdge[e.edge]});
    }
    return out;
}

std::optional<std::vector<std::string>> CheckedValues(const ksx::WalkStep& step, const std::string& kinds) {
    std::vector<std::string> out;
    for (size_t i = 0; i < kinds.size(); ++i) {
        const int b = static_cast<int>(i);
        std::optional<std::string> v;
        if (kinds[i] == 'i') {
            if (const auto n = step.Integer(b)) {
                v = std::to_string(*n);
            }
        } else if (kinds[i] == 'u') {
            if (const auto n = step.Unsigned(b)) {
                v = std::to_string(*n);
            }
        } else {
            v = step.Octets(b);
        }
        if (!v) {
            return std::nullopt;
        }
        out.push_back(std::move(*v));
    }
    return out;
}

std::string BridgeIdText(const std::string& o) {
    char buf[64];
    auto b = [&](size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(o[i])); };
    if (o.size() == 2) {
        std::snprintf(buf, sizeof(buf), "%02X %02X", b(0), b(1));
        return buf;
    }
    if (o.size() == 8) {
        std::snprintf(buf, sizeof(buf), "%02X:%02X:%02X:%02X:%02X:%02X:%02X:%02X", b(0), b(1), b(2), b(3),
                      b(4), b(5), b(6), b(7));
        return buf;
    }
    return o;
}

std::string Dot1dPortStateText(const std::string& value) {
    return Pick(value, {{"1", "Disabled"},
                        {"2", "Blocked"},
                        {"3", "Monitored"},
                        {"4", "Learn"},
                        {"5", "Forward"},
                        {"6", "Token"}});
}

}  // namespace ksx::stp
