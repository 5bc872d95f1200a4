#include "sim/Agent.h"

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/agent/net-snmp-agent-includes.h>
#include <net-snmp/library/snmpusm.h>
// clang-format on

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ksxsim {

namespace {

Agent* g_agent = nullptr;

Oid ToOid(const oid* name, size_t length) {
    Oid o;
    o.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        o.push_back(static_cast<uint32_t>(name[i]));
    }
    return o;
}

bool Printable(const std::string& s) {
    for (unsigned char c : s) {
        if (c < 0x20 || c > 0x7e) {
            return false;
        }
    }
    return true;
}

// A received value in store form. Letters the wire cannot tell apart (s/x, u/g) follow the
// object's declaration; '?' for types the simulator does not serve.
Value FromVar(const netsnmp_variable_list* vb, char declared) {
    Value v;
    switch (vb->type) {
        case ASN_INTEGER:
            v = {'i', std::to_string(*vb->val.integer)};
            break;
        case ASN_GAUGE:
            v = {declared == 'g' ? 'g' : 'u',
                 std::to_string(static_cast<unsigned long>(*vb->val.integer) & 0xffffffffUL)};
            break;
        case ASN_COUNTER:
            v = {'c', std::to_string(static_cast<unsigned long>(*vb->val.integer) & 0xffffffffUL)};
            break;
        case ASN_TIMETICKS:
            v = {'t', std::to_string(static_cast<unsigned long>(*vb->val.integer) & 0xffffffffUL)};
            break;
        case ASN_COUNTER64: {
            uint64_t n = (static_cast<uint64_t>(vb->val.counter64->high) << 32) |
                         (vb->val.counter64->low & 0xffffffffUL);
            v = {'C', std::to_string(n)};
            break;
        }
        case ASN_OCTET_STR: {
            std::string data(reinterpret_cast<const char*>(vb->val.string), vb->val_len);
            char type = declared == 's' || declared == 'x' ? declared : (Printable(data) ? 's' : 'x');
            v = {type, data};
            break;
        }
        case ASN_OBJECT_ID:
            v = {'o', OidText(ToOid(vb->val.objid, vb->val_len / sizeof(oid)))};
            break;
        case ASN_IPADDRESS: {
            const unsigned char* b = vb->val.string;
            if (vb->val_len == 4) {
                v = {'a', std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) +
                              "." + std::to_string(b[3])};
            } else {
                v = {'?', ""};
            }
            break;
        }
        case ASN_NULL:
            v = {'n', ""};
            break;
        default:
            v = {'?', ""};
            break;
    }
    return v;
}

void SetVar(netsnmp_variable_list* vb, const Value& v) {
    switch (v.type) {
        case 'i':
            snmp_set_var_typed_integer(vb, ASN_INTEGER, std::stol(v.data));
            break;
        case 'u':
        case 'g':
            snmp_set_var_typed_integer(vb, ASN_GAUGE, static_cast<long>(std::stoul(v.data)));
            break;
        case 'c':
            snmp_set_var_typed_integer(vb, ASN_COUNTER, static_cast<long>(std::stoul(v.data)));
            break;
        case 't':
            snmp_set_var_typed_integer(vb, ASN_TIMETICKS, static_cast<long>(std::stoul(v.data)));
            break;
        case 'C': {
            uint64_t n = std::stoull(v.data);
            counter64 c{};
            c.high = static_cast<u_long>(n >> 32);
            c.low = static_cast<u_long>(n & 0xffffffffULL);
            snmp_set_var_typed_value(vb, ASN_COUNTER64, &c, sizeof(c));
            break;
        }
        case 's':
        case 'x':
            snmp_set_var_typed_value(vb, ASN_OCTET_STR, v.data.data(), v.data.size());
            break;
        case 'o': {
            auto o = ParseOid(v.data);
            std::vector<oid> ids(o->begin(), o->end());
            snmp_set_var_typed_value(vb, ASN_OBJECT_ID, ids.data(), ids.size() * sizeof(oid));
            break;
        }
        case 'a': {
            in_addr addr{};
            inet_pton(AF_INET, v.data.c_str(), &addr);
            snmp_set_var_typed_value(vb, ASN_IPADDRESS, &addr.s_addr, 4);
            break;
        }
        default:
            snmp_set_var_typed_value(vb, ASN_NULL, nullptr, 0);
            break;
    }
}

