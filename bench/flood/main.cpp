// bench_flood: an SNMPv3 authPriv session reads sysName.0 from the simulator over and over while a sender
// that is not the agent floods the session's UDP port with forged SNMPv3 datagrams, 100,000 of each kind
// (or the count given as the first argument): each PDU tag (get, get-next, response, set, v1 trap,
// get-bulk, inform, v2 trap, report) in noAuth, authNoPriv and authPriv envelopes in turn, reports of every
// USM statistics counter (authenticated and not, encrypted and not) and answers to a discovery probe
// naming engine ids of 0, 1, 32 and 33 octets. For each kind: the growth of the process's resident memory
// (the goal is under 1 MB), the datagrams the kernel dropped at the session's socket, and the share of
// the reads during the flood that were answered.
//
// `bench_flood --corpus DIR` instead writes the same messages, for the sessions of the SNMPv3 filter's fuzz
// target (fuzz_usm_filter), as seeds: every PDU tag at every security level.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/library/keytools.h>
#include <net-snmp/library/scapi.h>
#include <net-snmp/library/transform_oids.h>
// clang-format on

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/snmplib/Snmp.h"
#include "tests/support/SimSwitch.h"

namespace {

using Bytes = std::string;
const char* const kSysName = "1.3.6.1.2.1.1.5.0";
constexpr unsigned long kTimeoutMs = 3000;

// BER: a tag and its content, integers, object identifiers.
Bytes Tlv(uint8_t tag, const Bytes& content) {
    Bytes out(1, static_cast<char>(tag));
    const size_t n = content.size();
    if (n < 0x80) {
        out += static_cast<char>(n);
    } else if (n < 0x100) {
        out += "\x81", out += static_cast<char>(n);
    } else {
        out += "\x82", out += static_cast<char>(n >> 8), out += static_cast<char>(n & 0xff);
    }
    return out + content;
}

Bytes Int(long v, uint8_t tag = 0x02) {
    Bytes b;
    do {
        b.insert(b.begin(), static_cast<char>(v & 0xff));
        v >>= 8;
    } while (v != 0 && v != -1);
    if ((b[0] & 0x80) != 0) {
        b.insert(b.begin(), '\0');
    }
    return Tlv(tag, b);
}

Bytes Oid(const std::vector<unsigned long>& ids) {
    Bytes b(1, static_cast<char>(ids[0] * 40 + ids[1]));
    for (size_t i = 2; i < ids.size(); ++i) {
        Bytes sub(1, static_cast<char>(ids[i] & 0x7f));
        for (unsigned long v = ids[i] >> 7; v != 0; v >>= 7) {
            sub.insert(sub.begin(), static_cast<char>(0x80 | (v & 0x7f)));
        }
        b += sub;
    }
    return Tlv(0x06, b);
}

// A PDU of tag `tag` with one binding: sysName.0 with a NULL, or for a report a USM statistics counter
// (1.3.6.1.6.3.15.1.1.`counter`.0) with its count.
Bytes Pdu(uint8_t tag, long requestId, int counter = 0) {
    const Bytes bind =
        counter ? Tlv(0x30, Oid({1, 3, 6, 1, 6, 3, 15, 1, 1, static_cast<unsigned long>(counter), 0}) +
                                Int(7, 0x41))
                : Tlv(0x30, Oid({1, 3, 6, 1, 2, 1, 1, 5, 0}) + Tlv(0x05, ""));
    if (tag == SNMP_MSG_TRAP) {
        // Enterprise (of the longest kind, 128 arcs), agent address, generic and specific trap, time stamp.
        std::vector<unsigned long> enterprise = {1, 3, 6, 1, 4, 1, 99999};
        enterprise.resize(MAX_OID_LEN, 1);
        return Tlv(tag, Oid(enterprise) + Tlv(0x40, Bytes("\x7f\0\0\x01", 4)) + Int(6) + Int(1) +
                            Int(4242, 0x43) + Tlv(0x30, bind));
    }
    return Tlv(tag, Int(requestId) + Int(0) + Int(0) + Tlv(0x30, bind));
}

// Who a message claims to come from, and the keys it is made with (empty: a forger's digest of zeros and
// privacy with a key nobody holds).
struct Sender {
    Bytes engine;
    unsigned long boots = 5, time = 1000;
    Bytes user;
    Bytes privKey;  // localized DES key (16 octets: key and pre-IV)
};

// An SNMPv3 message: msgFlags `flags` (1 authenticated, 2 encrypted), the scoped PDU around `pdu`.
// Authenticated ones carry 12 zero octets for the digest; encrypted ones an 8-octet salt.
Bytes Message(const Sender& s, long msgId, uint8_t flags, const Bytes& pdu) {
    Bytes scoped = Tlv(0x30, Tlv(0x04, s.engine) + Tlv(0x04, "") + pdu);
    const Bytes salt("\0\0\0\x05\x12\x34\x56\x78", 8);
    if (flags & 2) {
        Bytes key = s.privKey.size() == 16 ? s.privKey : Bytes(16, '\x5a');
        Bytes iv(8, '\0');
        for (int i = 0; i < 8; ++i) {
            iv[i] = static_cast<char>(key[8 + i] ^ salt[i]);
        }
        scoped.resize((scoped.size() + 7) / 8 * 8, '\0');
        Bytes out(scoped.size() + 8, '\0');
        size_t outLen = out.size();
        sc_encrypt(usmDESPrivProtocol, OID_LENGTH(usmDESPrivProtocol), reinterpret_cast<u_char*>(key.data()),
                   8, reinterpret_cast<u_char*>(iv.data()), 8, reinterpret_cast<const u_char*>(scoped.data()),
                   static_cast<u_int>(scoped.size()), reinterpret_cast<u_char*>(out.data()), &outLen);
        scoped = Tlv(0x04, out.substr(0, outLen));
    }
    const Bytes usm = Tlv(0x04, s.engine) + Int(static_cast<long>(s.boots)) + Int(static_cast<long>(s.time)) +
                      Tlv(0x04, s.user) + Tlv(0x04, (flags & 1) ? Bytes(12, '\0') : "") +
                      Tlv(0x04, (flags & 2) ? salt : "");
    return Tlv(
        0x30,
        Int(3) + Tlv(0x30, Int(msgId) + Int(65507) + Tlv(0x04, Bytes(1, static_cast<char>(flags))) + Int(3)) +
            Tlv(0x04, Tlv(0x30, usm)) + scoped);
}

const uint8_t kTags[] = {SNMP_MSG_GET,     SNMP_MSG_GETNEXT, SNMP_MSG_RESPONSE, SNMP_MSG_SET,   SNMP_MSG_TRAP,
                         SNMP_MSG_GETBULK, SNMP_MSG_INFORM,  SNMP_MSG_TRAP2,    SNMP_MSG_REPORT};
const char* const kTagNames[] = {"get",      "get-next", "response", "set",   "v1 trap",
                                 "get-bulk", "inform",   "v2 trap",  "report"};
const uint8_t kLevels[] = {0, 1, 3};  // msgFlags of noAuth, authNoPriv, authPriv
const char* const kLevelNames[] = {"noauth", "authnopriv", "authpriv"};

// One kind of forgery: the messages sent in turn.
struct Kind {
    std::string name;
    std::vector<Bytes> messages;
};

std::vector<Kind> Kinds(const Sender& s) {
    std::vector<Kind> kinds;
    for (size_t t = 0; t < std::size(kTags); ++t) {
        Kind k{kTagNames[t], {}};
        for (uint8_t flags : kLevels) {
            k.messages.push_back(
                Message(s, 300, flags, Pdu(kTags[t], 300, kTags[t] == SNMP_MSG_REPORT ? 2 : 0)));
        }
        kinds.push_back(k);
    }
    // usmStatsUnsupportedSecLevels (1) to usmStatsDecryptionErrors (6), authenticated and not, encrypted
    // and not.
    Kind reports{"usm reports", {}};
    for (int counter = 1; counter <= 6; ++counter) {
        for (uint8_t flags : kLevels) {
            reports.messages.push_back(Message(s, 300 + counter, flags, Pdu(SNMP_MSG_REPORT, 300, counter)));
        }
    }
    kinds.push_back(reports);
    Kind discovery{"discovery answers", {}};
    for (size_t length : {0, 1, 32, 33}) {
        Sender engine = s;
        engine.engine = Bytes(length, '\x80');
        engine.user.clear();
        discovery.messages.push_back(Message(engine, 7, 0, Pdu(SNMP_MSG_REPORT, 7, 4)));
    }
    kinds.push_back(discovery);
    return kinds;
}

// The fuzz target's sessions (tests/fuzz/fuzz_usm_filter.cpp): its agent's engine, one user per level.
int WriteCorpus(const std::filesystem::path& dir) {
    SnmpInit();
    const Bytes engine("\x80\x00\x1f\x88\x80ksx-agent", 14);
    Sender s{engine, 5, 1000, "", ""};
    const char* const users[] = {"ksx-n", "ksx-an", "ksx-ap"};
    // ksx-ap's privacy key: HMAC-MD5 from "fuzz-priv-pass", localized to the engine.
    u_char ku[USM_AUTH_KU_LEN], kul[USM_AUTH_KU_LEN];
    size_t kuLen = sizeof ku, kulLen = sizeof kul;
    const char pass[] = "fuzz-priv-pass";
    generate_Ku(usmHMACMD5AuthProtocol, OID_LENGTH(usmHMACMD5AuthProtocol),
                reinterpret_cast<const u_char*>(pass), std::strlen(pass), ku, &kuLen);
    generate_kul(usmHMACMD5AuthProtocol, OID_LENGTH(usmHMACMD5AuthProtocol),
                 reinterpret_cast<const u_char*>(engine.data()), engine.size(), ku, kuLen, kul, &kulLen);
    s.privKey.assign(reinterpret_cast<char*>(kul), kulLen);
    std::filesystem::create_directories(dir);
    for (size_t t = 0; t < std::size(kTags); ++t) {
        for (size_t l = 0; l < std::size(kLevels); ++l) {
            s.user = users[l];
            char name[32];
            std::snprintf(name, sizeof name, "tag_%02x_%s", kTags[t], kLevelNames[l]);
            std::ofstream(dir / name, std::ios::binary)
                << Message(s, 300, kLevels[l], Pdu(kTags[t], 300, kTags[t] == SNMP_MSG_REPORT ? 2 : 0));
        }
    }
    return 0;
}

long ResidentKb() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The inodes of this process's sockets.
std::set<unsigned long> OwnSockets() {
    std::set<unsigned long> inodes;
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        const std::string target = std::filesystem::read_symlink(e.path(), ec).string();
        if (!ec && target.rfind("socket:[", 0) == 0) {
            inodes.insert(std::stoul(target.substr(8)));
        }
    }
    return inodes;
}

