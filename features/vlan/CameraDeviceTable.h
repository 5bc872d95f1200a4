// The writes both auto surveillance VLAN dialogs make to the device table: a new row (created, then
// filled) and the removal of a row. The dialogs differ only in the columns they fill and in what they
// check before.
#pragma once

#include <functional>
#include <string>

#include "core/CommonSNMP.h"
#include "core/RowCreate.h"
#include "core/RunText.h"
#include "core/TableRead.h"

namespace camvlan {

// The column value of a walk step when it belongs to the step's row (the first column's index).
std::string SameRowText(const ksx::WalkStep& step, int i);

// The requests of an add, one each, for callers that run them off the window's thread: the row created
// ("4"), its description with the columns `moreColumns` adds, the row removed ("6"), each with the
// layer's account of its answer. They show nothing.
// The create goes through ksx::AddRow: a row the device made without answering gets its columns
// (`fill`) or is removed; `stopping` (optional) ends it between requests; `progress` (optional) learns
// how far the create got (a create-and-go: the entry's activation); `other` (optional) is told of a row
// not active there that this module did not leave, and holds the user's Yes to replacing it.
ksx::RowAdded CreateDeviceRow(CCommonSNMP& session, const std::string& index,
                              const std::function<bool()>& fill, const std::function<bool()>& stopping = {},
                              ksx::AddProgress* progress = nullptr, ksx::OtherRow* other = nullptr);
// What a create that did not give a row to fill says.
std::string CreateFailureText(ksx::RowAdded made);
// What an add says whose settings (`fill`) did not go as asked, after the removal of its row (`removal`).
std::string FillFailureText(const SnmpAnswer& fill, const SnmpAnswer& removal);
SnmpAnswer FillDeviceRow(CCommonSNMP& session, const std::string& index, const std::string& description,
                         const std::function<void(CCommonSNMP&)>& moreColumns);
// The user's Delete of a row they picked, sent as such; an accepted one leaves no half-made row on record.
SnmpAnswer RemoveDeviceRow(CCommonSNMP& session, const std::string& index);
// An add's removal of the row it made, once its settings did not go as asked: row creation sends the
// destroy only for a row this add made (`owner`, from the add's progress); otherwise nothing is sent.
SnmpAnswer RemoveAddedDeviceRow(CCommonSNMP& session, const std::string& index, ksx::RowOwner owner);

// The entry of a delete as its end names it (verb "deleted"); a refusal names the delete itself.
ksx::StepsNamer DeletedEntryNamer();

// Removes the row at `index` and, once the device accepted it, waits with `settle`; not sent when there
// is no index.
SnmpAnswer DeleteDeviceRow(CCommonSNMP& session, const std::string& index,
                           const std::function<void()>& settle);

}  // namespace camvlan
