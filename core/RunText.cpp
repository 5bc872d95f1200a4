// The texts of a run's end.
#include "core/RunText.h"

#include <algorithm>
#include <cctype>
#include <utility>
#include <vector>

namespace ksx {

namespace {

std::string Were(const StepsName& n) {
    return n.plural ? " were " : " was ";
}

std::string Joined(const std::vector<std::string>& parts, const char* sep) {
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) {
        text += (i == 0 ? "" : sep) + parts[i];
    }
    return text;
}

}  // namespace

RunTally RunTally::Of(const StepsEnd& end) {
    RunTally t;
    t.total = end.total;
    t.done = std::clamp(end.done, 0, std::max(end.total, 0));
    if (t.done < t.total) {
        t.unconfirmed = end.inFlight;
        t.refused = end.failed && !end.inFlight && !end.notSent;
    }
    return t;
}

StepsNamer ListNamer(std::vector<StepsName> names) {
    return [names = std::move(names)](int from, int to, StepsState) {
        StepsName out;
        std::vector<std::string> texts;
        for (int i = std::max(from, 0); i < to && i < static_cast<int>(names.size()); ++i) {
            texts.push_back(names[static_cast<size_t>(i)].text);
            out.plural = names[static_cast<size_t>(i)].plural;
        }
        for (size_t i = 0; i < texts.size(); ++i) {
            out.text += (i == 0 ? "" : i + 1 == texts.size() ? " and " : ", ") + texts[i];
        }
        out.plural = out.plural || texts.size() > 1;
        return out;
    };
}

StepsNamer PortsNamer(int from, int to, int perStep) {
    const int per = std::max(perStep, 1);
    return [from, to, per](int a, int b, StepsState state) {
        const int first = from + a * per;
        const int last = std::min(to, from + b * per - 1);
        if (state == StepsState::kWritten && a == 0 && to > from) {
            return StepsName{
                std::to_string(last - first + 1) + " of " + std::to_string(to - from + 1) + " ports", true};
        }
        return StepsName{PortsSpan(first, last), last > first};
    };
}

namespace {

// "<written> were written; the device did not confirm whether <unconfirmed> was written; <rest> were
// not written", each part left out when it names nothing.
std::string Parts(const StepsName& written, const StepsName& unconfirmed, const StepsName& notWritten,
                  const std::string& verb) {
    std::vector<std::string> parts;
    if (!written.text.empty()) {
        parts.push_back(written.text + Were(written) + verb);
    }
    if (!unconfirmed.text.empty()) {
        parts.push_back("the device did not confirm whether " + unconfirmed.text + Were(unconfirmed) + verb);
    }
    if (!notWritten.text.empty()) {
        parts.push_back(notWritten.text + Were(notWritten) + "not " + verb);
    }
    return Joined(parts, "; ");
}

}  // namespace

std::string TallyText(const RunTally& t, const StepsNamer& name, const std::string& verb) {
    StepsName written, unconfirmed, notWritten;
    if (t.done > 0) {
        written = name(0, t.done, StepsState::kWritten);
    }
    int next = t.done;
    if (t.done < t.total && (t.unconfirmed || t.refused)) {
        if (t.unconfirmed) {
            unconfirmed = name(t.done, t.done + 1, StepsState::kUnconfirmed);
        }
        ++next;
    }
    if (next < t.total) {
        notWritten = name(next, t.total, StepsState::kNotWritten);
    }
    return Parts(written, unconfirmed, notWritten, verb);
}

std::string StatesText(const std::vector<StepsState>& states, const std::vector<StepsName>& names,
                       const std::string& verb) {
    std::vector<StepsName> of[3];  // written, unconfirmed, not written
    for (size_t i = 0; i < states.size() && i < names.size(); ++i) {
        const StepsState s = states[i];
        of[s == StepsState::kWritten ? 0 : s == StepsState::kUnconfirmed ? 1 : 2].push_back(names[i]);
    }
    const auto named = [](std::vector<StepsName> list, StepsState state) {
        const int n = static_cast<int>(list.size());
        return ListNamer(std::move(list))(0, n, state);
    };
    return Parts(named(of[0], StepsState::kWritten), named(of[1], StepsState::kUnconfirmed),
                 named(of[2], StepsState::kNotWritten), verb);
}

