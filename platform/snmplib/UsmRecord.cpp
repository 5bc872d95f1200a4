// The engine and user record of SNMPv3 sessions: the agent's engine id a session takes, our user's entries
// in the library's process-wide USM user list, and what engines that never answered with our key leave
// in it and in the library's engine-time records. Every function runs under g_lib.
#include "platform/snmplib/SnmpSessionState.h"

// clang-format off
#include <net-snmp/library/snmpusm.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace ksx::snmp {
namespace {

// Engine ids some session has heard answer with our key (or, without authentication, at all): what a
// session leaves of such an engine another session may be using.
std::set<std::vector<u_char>> g_verified;
std::set<const CSnmpSession::Net*> g_sessions;

bool HeldElsewhere(const CSnmpSession::Net& self, const std::vector<u_char>& engine) {
    for (const CSnmpSession::Net* o : g_sessions) {
        if (o == &self || !o->sess) {
            continue;
        }
        const netsnmp_session* ss = snmp_sess_session(o->sess);
        auto same = [&engine](const CSnmpSession::Step::Trial& t) { return t.engine == engine; };
        if ((ss->securityEngineIDLen && engine.size() == ss->securityEngineIDLen &&
             std::memcmp(ss->securityEngineID, engine.data(), engine.size()) == 0) ||
            (o->current && std::any_of(o->current->trials.begin(), o->current->trials.end(), same))) {
            return true;
        }
    }
    return false;
}

bool SameOid(const oid* a, size_t alen, const oid* b, size_t blen) {
    return alen == blen && (alen == 0 || (a && b && std::memcmp(a, b, alen * sizeof(oid)) == 0));
}

// The empty user the engine-ID probe is sent as; the agent's report is read back against it.
void EnsureProbeUser() {
    if (usm_get_user(nullptr, 0, const_cast<char*>(""))) {
        return;
    }
    usmUser* u = usm_create_user();
    if (!u) {
        return;
    }
    u->name = strdup("");
    u->secName = strdup("");
    usm_add_user(u);
}

}  // namespace

bool SameBytes(const u_char* p, size_t len, const std::vector<u_char>& v) {
    return len == v.size() && (len == 0 || (p && std::memcmp(p, v.data(), len) == 0));
}

bool UsableEngineId(const u_char* engine, size_t len) {
    return engine != nullptr && len >= 5 && len <= 32;
}

// Our authentication key localized to `engine`; empty for a session without authentication.
std::vector<u_char> LocalizedKey(netsnmp_session* ss, const std::vector<u_char>& engine) {
    u_char key[USM_AUTH_KU_LEN];
    size_t keyLen = sizeof key;
    if (!ss->securityAuthKeyLen || engine.empty() ||
        generate_kul(ss->securityAuthProto, static_cast<u_int>(ss->securityAuthProtoLen), engine.data(),
                     engine.size(), ss->securityAuthKey, ss->securityAuthKeyLen, key,
                     &keyLen) != SNMPERR_SUCCESS) {
        return {};
    }
    return {key, key + keyLen};
}

// Our user's entry for `engine` in the library's USM user list, made from the session's keys (another
// session may name the same user with other keys or level: its entry is replaced, and that session puts
// its own back before it sends: InstallUser). True when the entry is there; *made: there was none.
bool MakeUserFor(netsnmp_session* ss, const std::vector<u_char>& engine, bool* made) {
    usmUser* old = usm_get_user(engine.data(), engine.size(), ss->securityName);
    *made = old == nullptr;
    if (old) {
        usm_remove_user(old);
        usm_free_user(old);
    }
    // Made as for the session's own engine, from the session's master keys: any keys the library
    // localized for the session's engine are set aside meanwhile.
    netsnmp_session saved = *ss;
    ss->securityEngineID = const_cast<u_char*>(engine.data());
    ss->securityEngineIDLen = engine.size();
    ss->securityAuthLocalKey = nullptr;
    ss->securityAuthLocalKeyLen = 0;
    ss->securityPrivLocalKey = nullptr;
    ss->securityPrivLocalKeyLen = 0;
    ss->flags &= ~SNMP_FLAGS_USER_CREATED;
    usm_create_user_from_session(ss);
    ss->securityEngineID = saved.securityEngineID;
    ss->securityEngineIDLen = saved.securityEngineIDLen;
    ss->securityAuthLocalKey = saved.securityAuthLocalKey;
    ss->securityAuthLocalKeyLen = saved.securityAuthLocalKeyLen;
    ss->securityPrivLocalKey = saved.securityPrivLocalKey;
    ss->securityPrivLocalKeyLen = saved.securityPrivLocalKeyLen;
    ss->flags = saved.flags;
    return usm_get_user(engine.data(), engine.size(), ss->securityName) != nullptr;
}

void RemoveUserFor(netsnmp_session* ss, const u_char* engine, size_t len) {
    if (usmUser* u = usm_get_user(engine, len, ss->securityName)) {
        usm_remove_user(u);
        usm_free_user(u);
    }
}

// Takes the engine of a trial that answered with our key (or, without authentication, at all): what the
// engine given up left goes when that engine never answered so.
void TakeTrial(CSnmpSession::Net& n, const std::vector<u_char>& engine) {
    netsnmp_session* ss = snmp_sess_session(n.sess);
    if (!n.engineVerified && ss->securityEngineIDLen) {
        DropUnverified(
            n, std::vector<u_char>(ss->securityEngineID, ss->securityEngineID + ss->securityEngineIDLen));
    }
    TakeEngine(n, engine.data(), engine.size());
    NoteVerified(n);
}