// The transport's own send, behind SendUnlessSilent.
int (*g_transportSend)(netsnmp_transport*, const void*, int, void**, int*) = nullptr;

// A silent device sends nothing at all: also none of the reports the library's security model answers
// by itself (engine discovery, an unknown user, a wrong digest, an engine time outside the window).
int SendUnlessSilent(netsnmp_transport* t, const void* buf, int size, void** opaque, int* olength) {
    if (g_agent && g_agent->Silent()) {
        return size;
    }
    return g_transportSend(t, buf, size, opaque, olength);
}

int PacketCallback(int op, netsnmp_session* session, int reqid, netsnmp_pdu* pdu, void* magic) {
    return g_agent->OnPacket(op, session, reqid, pdu, magic);
}

int RequestHandler(netsnmp_mib_handler*, netsnmp_handler_registration* reg,
                   netsnmp_agent_request_info* reqinfo, netsnmp_request_info* requests) {
    return g_agent->OnRequests(reqinfo, requests, reg ? ToOid(reg->rootoid, reg->rootoid_len) : Oid{1, 3});
}

const char* PduName(int command) {
    switch (command) {
        case SNMP_MSG_GET:
            return "get";
        case SNMP_MSG_GETNEXT:
            return "getnext";
        case SNMP_MSG_GETBULK:
            return "getbulk";
        case SNMP_MSG_SET:
            return "set";
        default:
            return nullptr;
    }
}

std::string Principal(const netsnmp_pdu* pdu) {
    if (pdu->version == SNMP_VERSION_3) {
        return pdu->securityName ? std::string(pdu->securityName, pdu->securityNameLen) : "";
    }
    return pdu->community ? std::string(reinterpret_cast<const char*>(pdu->community), pdu->community_len)
                          : "";
}

}  // namespace

bool ParseUserSpec(const std::string& text, UserSpec* out) {
    std::vector<std::string> parts;
    size_t pos = 0;
    while (true) {
        size_t colon = text.find(':', pos);
        parts.push_back(text.substr(pos, colon == std::string::npos ? std::string::npos : colon - pos));
        if (colon == std::string::npos) {
            break;
        }
        pos = colon + 1;
    }
    if (parts[0].empty() || (parts.size() != 1 && parts.size() != 3 && parts.size() != 5)) {
        return false;
    }
    UserSpec u;
    u.name = parts[0];
    if (parts.size() >= 3) {
        u.auth = parts[1];
        u.authPass = parts[2];
        if ((u.auth != "MD5" && u.auth != "SHA") || u.authPass.size() < 8) {
            return false;
        }
    }
    if (parts.size() == 5) {
        u.priv = parts[3];
        u.privPass = parts[4];
        if ((u.priv != "DES" && u.priv != "AES") || u.privPass.size() < 8) {
            return false;
        }
    }
    for (const auto& p : parts) {
        if (p.find_first_of(" \t\"'") != std::string::npos) {
            return false;
        }
    }
    *out = u;
    return true;
}

Agent::~Agent() {
    DropDelayed();
    if (g_agent == this) {
        g_agent = nullptr;
    }
}

