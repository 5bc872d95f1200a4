// The removal of an add's own row through row creation, and what is said of it.
#include "features/security/AddedRowRemoval.h"

#include "core/RunText.h"

namespace ksx {

namespace {

// A refusal that answered a resend may come after the first copy was applied.
bool MayHaveApplied(const SnmpAnswer& a) {
    return a.Unanswered() || (a.Refused() && a.resent);
}

}  // namespace

SnmpAnswer AddedRowRemoval::Answer() const {
    if (result == RowAdded::kRemoved || result == RowAdded::kNotMade) {
        SnmpAnswer gone;
        gone.outcome = SnmpOutcome::kAccepted;
        return gone;
    }
    return destroy;
}

AddedRowRemoval RemoveAddedRow(RowStatusAccess access, const AddProgress& progress) {
    AddedRowRemoval removal;
    if (access.send) {
        access.send = [&removal, send = access.send](const std::string& value) {
            return removal.destroy = send(value);
        };
    }
    removal.result = RemoveUnfinished(access, progress.Owner());
    return removal;
}

std::string AddedRowRemovalText(const AddedRowRemoval& removal, const SnmpAnswer& failed, bool activation,
                                const std::string& what, const std::optional<std::string>& activeWithout) {
    if (removal.result == RowAdded::kActive || removal.result == RowAdded::kNotOwned) {
        return RowAddedText(removal.result, what);  // not this add's row: nothing was sent
    }
    const SnmpAnswer answer = removal.Answer();
    if (!activeWithout || answer.Accepted()) {
        return AddUndoneText(failed, activation, answer, what);
    }
    const std::string said = AnswerText(answer, {"the removal of its row"}) + " " + Capitalised(what);
    if (activeWithout->empty()) {
        return said + (MayHaveApplied(answer)
                           ? " may have been removed; if it is listed, it is there as given."
                           : " is left on the device as given.");
    }
    if (MayHaveApplied(answer)) {
        return said + " may be left on the device without " + *activeWithout +
               ": if it is listed, delete it and add it again.";
    }
    return said + " is left on the device" + (MayHaveApplied(failed) ? ", perhaps" : "") + " without " +
           *activeWithout + ": delete it and add it again.";
}

}  // namespace ksx
