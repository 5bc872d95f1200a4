// A write's step and its text, both from the layer's account of the request: every failure the security
// dialogs report (refused, unanswered, never sent) names what it wrote the same way.
#pragma once

#include <string>

#include "core/RunText.h"
#include "core/StepRunner.h"

namespace ksx::security {

// The step as the layer classified its request; a step that did not go as asked fails with
// AnswerText(answer, what, lead, verb), so that an unanswered request is said as unconfirmed and one
// never sent as not written.
inline StepOutcome StepOf(const SnmpAnswer& answer, const StepsName& what, const std::string& lead = {},
                          const std::string& verb = "written") {
    StepOutcome step = StepOutcome::Of(answer);
    if (!step.ok) {
        step.failure = AnswerText(answer, what, lead, verb);
    }
    return step;
}

// The answer given for a request that never went out (an entry that could not be made into one).
inline SnmpAnswer NotSentAnswer() {
    return SnmpAnswer{};
}

}  // namespace ksx::security
