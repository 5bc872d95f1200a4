// Internal: the get-next walk rules shared by CSnmpTable and CSnmpTable4w.
#pragma once

#include <string>
#include <vector>

#include "platform/snmplib/Snmp.h"

namespace ksx::snmp {

// Numeric order of two dotted OIDs: <0, 0, >0.
int CompareOid(const std::string& a, const std::string& b);

// Instance part of `oid` after `column`, beginning with "." ("" for the column itself); false when `oid`
// is not inside the column.
bool InstanceSuffix(const std::string& column, const std::string& oid, std::string& out);

// Judges the reply of one get-next step sent from `current`. Returns 0 and moves `current` to the reply's
// OIDs; or ends the walk (-2: binding 0 left its column, did not advance, or reached the end of the MIB;
// the agent's error status for any other error status) and deletes the reply. Exception values in other
// bindings clear the error status they stood for: the row is delivered, those bindings without value.
int FinishWalkStep(const std::vector<std::string>& columns, std::vector<std::string>& current, CSnmp*& reply);

}  // namespace ksx::snmp