bool Agent::Start(const AgentOptions& options, const std::string& stateDir, std::string* error) {
    m_options = options;
    g_agent = this;

    // Only our own empty directory is searched for configuration, MIB and persistent files.
    setenv("SNMPCONFPATH", stateDir.c_str(), 1);
    setenv("SNMP_PERSISTENT_DIR", stateDir.c_str(), 1);
    setenv("MIBDIRS", stateDir.c_str(), 1);
    setenv("MIBS", "", 1);
    netsnmp_ds_set_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_PERSISTENT_DIR, stateDir.c_str());
    netsnmp_ds_set_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_CONFIGURATION_DIR, stateDir.c_str());
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_ROLE, 0);
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_NO_ROOT_ACCESS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_DONT_LOG_TCPWRAPPERS_CONNECTS, 1);
    // Warnings and errors of the library to stderr; its informational chatter is dropped.
    netsnmp_register_loghandler(NETSNMP_LOGHANDLER_STDERR, snmp_get_do_debugging() ? LOG_DEBUG : LOG_WARNING);

    // Access control: the read community reads, the write community and every user read and
    // write everything, each user at its own security level or above.
    {
        // An engine id of our own per process, so that clients talking to several simulators keep
        // their engine times apart.
        std::string conf =
            "engineID ksxsim" + std::to_string(getpid()) + "x" + std::to_string(std::rand() % 100000) + "\n";
        conf += "rocommunity " + m_options.readCommunity + "\n";
        conf += "rwcommunity " + m_options.writeCommunity + "\n";
        conf += "rocommunity6 " + m_options.readCommunity + "\n";
        conf += "rwcommunity6 " + m_options.writeCommunity + "\n";
        for (const auto& u : m_options.users) {
            conf += "rwuser " + u.name +
                    (u.auth.empty()   ? " noauth"
                     : u.priv.empty() ? " auth"
                                      : " priv") +
                    "\n";
        }
        FILE* f = std::fopen((stateDir + "/ksx-sim.conf").c_str(), "w");
        if (!f || std::fputs(conf.c_str(), f) < 0 || std::fclose(f) != 0) {
            *error = "cannot write the access configuration";
            return false;
        }
    }

    init_agent("ksx-sim");
    init_snmp("ksx-sim");

    for (const auto& u : m_options.users) {
        std::string line = u.name;
        if (!u.auth.empty()) {
            line += " " + u.auth + " " + u.authPass;
            if (!u.priv.empty()) {
                line += " " + u.priv + " " + u.privPass;
            }
        }
        std::vector<char> buf(line.begin(), line.end());
        buf.push_back('\0');
        usm_parse_create_usmUser("createUser", buf.data());
    }

    // One handler for everything below 1.3 (the agent keeps placeholders at the roots 0, 1 and 2).
    static oid root[] = {1, 3};
    netsnmp_handler_registration* reg =
        netsnmp_create_handler_registration("ksx-sim", RequestHandler, root, 2, HANDLER_CAN_RWRITE);
    if (!reg || netsnmp_register_handler(reg) != MIB_REGISTERED_OK) {
        *error = "cannot register the object handler";
        return false;
    }
    // And the IEEE subtree of the LLDP-MIB (1.0.8802), served by the same handler.
    static oid ieee[] = {1, 0, 8802};
    netsnmp_handler_registration* ieeeReg =
        netsnmp_create_handler_registration("ksx-sim-ieee", RequestHandler, ieee, 3, HANDLER_CAN_RWRITE);
    if (!ieeeReg || netsnmp_register_handler(ieeeReg) != MIB_REGISTERED_OK) {
        *error = "cannot register the object handler";
        return false;
    }

    // Port 0: take a free one from the kernel first; the transport parser reads 0 as "default".
    int port = m_options.port;
    bool ipv6 = m_options.address.find(':') != std::string::npos;
    if (port == 0) {
        int fd = socket(ipv6 ? AF_INET6 : AF_INET, SOCK_DGRAM, 0);
        sockaddr_storage ss{};
        socklen_t len = 0;
        if (ipv6) {
            auto* a6 = reinterpret_cast<sockaddr_in6*>(&ss);
            a6->sin6_family = AF_INET6;
            inet_pton(AF_INET6, m_options.address.c_str(), &a6->sin6_addr);
            len = sizeof(sockaddr_in6);
        } else {
            auto* a4 = reinterpret_cast<sockaddr_in*>(&ss);
            a4->sin_family = AF_INET;
            inet_pton(AF_INET, m_options.address.c_str(), &a4->sin_addr);
            len = sizeof(sockaddr_in);
        }
        if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&ss), len) != 0 ||
            getsockname(fd, reinterpret_cast<sockaddr*>(&ss), &len) != 0) {
            if (fd >= 0) {
                close(fd);
            }
            *error = "cannot bind " + m_options.address;
            return false;
        }
        port = ntohs(ipv6 ? reinterpret_cast<sockaddr_in6*>(&ss)->sin6_port
                          : reinterpret_cast<sockaddr_in*>(&ss)->sin_port);
        close(fd);
    }
    std::string spec = ipv6 ? "udp6:[" + m_options.address + "]:" + std::to_string(port)
                            : "udp:" + m_options.address + ":" + std::to_string(port);
    netsnmp_transport* transport = netsnmp_transport_open_server("ksx-sim", spec.c_str());
    if (!transport) {
        *error = "cannot listen on " + spec;
        return false;
    }

    g_transportSend = transport->f_send;
    transport->f_send = SendUnlessSilent;

    // Our own agent session: the same set-up as the library's listening sessions, with our
    // callback in front of the agent's packet handler.
    netsnmp_session session;
    snmp_sess_init(&session);
    session.version = SNMP_DEFAULT_VERSION;
    session.callback = PacketCallback;
    session.authenticator = nullptr;
    session.isAuthoritative = SNMP_SESS_AUTHORITATIVE;
    netsnmp_session* s = snmp_add(&session, transport, netsnmp_agent_check_packet, netsnmp_agent_check_parse);
    if (!s) {
        *error = "cannot open the agent session";
        return false;
    }
    m_session = s;
    m_port = port;
    return true;
}