// An IPv4 UDP socket's line in /proc/net/udp: its local port, receive queue, inode and drops.
struct UdpSocket {
    int port = 0;
    unsigned long rxQueue = 0, inode = 0, drops = 0;
};

std::vector<UdpSocket> UdpSockets() {
    std::vector<UdpSocket> out;
    std::ifstream f("/proc/net/udp");
    std::string line;
    std::getline(f, line);
    while (std::getline(f, line)) {
        std::istringstream in(line);
        std::string slot, local, remote, state, queues, timer, retr, uid, timeout;
        UdpSocket s;
        in >> slot >> local >> remote >> state >> queues >> timer >> retr >> uid >> timeout >> s.inode;
        std::string ref, pointer;
        in >> ref >> pointer >> s.drops;
        s.port = static_cast<int>(std::stoul(local.substr(local.find(':') + 1), nullptr, 16));
        s.rxQueue = std::stoul(queues.substr(queues.find(':') + 1), nullptr, 16);
        out.push_back(s);
    }
    return out;
}

// The session's socket: a UDP socket of this process that was not among `before`.
bool SessionSocket(const std::set<unsigned long>& before, UdpSocket& out) {
    const std::set<unsigned long> own = OwnSockets();
    for (const UdpSocket& s : UdpSockets()) {
        if (own.count(s.inode) && !before.count(s.inode)) {
            out = s;
            return true;
        }
    }
    return false;
}

