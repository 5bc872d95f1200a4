// The writes both auto surveillance VLAN dialogs make to the device table: a new row (created, then
// filled) and the removal of a row. The dialogs differ only in the columns they fill and in what they
// check before.
#pragma once

#include <functional>
#include <string>

#include "core/CommonSNMP.h"
#include "core/RowCreate.h"
#include "core/TableRead.h"

namespace camvlan {

// The column value of a walk step when it belongs to the step's row (the first column's index).
std::string SameRowText(const ksx::WalkStep& step, int i);

enum class DeviceRowAdd {
    kAdded,       // the row exists with all its columns
    kNotCreated,  // the device refused the row: nothing changed
    kHalfMade,    // the row was created but not filled: removed again (or not), the table has changed;
                  // or whether the device made it is not known
};

// The requests of an add, one each, for callers that run them off the window's thread: the row created
// ("4"), its description with the columns `moreColumns` adds, the row removed ("6"). True when the
// device accepted it. They show nothing.
// The create goes through ksx::AddRow: a row the device made without answering gets its columns
// (`fill`) or is removed; `stopping` (optional) ends it between requests.
ksx::RowAdded CreateDeviceRow(CCommonSNMP& session, const std::string& index,
                              const std::function<bool()>& fill, const std::function<bool()>& stopping = {});
// What a create that did not give a row to fill says (kTextAddFailed for a refusal).
std::string CreateFailureText(ksx::RowAdded made);
bool FillDeviceRow(CCommonSNMP& session, const std::string& index, const std::string& description,
                   const std::function<void(CCommonSNMP&)>& moreColumns);
bool RemoveDeviceRow(CCommonSNMP& session, const std::string& index);

// Adds the row at `index` (".d.d.d.d.d.d"): creates it, waits with `settle`, then writes its
// description together with the columns `moreColumns` adds, and waits with `settle` once more. A row
// whose columns were refused would count toward the limit, so it is removed again. Each failure is
// told in a message box.
DeviceRowAdd AddDeviceRow(CCommonSNMP& session, const std::string& index, const std::string& description,
                          const std::function<void(CCommonSNMP&)>& moreColumns,
                          const std::function<void()>& settle);

// Removes the row at `index` and waits with `settle`; false when there is no index or the device
// refused.
bool DeleteDeviceRow(CCommonSNMP& session, const std::string& index, const std::function<void()>& settle);

}  // namespace camvlan
