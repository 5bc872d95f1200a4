// libFuzzer target over the decoding of SNMP replies: bindings of every type and length as Net-SNMP
// hands them over become reply values (getValue, getValueText, the reply helpers), and instance suffixes
// are taken after walk columns (GetResponseOid). Input: a byte of error status and one of error index,
// then bindings: type byte, OID length byte, that many arc bytes, value length byte, value bytes; a
// column OID for each binding is the binding's OID cut at a length taken from the arc count.
// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
// clang-format on

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "core/SnmpReply.h"
#include "platform/snmplib/Snmp.h"
#include "platform/snmplib/SnmpSession.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"

namespace {

class SilentBoxes : public ksx::IMessageBoxService {
public:
    int Show(const std::string&, const std::string&, unsigned) override { return ksx::IDOK; }
};

struct Reader {
    const uint8_t* p;
    size_t left;
    bool Byte(uint8_t& out) {
        if (left == 0) {
            return false;
        }
        out = *p++;
        --left;
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SilentBoxes silent;
    static const bool once = [] {
        ksx::SetMessageBoxService(&silent);
        SnmpInit();
        return true;
    }();
    (void)once;
    Reader in{data, size};
    uint8_t errorStatus = 0;
    uint8_t errorIndex = 0;
    in.Byte(errorStatus);
    in.Byte(errorIndex);
    ksx::snmp::SnmpReply reply;
    std::vector<std::string> columns;
    uint8_t type = 0;
    while (reply.binds().size() < 16 && in.Byte(type)) {
        uint8_t arcs = 0;
        if (!in.Byte(arcs)) {
            break;
        }
        oid name[MAX_OID_LEN];
        size_t len = 0;
        for (uint8_t i = 0; i < arcs % MAX_OID_LEN; ++i) {
            uint8_t arc = 0;
            if (!in.Byte(arc)) {
                break;
            }
            name[len++] = arc;
        }
        uint8_t valueLength = 0;
        in.Byte(valueLength);
        const size_t take = valueLength < in.left ? valueLength : in.left;
        netsnmp_variable_list* vars = nullptr;
        if (snmp_varlist_add_variable(&vars, name, len, type, in.p, take) != nullptr) {
            reply.binds().push_back(ksx::snmp::ConvertVariable(vars));
        }
        snmp_free_varbind(vars);
        in.p += take;
        in.left -= take;
        std::string column;
        for (size_t i = 0; i < len / 2 + 1 && i < len; ++i) {
            column += (i ? "." : "") + std::to_string(name[i]);
        }
        columns.push_back(column.empty() ? "1.3" : column);
    }
    reply.setHeader(1, 1, errorStatus, errorIndex);

    const int count = reply.getVarBindCount();
    for (int i = -1; i <= count; ++i) {
        int length = -1;
        char* value = nullptr;
        if (reply.getValue(i, &length, &value) == 0) {
            if (value == nullptr || length < 0 || value[length] != '\0') {
                __builtin_trap();
            }
        }
        reply.getValueText(i);
        reply.getOid(i);
        ksx::BindingValue(&reply, i);
    }
    ksx::ReplyErrorStatus(&reply);
    ksx::ReplyErrorIndex(&reply);
    ksx::ReplyAccepted(0, &reply);

    CCommonSNMP session;
    session.Open(CCommonSNMP::REQUEST_GETNEXT);
    for (const std::string& column : columns) {
        session.AddVarBind(column.c_str(), 4, nullptr);
    }
    for (int i = -1; i <= count; ++i) {
        char* suffix = nullptr;
        // The instance after the column begins with "."; a binding that is the column itself has none.
        if (session.GetResponseOid(i, &reply, &suffix) == 0 &&
            (suffix == nullptr || (suffix[0] != '.' && suffix[0] != '\0'))) {
            __builtin_trap();
        }
    }
    session.Close();
    return 0;
}