void Agent::SetError(const Oid& oid, int status) {
    if (status == 0) {
        m_errors.erase(oid);
    } else {
        m_errors[oid] = status;
    }
}

void Agent::SetValueError(const Oid& oid, const std::string& value, int status) {
    if (status == 0) {
        m_valueErrors.erase({oid, value});
    } else {
        m_valueErrors[{oid, value}] = status;
    }
}

int Agent::ValueError(const Oid& o, const std::string& value) const {
    for (const auto& [key, status] : m_valueErrors) {
        if ((key.second == value || key.second == "*") && HasPrefix(o, key.first)) {
            return status;
        }
    }
    return 0;
}

bool Agent::DropsWrite(const void* p) const {
    const auto* pdu = static_cast<const netsnmp_pdu*>(p);
    if (pdu->command != SNMP_MSG_SET || m_valueErrors.empty()) {
        return false;
    }
    for (const netsnmp_variable_list* vb = pdu->variables; vb; vb = vb->next_variable) {
        const Oid o = ToOid(vb->name, vb->name_length);
        if (ValueError(o, ValueText(FromVar(vb, m_device.DeclaredType(o)))) == kDropWrite) {
            return true;
        }
    }
    return false;
}

void Agent::SetOmitted(const Oid& oid, bool on) {
    if (oid.empty()) {
        m_omitted.clear();
        return;
    }
    std::erase(m_omitted, oid);
    if (on) {
        m_omitted.push_back(oid);
    }
}

bool Agent::Omitted(const Oid& oid) const {
    for (const Oid& prefix : m_omitted) {
        if (HasPrefix(oid, prefix)) {
            return true;
        }
    }
    return false;
}

