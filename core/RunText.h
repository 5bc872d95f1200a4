// What a run of writes did, said the same way by every dialog: which of its steps the device confirmed,
// which it did not confirm (a request on its way when the run stopped, or one it never answered), which
// it refused, and which were never sent.
//
//   "Stopped: 12 of 28 ports were written; the device did not confirm whether port 13 was written;
//    ports 14-28 were not written."
//   "Stopped: the mirror port was written; the sources were not written."
//   "The device did not answer: it did not confirm whether the VLAN name was written; the activation
//    was not written."
//   "The device did not accept the port mirroring settings. The mirror port was written; the sources
//    were not written."
//
// A request never sent is never "not confirmed": a step that saw the stop before sending anything
// (StepOutcome::NothingSent) counts as not written. A refusal keeps its own text.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/StepRunner.h"

namespace ksx {

// What became of a stretch of steps.
enum class StepsState { kWritten, kUnconfirmed, kRefused, kNotWritten };

// The name of steps [from, to) of a run in the given state: "the mirror port", "ports 14-28",
// "12 of 28 ports"; `plural` makes the verb "were".
struct StepsName {
    std::string text;
    bool plural = false;
};
using StepsNamer = std::function<StepsName(int from, int to, StepsState state)>;

// How a run ended, in the terms of its steps.
struct RunTally {
    int total = 0;
    int done = 0;              // steps [0, done) confirmed by the device
    bool unconfirmed = false;  // step `done` had sent its request and got no answer (stop or time-out)
    bool refused = false;      // step `done` was refused by the device
    // From a run's end: a failed step is unconfirmed when it ended unanswered (StepOutcome::Unanswered),
    // refused otherwise; a stopped step is unconfirmed when it had sent its request.
    static RunTally Of(const StepsEnd& end);
};

// Names made of a list: step i is names[i]; a stretch of several is "a, b and c", plural.
StepsNamer ListNamer(std::vector<StepsName> names);
// Steps that are ports from..to, `perStep` ports a step (the last one shorter): the confirmed stretch
// from the first port is "N of M ports", the others "port 5" / "ports 5-9".
StepsNamer PortsNamer(int from, int to, int perStep = 1);

// "a and b were written; the device did not confirm whether c was written; d was not written": the
// tally's parts, without a closing stop; empty when the run had no step. The refused step is left to
// the refusal's own text. `verb` replaces "written" ("checked", "added").
std::string TallyText(const RunTally& tally, const StepsNamer& name, const std::string& verb = "written");

// The tally of a run whose steps each ended in their own state (a refused step that does not end the
// run): the steps of each state named together, in the order of the run. A refused step counts as not
// written; its refusal is the caller's to say.
std::string StatesText(const std::vector<StepsState>& states, const std::vector<StepsName>& names,
                       const std::string& verb = "written");

// "Stopped: <tally>." ("Stopped: nothing was written." for an empty tally): a run that a stop ended.
std::string StoppedText(const std::string& tally, const std::string& verb = "written");

// The whole text of a run's end that did not complete, with its closing stop:
//   stopped:              "Stopped: <tally>."
//   failed with a text:   "<text> <Tally>."  (a failure text that names the step and the cause)
//   unanswered, no text:  "The device did not answer: <tally with 'it did not confirm'>."
//   refused, no text:     "The device did not accept <step>." then "<Tally>." of the rest
// An end that completed gives an empty text.
std::string RunEndText(const StepsEnd& end, const StepsNamer& name, const std::string& verb = "written");

// "The a" from "the a": a tally that starts a sentence.
std::string Capitalised(std::string text);

// The end of a one-step run whose request the layer classified as `answer`.
StepsEnd AnswerEnd(const SnmpAnswer& answer);

// What one request that did not go as asked says, `what` its writes as said ("the LLDP state", "the
// settings" plural): empty when accepted; otherwise
//   refused:    "The device did not accept the LLDP state."
//   unanswered: "The device did not answer: it did not confirm whether the LLDP state was written."
//   not sent:   "The LLDP state was not written."
// `lead`, a text of the dialog's own that comes first (the Part's words, "Failed to add the user: "),
// is followed by the detail: after a colon in lower case ("Failed to set the engine ID: the device did not
// accept it."), otherwise as a sentence of its own. `verb` replaces "written" ("deleted", "added").
std::string AnswerText(const SnmpAnswer& answer, const StepsName& what, const std::string& lead = {},
                       const std::string& verb = "written");

// A step as the layer classified its request; one that did not go as asked fails with
// AnswerText(answer, what, lead, verb), so that an unanswered request is said as unconfirmed and one
// never sent as not written.
StepOutcome AnswerStep(const SnmpAnswer& answer, const StepsName& what, const std::string& lead = {},
                       const std::string& verb = "written");

// What an add says of the removal of its own row, sent after a later write of the add (`failed`, the
// activation when `activation`) did not go as asked; `removal` is the removal's answer, `what` the entry
// as said. An activation unanswered (or refused after a resend) may have made the entry active:
//   removal accepted:      "The entry was not added."
//   the row not active:    "<removal's AnswerText> A row for the entry is left on the device, not active;
//                           adding it again replaces it."  (the removal unanswered: "The entry is not
//                           active; adding it again replaces any row left of it.")
//   the entry may be active: "<removal's AnswerText> The entry may have been added: if it is listed, it is
//                           there as given; if not, adding it again replaces its row."
std::string AddUndoneText(const SnmpAnswer& failed, bool activation, const SnmpAnswer& removal,
                          const std::string& what);

}  // namespace ksx