// Reads sysName.0 until stopped, counting the reads and those answered.
struct Reader {
    explicit Reader(const std::string& agent) : agent(agent) {
        session.setUserName("shadesuser");
        session.setMsgFlags(3);
        session.setAuthArith(1);
        const std::string auth = "shaauthpass", priv = "desprivpass";
        session.setAuthPwd(reinterpret_cast<const unsigned char*>(auth.data()),
                           static_cast<int>(auth.size()));
        session.setPriArith(0);
        session.setPriPwd(reinterpret_cast<const unsigned char*>(priv.data()), static_cast<int>(priv.size()));
    }
    bool ReadOnce() {
        session.clearVarBindList();
        session.addValue(kSysName, SNMP_TYPE_NULL, nullptr);
        CSnmp* reply = nullptr;
        const int status = session.send(agent.c_str(), reply, kTimeoutMs);
        int errorStatus = -1, errorIndex = 0;
        if (reply) {
            reply->getErrorStatus(&errorStatus, &errorIndex);
        }
        delete reply;
        return status == 0 && errorStatus == 0;
    }
    void Start() {
        reads = answered = 0;
        stop = false;
        thread = std::thread([this] {
            while (!stop) {
                const bool ok = ReadOnce();
                answered += ok ? 1 : 0;
                ++reads;
            }
        });
    }
    void Stop() {
        stop = true;
        thread.join();
    }
    std::string agent;
    CSnmpV3 session;
    std::atomic<bool> stop{false};
    std::atomic<int> reads{0}, answered{0};
    std::thread thread;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "--corpus") == 0) {
        return WriteCorpus(argv[2]);
    }
    const long count = argc > 1 ? std::atol(argv[1]) : 100000;
    SnmpInit();
    ksx::test::SimSwitch sim;
    const std::string agent = sim.Address() + ":" + std::to_string(sim.Port());
    const std::set<unsigned long> before = OwnSockets();
    Reader reader(agent);
    UdpSocket target;
    if (!reader.ReadOnce() || !SessionSocket(before, target)) {
        std::printf("bench_flood: the session did not read, or its socket was not found\n");
        return 1;
    }
    const int sender = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(target.port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // Forged in the agent's user's name, at an engine of the forger's choosing.
    const Sender forger{Bytes("\x80\0\0\0\x04"
                              "forged",
                              11),
                        5, 1000, "shadesuser", ""};
    auto queue = [&target] {
        for (const UdpSocket& s : UdpSockets()) {
            if (s.inode == target.inode) {
                return s;
            }
        }
        return UdpSocket{};
    };
    auto flood = [&](const std::vector<Bytes>& messages, long n) {
        for (long i = 0; i < n; ++i) {
            const Bytes& m = messages[static_cast<size_t>(i) % messages.size()];
            sendto(sender, m.data(), m.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
            // Paced to what the session takes off its socket: at most ~64 kB waiting.
            while (i % 32 == 31 && queue().rxQueue > 65536) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        }
        while (queue().rxQueue > 0 && !reader.stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    std::printf(
        "%ld forged datagrams of each kind at the session's port (%d) while it reads sysName.0 (SNMPv3 "
        "authPriv); resident memory growth, goal under 1024 kB\n",
        count, target.port);
    std::printf("%-18s | %9s | %8s | %7s | %s\n", "kind", "growth kB", "dropped", "seconds",
                "reads answered");
    const auto t0 = std::chrono::steady_clock::now();
    // A first round, not counted: the allocator's and the library's buffers reach their working size.
    reader.Start();
    flood(Kinds(forger)[0].messages, count / 10);
    reader.Stop();
    bool allAnswered = true;
    for (const Kind& k : Kinds(forger)) {
        const long rss = ResidentKb();
        const unsigned long drops = queue().drops;
        const auto start = std::chrono::steady_clock::now();
        reader.Start();
        flood(k.messages, count);
        reader.Stop();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        allAnswered = allAnswered && reader.answered == reader.reads;
        std::printf("%-18s | %9ld | %8lu | %7.1f | %d/%d\n", k.name.c_str(), ResidentKb() - rss,
                    queue().drops - drops, seconds, reader.answered.load(), reader.reads.load());
        std::fflush(stdout);
    }
    close(sender);
    std::printf("every read answered: %s; %.1f s\n", allAnswered ? "yes" : "NO",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    return 0;
}