bool Agent::AnswerOmitting(void* s, void* p, Clock::time_point now) {
    auto* pdu = static_cast<netsnmp_pdu*>(p);
    if (m_omitted.empty() || pdu->version == SNMP_VERSION_3 ||
        (pdu->command != SNMP_MSG_GET && pdu->command != SNMP_MSG_GETNEXT)) {
        return false;
    }
    netsnmp_pdu* reply = snmp_clone_pdu(pdu);
    if (!reply) {
        return false;
    }
    snmp_free_varbind(reply->variables);
    reply->variables = nullptr;
    reply->command = SNMP_MSG_RESPONSE;
    reply->errstat = SNMP_ERR_NOERROR;
    reply->errindex = 0;
    bool left = false;
    for (const netsnmp_variable_list* vb = pdu->variables; vb; vb = vb->next_variable) {
        Oid o = ToOid(vb->name, vb->name_length);
        std::optional<std::pair<Oid, Value>> answer;
        if (pdu->command == SNMP_MSG_GET) {
            if (auto v = m_device.Get(o, now)) {
                answer = std::make_pair(o, *v);
            }
        } else {
            answer = m_device.Next(o, now);
        }
        if (Omitted(o) || (answer && Omitted(answer->first))) {
            left = true;
            continue;
        }
        if (!answer || InjectedError(o) || InjectedError(answer->first)) {
            snmp_free_pdu(reply);
            return false;
        }
        std::vector<oid> ids(answer->first.begin(), answer->first.end());
        netsnmp_variable_list* added =
            snmp_varlist_add_variable(&reply->variables, ids.data(), ids.size(), ASN_NULL, nullptr, 0);
        if (!added) {
            snmp_free_pdu(reply);
            return false;
        }
        SetVar(added, answer->second);
    }
    if (!left) {
        snmp_free_pdu(reply);
        return false;
    }
    if (!snmp_send(static_cast<netsnmp_session*>(s), reply)) {
        snmp_free_pdu(reply);
    }
    return true;
}

int Agent::InjectedError(const Oid& oid) const {
    for (const auto& [prefix, status] : m_errors) {
        if (HasPrefix(oid, prefix)) {
            return status;
        }
    }
    return 0;
}

bool Agent::ShouldDrop() {
    m_dropAccumulator += m_dropPercent;
    if (m_dropAccumulator >= 100) {
        m_dropAccumulator -= 100;
        return true;
    }
    return m_lossPercent > 0 && static_cast<int>(m_lossRandom() % 100) < m_lossPercent;
}

void Agent::LogPdu(const void* p) {
    const auto* pdu = static_cast<const netsnmp_pdu*>(p);
    int version = pdu->version == SNMP_VERSION_1 ? 1 : pdu->version == SNMP_VERSION_2c ? 2 : 3;
    std::string line =
        "v=" + std::to_string(version) + " p=" + Escape(Principal(pdu)) + " t=" + PduName(pdu->command);
    for (const netsnmp_variable_list* vb = pdu->variables; vb; vb = vb->next_variable) {
        Oid o = ToOid(vb->name, vb->name_length);
        Value v = FromVar(vb, m_device.DeclaredType(o));
        line += " b=" + OidText(o) + "|" + std::string(1, v.type) + "|" + Escape(ValueText(v));
    }
    m_log.push_back(std::move(line));
    m_logIds.push_back(pdu->reqid);
    // A benchmark can send millions of requests; keep the newest.
    if (m_log.size() > 2000000) {
        m_log.pop_front();
        m_logIds.pop_front();
    }
}

bool Agent::LoseAnswerOf(const void* p, Clock::time_point now) {
    const auto* pdu = static_cast<const netsnmp_pdu*>(p);
    if (pdu->command != SNMP_MSG_SET) {
        return false;
    }
    if (m_lostReqid && *m_lostReqid == pdu->reqid && m_lostPrincipal == Principal(pdu)) {
        return true;  // a resend of the request whose answer is lost
    }
    if (m_loseAnswer.empty()) {
        return false;
    }
    std::vector<Binding> bindings;
    bool touched = false;
    for (const netsnmp_variable_list* vb = pdu->variables; vb; vb = vb->next_variable) {
        const Oid o = ToOid(vb->name, vb->name_length);
        touched = touched || HasPrefix(o, m_loseAnswer);
        bindings.push_back({o, FromVar(vb, m_device.DeclaredType(o))});
    }
    if (!touched) {
        return false;
    }
    const bool mayWrite = pdu->version == SNMP_VERSION_3 || Principal(pdu) == m_options.writeCommunity;
    if (mayWrite && m_device.CheckSet(bindings).status == kNoError) {
        m_device.ApplySet(bindings, now);
    }
    m_loseAnswer.clear();
    if (!m_loseOnce) {
        m_lostReqid = pdu->reqid;
        m_lostPrincipal = Principal(pdu);
    }
    return true;
}

