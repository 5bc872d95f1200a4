// The removal of an add's own row through row creation, and what is said of it.
#include "features/security/AddedRowRemoval.h"

#include "core/RunText.h"

namespace ksx {

namespace {

// A refusal that answered a resend may come after the first copy was applied.
bool MayHaveApplied(const SnmpAnswer& a) {
    return a.Unanswered() || (a.Refused() && a.resent);
}

// The status read before the removal went unanswered, so no destroy was sent: whether the device holds
// a row of the entry is not known, and nothing is said as left.
std::string UnreadRowText(const AddedRowRemoval& removal, const SnmpAnswer& failed, bool activation,
                          const std::string& what, const std::optional<std::string>& activeWithout) {
    const std::string said =
        AnswerText(removal.destroy, {"its removal"}, "The status of its row could not be read: ", "sent") +
        " ";
    if (!activeWithout) {
        if (activation && MayHaveApplied(failed)) {
            return said + Capitalised(what) +
                   " may have been added: if it is listed, it is there as given; if not, adding it again "
                   "replaces its row.";
        }
        return said + "Whether a row for " + what +
               " is left on the device, not active, is not known; adding it again replaces any row left of "
               "it.";
    }
    if (activeWithout->empty()) {
        return said + "Whether " + what +
               " is left on the device is not known; if it is listed, it is there as given.";
    }
    return said + "Whether " + what + " is left on the device without " + *activeWithout +
           " is not known: if it is listed, delete it and add it again.";
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
    if (removal.result == RowAdded::kUnknown) {
        return UnreadRowText(removal, failed, activation, what, activeWithout);
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
