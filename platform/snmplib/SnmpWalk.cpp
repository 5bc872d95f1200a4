#include "platform/snmplib/SnmpWalk.h"

#include "platform/snmplib/SnmpSession.h"

#include <cstdlib>

namespace ksx::snmp {
namespace {

std::vector<unsigned long> Components(const std::string& s) {
    std::vector<unsigned long> out;
    const char* p = s.c_str();
    while (*p) {
        if (*p == '.') {
            ++p;
            continue;
        }
        char* end = nullptr;
        out.push_back(std::strtoul(p, &end, 10));
        if (end == p) {
            break;
        }
        p = end;
    }
    return out;
}

}  // namespace

int CompareOid(const std::string& a, const std::string& b) {
    std::vector<unsigned long> x = Components(a);
    std::vector<unsigned long> y = Components(b);
    for (size_t i = 0; i < x.size() && i < y.size(); ++i) {
        if (x[i] != y[i]) {
            return x[i] < y[i] ? -1 : 1;
        }
    }
    return x.size() == y.size() ? 0 : x.size() < y.size() ? -1 : 1;
}

bool InstanceSuffix(const std::string& column, const std::string& oid, std::string& out) {
    if (column.empty()) {
        return false;
    }
    if (oid == column) {
        out.clear();
        return true;
    }
    if (oid.size() > column.size() + 1 && oid.compare(0, column.size(), column) == 0 &&
        oid[column.size()] == '.') {
        out = oid.substr(column.size());
        return true;
    }
    return false;
}

int FinishWalkStep(const std::vector<std::string>& columns, std::vector<std::string>& current,
                   CSnmp*& reply) {
    int errorStatus = 0;
    int errorIndex = 0;
    reply->getErrorStatus(&errorStatus, &errorIndex);
    auto* received = dynamic_cast<SnmpReply*>(reply);
    const int agentStatus = received != nullptr ? received->agentErrorStatus : errorStatus;
    const bool communityBased = received == nullptr || received->version == 1;
    const std::vector<SnmpVarBind>& vbs = reply->varBinds();
    std::string suffix;
    int status = 0;
    if (agentStatus != 0) {
        // SNMPv1 ends the MIB with noSuchName for the walked column; any other error status the agent
        // sends (noSuchName at another binding, or in SNMPv3) is a failed step, never the table's end.
        status =
            communityBased && agentStatus == 2 && errorIndex <= 1 ? CSnmp4w::EC_END_OF_WALK : agentStatus;
    } else if (errorStatus != 0 && errorIndex <= 1) {
        status = CSnmp4w::EC_END_OF_WALK;  // the walked column came back as an exception: past the MIB
    } else if (vbs.empty() || columns.empty() || !InstanceSuffix(columns[0], vbs[0].oid, suffix) ||
               (!current.empty() && CompareOid(vbs[0].oid, current[0]) <= 0)) {
        status = CSnmp4w::EC_END_OF_WALK;  // left the column, or an agent that does not advance
    }
    if (status != 0) {
        delete reply;
        reply = nullptr;
        return status;
    }
    if (errorStatus != 0 && received != nullptr) {
        // Only another column came back as an exception (it has fewer rows): the row is delivered and
        // that binding, carrying its exception type, reads as no value.
        received->clearErrorStatus();
    }
    for (size_t i = 0; i < current.size() && i < vbs.size(); ++i) {
        current[i] = vbs[i].oid;
    }
    return 0;
}

}  // namespace ksx::snmp