void NoteVerified(CSnmpSession::Net& n) {
    netsnmp_session* ss = snmp_sess_session(n.sess);
    n.engineVerified = true;
    if (ss && ss->securityEngineIDLen) {
        g_verified.emplace(ss->securityEngineID, ss->securityEngineID + ss->securityEngineIDLen);
    }
}

void NoteSession(const CSnmpSession::Net& n, bool open) {
    if (open) {
        g_sessions.insert(&n);
    } else {
        g_sessions.erase(&n);
    }
}

void DropUnverified(const CSnmpSession::Net& self, const std::vector<u_char>& engine, const bool* userMade) {
    if (engine.empty() || !self.sess || g_verified.count(engine) || HeldElsewhere(self, engine)) {
        return;
    }
    netsnmp_session* ss = snmp_sess_session(self.sess);
    if (!userMade || *userMade) {
        RemoveUserFor(ss, engine.data(), engine.size());
    }
    // The library keeps the boots and time of every engine a readable message named (the discovery
    // answer's among them).
    free_enginetime(const_cast<u_char*>(engine.data()), engine.size());
}

// This session forgets the agent's engine id, so that the next step discovers the engine anew. `reset`: the
// engine started afresh (on authenticated evidence); its boots and time are forgotten too, also by the
// library's process-wide engine-time cache, where every session to that engine reads them, so that the
// next step synchronises with its clock anew. Under g_lib.
void ForgetEngine(CSnmpSession::Net& n, bool reset) {
    netsnmp_session* ss = snmp_sess_session(n.sess);
    if (std::getenv("KSX_DEBUG")) {
        std::fprintf(stderr,
                     "snmplib: %s: the agent's engine changed or restarted afresh; discovering it again\n",
                     n.peer.c_str());
    }
    if (reset && ss->securityEngineID && ss->securityEngineIDLen) {
        // Boots and time 0 (the library keeps an authenticated entry over an unauthenticated one): the
        // engine reports its own in answer to the next authenticated message, and the library takes them.
        set_enginetime(ss->securityEngineID, static_cast<u_int>(ss->securityEngineIDLen), 0, 0, TRUE);
    }
    SNMP_FREE(ss->securityEngineID);
    ss->securityEngineIDLen = 0;
    SNMP_FREE(ss->contextEngineID);
    ss->contextEngineIDLen = 0;
    n.engineKnown = false;
}

// Makes the process-wide USM user entry for this session's user and engine carry this session's keys.
// Called under g_lib before each send: two sessions may name the same user with different passwords.
void InstallUser(CSnmpSession::Net& n) {
    netsnmp_session* ss = snmp_sess_session(n.sess);
    if (!ss || !ss->securityEngineIDLen) {
        return;
    }
    usmUser* u = usm_get_user(ss->securityEngineID, ss->securityEngineIDLen, ss->securityName);
    if (u && !n.authKey.empty() == (u->authKeyLen != 0) && SameBytes(u->authKey, u->authKeyLen, n.authKey) &&
        SameBytes(u->privKey, u->privKeyLen, n.privKey) &&
        SameOid(u->authProtocol, u->authProtocolLen, ss->securityAuthProto, ss->securityAuthProtoLen) &&
        (ss->securityLevel != SNMP_SEC_LEVEL_AUTHPRIV ||
         SameOid(u->privProtocol, u->privProtocolLen, ss->securityPrivProto, ss->securityPrivProtoLen))) {
        return;
    }
    if (u) {
        usm_remove_user(u);
        usm_free_user(u);
    }
    ss->flags &= ~SNMP_FLAGS_USER_CREATED;
    usm_create_user_from_session(ss);
    u = usm_get_user(ss->securityEngineID, ss->securityEngineIDLen, ss->securityName);
    n.authKey.clear();
    n.privKey.clear();
    if (u) {
        if (u->authKey) {
            n.authKey.assign(u->authKey, u->authKey + u->authKeyLen);
        }
        if (u->privKey) {
            n.privKey.assign(u->privKey, u->privKey + u->privKeyLen);
        }
    }
}

// An unauthenticated get without bindings as the empty user: the agent answers it with a report (of its
// engine id, or of an unknown user once the engine id is known) that names its engine id. Under g_lib.
netsnmp_pdu* EngineProbe() {
    EnsureProbeUser();
    netsnmp_pdu* probe = snmp_pdu_create(SNMP_MSG_GET);
    if (probe) {
        probe->version = SNMP_VERSION_3;
        probe->securityName = strdup("");
        probe->securityNameLen = 0;
        probe->securityLevel = SNMP_SEC_LEVEL_NOAUTH;
        probe->securityModel = SNMP_SEC_MODEL_USM;
    }
    return probe;
}

// Takes `engine` as the agent's engine id: the session's security and context engine, our user's keys
// localized to it. Under g_lib.
void TakeEngine(CSnmpSession::Net& n, const u_char* engine, size_t len) {
    netsnmp_session* ss = snmp_sess_session(n.sess);
    SNMP_FREE(ss->securityEngineID);
    ss->securityEngineID = static_cast<u_char*>(netsnmp_memdup(engine, len));
    ss->securityEngineIDLen = len;
    SNMP_FREE(ss->contextEngineID);
    ss->contextEngineID = static_cast<u_char*>(netsnmp_memdup(engine, len));
    ss->contextEngineIDLen = len;
    n.authKey.clear();
    n.privKey.clear();
    InstallUser(n);
    n.engineKnown = true;
    n.engineVerified = false;
}

}  // namespace ksx::snmp