bool Agent::Admitted(const void* p) const {
    const auto* pdu = static_cast<const netsnmp_pdu*>(p);
    if (pdu->version == SNMP_VERSION_3) {
        return true;  // USM has authenticated it already
    }
    std::string community = Principal(pdu);
    return community == m_options.readCommunity || community == m_options.writeCommunity;
}

int Agent::MinimumLevel(const std::string& user) const {
    for (const auto& u : m_options.users) {
        if (u.name == user) {
            return u.priv.empty() ? (u.auth.empty() ? SNMP_SEC_LEVEL_NOAUTH : SNMP_SEC_LEVEL_AUTHNOPRIV)
                                  : SNMP_SEC_LEVEL_AUTHPRIV;
        }
    }
    return SNMP_SEC_LEVEL_AUTHPRIV;
}

int Agent::OnPacket(int op, void* session, int reqid, void* p, void* magic) {
    auto* pdu = static_cast<netsnmp_pdu*>(p);
    auto* sess = static_cast<netsnmp_session*>(session);
    if (op != NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE || !pdu || !PduName(pdu->command)) {
        return handle_snmp_packet(op, sess, reqid, pdu, magic);
    }
    LogPdu(pdu);
    auto now = Clock::now();
    // A wrong community gets no answer, as on the real device.
    if (!Admitted(pdu) || m_silence || m_device.Rebooting(now) ||
        (m_writesSilent && pdu->command == SNMP_MSG_SET) || DropsWrite(pdu) || ShouldDrop() ||
        LoseAnswerOf(pdu, now)) {
        return 1;
    }
    if (m_decryptionErrors && pdu->version == SNMP_VERSION_3 &&
        pdu->securityLevel == SNMP_SEC_LEVEL_AUTHPRIV) {
        netsnmp_pdu* report = snmp_clone_pdu(pdu);
        if (report && (snmpv3_make_report(report, SNMPERR_USM_DECRYPTIONERROR) != SNMPERR_SUCCESS ||
                       !snmp_send(sess, report))) {
            snmp_free_pdu(report);
        }
        return 1;
    }
    if (m_delayMs > 0 || now < m_stallUntil) {
        netsnmp_pdu* copy = snmp_clone_pdu(pdu);
        if (copy) {
            const auto due = std::max(now + std::chrono::milliseconds(m_delayMs), m_stallUntil);
            m_delayed.push_back({due, sess, reqid, copy, magic});
        }
        return 1;
    }
    if (AnswerOmitting(sess, pdu, now)) {
        return 1;
    }
    return handle_snmp_packet(op, sess, reqid, pdu, magic);
}

void Agent::RunDelayed(Clock::time_point now) {
    while (!m_delayed.empty() && m_delayed.front().due <= now) {
        Delayed d = m_delayed.front();
        m_delayed.pop_front();
        auto* pdu = static_cast<netsnmp_pdu*>(d.pdu);
        if (!m_silence && !m_device.Rebooting(now) && !AnswerOmitting(d.session, pdu, now)) {
            handle_snmp_packet(NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE, static_cast<netsnmp_session*>(d.session),
                               d.reqid, pdu, d.magic);
        }
        snmp_free_pdu(pdu);
    }
}

void Agent::DropDelayed() {
    for (auto& d : m_delayed) {
        snmp_free_pdu(static_cast<netsnmp_pdu*>(d.pdu));
    }
    m_delayed.clear();
}

std::optional<Clock::time_point> Agent::NextDelayed() const {
    if (m_delayed.empty()) {
        return std::nullopt;
    }
    return m_delayed.front().due;
}