std::string Capitalised(std::string text) {
    if (!text.empty()) {
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    }
    return text;
}

std::string StoppedText(const std::string& tally, const std::string& verb) {
    return "Stopped: " + (tally.empty() ? std::string("nothing was ") + verb : tally) + ".";
}

std::string RunEndText(const StepsEnd& end, const StepsNamer& name, const std::string& verb) {
    if (end.Complete()) {
        return {};
    }
    const RunTally t = RunTally::Of(end);
    const std::string tally = TallyText(t, name, verb);
    if (!end.failed) {
        return StoppedText(tally, verb);
    }
    if (!end.failure.empty()) {
        return tally.empty() ? end.failure : end.failure + " " + Capitalised(tally) + ".";
    }
    if (end.notSent && !t.unconfirmed) {
        return Capitalised(tally) + ".";  // nothing of the failed step reached the device
    }
    if (t.unconfirmed) {
        // "it did not confirm whether ..." once the sentence has named the device.
        std::string text = tally;
        const std::string device = "the device did not confirm";
        if (const size_t at = text.find(device); at != std::string::npos) {
            text.replace(at, device.size(), "it did not confirm");
        }
        return "The device did not answer: " + text + ".";
    }
    const StepsName refused = name(t.done, t.done + 1, StepsState::kRefused);
    std::string text = "The device did not accept " + refused.text + ".";
    return tally.empty() ? text : text + " " + Capitalised(tally) + ".";
}

StepsEnd AnswerEnd(const SnmpAnswer& answer) {
    StepsEnd end;
    end.total = 1;
    const StepOutcome step = StepOutcome::Of(answer);
    if (step.ok) {
        end.done = 1;
        return end;
    }
    end.failed = true;
    end.inFlight = step.unanswered;
    end.notSent = step.notSent;
    return end;
}

std::string AnswerText(const SnmpAnswer& answer, const StepsName& what, const std::string& lead,
                       const std::string& verb) {
    const std::string detail = RunEndText(AnswerEnd(answer), ListNamer({what}), verb);
    if (detail.empty() || lead.empty()) {
        return detail;
    }
    if (lead.back() == ':' || (lead.size() > 1 && lead.substr(lead.size() - 2) == ": ")) {
        // "Failed to set the engine ID: the device did not accept it."
        std::string text = lead.back() == ' ' ? lead : lead + " ";
        return text + static_cast<char>(std::tolower(static_cast<unsigned char>(detail[0]))) +
               detail.substr(1);
    }
    return (lead.back() == ' ' ? lead : lead + " ") + detail;
}

StepOutcome AnswerStep(const SnmpAnswer& answer, const StepsName& what, const std::string& lead,
                       const std::string& verb) {
    StepOutcome step = StepOutcome::Of(answer);
    if (!step.ok) {
        step.failure = AnswerText(answer, what, lead, verb);
    }
    return step;
}

std::string AddUndoneText(const SnmpAnswer& failed, bool activation, const SnmpAnswer& removal,
                          const std::string& what) {
    if (removal.Accepted()) {
        return Capitalised(what) + " was not added.";
    }
    const std::string said = AnswerText(removal, {"the removal of its row"}) + " ";
    // A refusal that answered a resend may come after the first copy was applied.
    const auto mayHaveApplied = [](const SnmpAnswer& a) {
        return a.Unanswered() || (a.Refused() && a.resent);
    };
    if (activation && mayHaveApplied(failed)) {
        return said + Capitalised(what) +
               " may have been added: if it is listed, it is there as given; if not, adding it again "
               "replaces its row.";
    }
    if (mayHaveApplied(removal)) {
        return said + Capitalised(what) + " is not active; adding it again replaces any row left of it.";
    }
    return said + "A row for " + what + " is left on the device, not active; adding it again replaces it.";
}

}  // namespace ksx
