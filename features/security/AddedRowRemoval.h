// The removal of the row an add made, after a later write of that add did not go as asked. It goes
// through row creation, which reads the row first and destroys it only when its own record says the add
// made it, and so keeps its record of half-made rows true: a row removed (or found gone) is no longer
// one this module left, so a later add of the same index asks before it replaces another manager's row.
//
//   worker, a column write refused:
//     const AddedRowRemoval removal = RemoveAddedRow(StatusAccessOn(session, statusOid), progress);
//     failure += " " + AddedRowRemovalText(removal, answer, false, "the entry");
#pragma once

#include <optional>
#include <string>

#include "core/RowCreate.h"

namespace ksx {

struct AddedRowRemoval {
    RowAdded result = RowAdded::kNotOwned;  // RemoveUnfinished's
    SnmpAnswer destroy;                     // the destroy's answer; not sent unless row creation sent it
    // The removal as AddUndoneText takes it: accepted also when the device held no such row any more.
    SnmpAnswer Answer() const;
};

// Worker, on a session of the add (its run's stop cancels it). `progress` is the add's: whose row the
// create touched.
AddedRowRemoval RemoveAddedRow(RowStatusAccess access, const AddProgress& progress);

// What the add says of its row after its own failure text, `failed` the write that did not go as asked
// (the activation when `activation`), `what` the entry as said. A row its create made active (a
// create-and-go) is said as such: `activeWithout` what it may lack ("its password"; empty when it holds
// all that was given). Without it the row is one not active. When the status read before the removal
// went unanswered (nothing was removed), whether a row is left is said as not known.
std::string AddedRowRemovalText(const AddedRowRemoval& removal, const SnmpAnswer& failed, bool activation,
                                const std::string& what,
                                const std::optional<std::string>& activeWithout = std::nullopt);

}  // namespace ksx