int Agent::OnRequests(void* ri, void* rq, const Oid& root) {
    auto* reqinfo = static_cast<netsnmp_agent_request_info*>(ri);
    auto* requests = static_cast<netsnmp_request_info*>(rq);
    const netsnmp_pdu* pdu = reqinfo->asp ? reqinfo->asp->pdu : nullptr;
    auto now = Clock::now();

    // SNMPv3 requests below the user's own security level are refused.
    if (pdu && pdu->version == SNMP_VERSION_3 && pdu->securityLevel < MinimumLevel(Principal(pdu))) {
        if (reqinfo->mode != MODE_SET_ACTION && reqinfo->mode != MODE_SET_COMMIT &&
            reqinfo->mode != MODE_SET_FREE && reqinfo->mode != MODE_SET_UNDO &&
            reqinfo->mode != MODE_SET_RESERVE2) {
            netsnmp_set_request_error(reqinfo, requests, SNMP_ERR_AUTHORIZATIONERROR);
        }
        return SNMP_ERR_NOERROR;
    }

    switch (reqinfo->mode) {
        case MODE_GET:
            for (netsnmp_request_info* r = requests; r; r = r->next) {
                if (r->processed) {
                    continue;
                }
                Oid o = ToOid(r->requestvb->name, r->requestvb->name_length);
                if (int status = InjectedError(o)) {
                    netsnmp_set_request_error(reqinfo, r, status);
                    continue;
                }
                if (auto v = m_device.Get(o, now)) {
                    SetVar(r->requestvb, *v);
                } else {
                    netsnmp_set_request_error(
                        reqinfo, r, m_device.KnownObject(o) ? SNMP_NOSUCHINSTANCE : SNMP_NOSUCHOBJECT);
                }
            }
            break;
        case MODE_GETNEXT:
            for (netsnmp_request_info* r = requests; r; r = r->next) {
                if (r->processed) {
                    continue;
                }
                Oid o = ToOid(r->requestvb->name, r->requestvb->name_length);
                auto next = m_device.Next(o, now);
                if (next && !HasPrefix(next->first, root)) {
                    next.reset();  // outside the subtree this handler serves
                }
                int status = InjectedError(o);
                if (!status && next) {
                    status = InjectedError(next->first);
                }
                if (status) {
                    netsnmp_set_request_error(reqinfo, r, status);
                    continue;
                }
                if (next) {
                    std::vector<oid> ids(next->first.begin(), next->first.end());
                    snmp_set_var_objid(r->requestvb, ids.data(), ids.size());
                    SetVar(r->requestvb, next->second);
                }
            }
            break;
        case MODE_SET_RESERVE1: {
            bool mayWrite =
                !pdu || pdu->version == SNMP_VERSION_3 || Principal(pdu) == m_options.writeCommunity;
            if (m_writesRefused != 0) {
                netsnmp_set_request_error(reqinfo, requests, m_writesRefused);
                return SNMP_ERR_NOERROR;
            }
            std::vector<Binding> bindings;
            std::vector<netsnmp_request_info*> reqs;
            for (netsnmp_request_info* r = requests; r; r = r->next) {
                Oid o = ToOid(r->requestvb->name, r->requestvb->name_length);
                if (!mayWrite) {
                    netsnmp_set_request_error(reqinfo, r, SNMP_ERR_NOACCESS);
                    return SNMP_ERR_NOERROR;
                }
                if (int status = InjectedError(o)) {
                    netsnmp_set_request_error(reqinfo, r, status);
                    return SNMP_ERR_NOERROR;
                }
                bindings.push_back({o, FromVar(r->requestvb, m_device.DeclaredType(o))});
                if (int status = ValueError(o, ValueText(bindings.back().value)); status > 0) {
                    netsnmp_set_request_error(reqinfo, r, status);
                    return SNMP_ERR_NOERROR;
                }
                reqs.push_back(r);
            }
            SetResult result = m_device.CheckSet(bindings);
            if (result.status != kNoError) {
                netsnmp_set_request_error(reqinfo, reqs[result.index], result.status);
            }
            break;
        }
        case MODE_SET_ACTION: {
            std::vector<Binding> bindings;
            for (netsnmp_request_info* r = requests; r; r = r->next) {
                Oid o = ToOid(r->requestvb->name, r->requestvb->name_length);
                bindings.push_back({o, FromVar(r->requestvb, m_device.DeclaredType(o))});
            }
            m_device.ApplySet(bindings, now);
            break;
        }
        default:
            break;
    }
    return SNMP_ERR_NOERROR;
}

}  // namespace ksxsim
