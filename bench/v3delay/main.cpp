// bench_v3delay: one-step reads of sysName.0 from the simulator answering every request after a delay
// (0, 300, 700, 1200 and 2500 ms by default, or the delays given as arguments), with a 3000 ms time-out.
// For each delay: the share of reads that succeed through our session over SNMPv1, SNMPv3 authNoPriv
// (SHA) and SNMPv3 authPriv (SHA, DES), beside snmpget with its own defaults and with -t 3 -r 0, in the
// same run. Every read is a new request object or a new snmpget process (engine discovery included);
// the reads of one delay run side by side.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/snmplib/Snmp.h"
#include "tests/support/SimSwitch.h"
#include "tests/support/ToolRun.h"

extern char** environ;

namespace {

constexpr int kReads = 4;  // per cell
constexpr unsigned long kTimeoutMs = 3000;
const char* const kSysName = "1.3.6.1.2.1.1.5.0";

enum Version { kV1, kV3Auth, kV3Priv };
const char* const kVersionNames[] = {"v1", "v3 auth", "v3 priv"};

// One read through our session: true when the value came back.
bool ReadOurs(const std::string& agent, Version v) {
    std::unique_ptr<CSnmpV1> get;
    if (v == kV1) {
        get = std::make_unique<CSnmpV1>(0);
        get->setCommunity("quaint");
    } else {
        auto v3 = std::make_unique<CSnmpV3>(0);
        v3->setUserName(v == kV3Auth ? "shauser" : "shadesuser");
        v3->setMsgFlags(v == kV3Auth ? 1 : 3);
        v3->setAuthArith(1);
        const std::string auth = "shaauthpass", priv = "desprivpass";
        v3->setAuthPwd(reinterpret_cast<const unsigned char*>(auth.data()), static_cast<int>(auth.size()));
        v3->setPriArith(0);
        v3->setPriPwd(reinterpret_cast<const unsigned char*>(priv.data()), static_cast<int>(priv.size()));
        get = std::move(v3);
    }
    get->addValue(kSysName, SNMP_TYPE_NULL, nullptr);
    CSnmp* reply = nullptr;
    const int status = get->send(agent.c_str(), reply, kTimeoutMs);
    int errorStatus = -1, errorIndex = 0;
    if (reply) {
        reply->getErrorStatus(&errorStatus, &errorIndex);
    }
    delete reply;
    return status == 0 && errorStatus == 0;
}

// One snmpget process: true when it printed the value and exited 0. `shortOptions`: -t 3 -r 0.
bool ReadSnmpget(const std::string& agent, Version v, bool shortOptions) {
    std::vector<std::string> args = {"snmpget", "-On", "-Oq"};
    if (v == kV1) {
        args.insert(args.end(), {"-v1", "-c", "quaint"});
    } else if (v == kV3Auth) {
        args.insert(args.end(),
                    {"-v3", "-l", "authNoPriv", "-u", "shauser", "-a", "SHA", "-A", "shaauthpass"});
    } else {
        args.insert(args.end(), {"-v3", "-l", "authPriv", "-u", "shadesuser", "-a", "SHA", "-A",
                                 "shaauthpass", "-x", "DES", "-X", "desprivpass"});
    }
    if (shortOptions) {
        args.insert(args.end(), {"-t", "3", "-r", "0"});
    }
    args.push_back(agent);
    args.push_back(kSysName);
    const ksx::test::ToolResult r = ksx::test::RunTool(args);
    return r.Ok() && !r.out.empty();
}

struct Column {
    std::string title;
    int tool;  // 0 ours, 1 snmpget defaults, 2 snmpget -t 3 -r 0
    Version version;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> delays = {0, 300, 700, 1200, 2500};
    if (argc > 1) {
        delays.clear();
        for (int i = 1; i < argc; ++i) {
            delays.push_back(std::atoi(argv[i]));
        }
    }
    SnmpInit();
    ksx::test::SimSwitch sim;
    const std::string agent = sim.Address() + ":" + std::to_string(sim.Port());

    std::vector<Column> columns;
    for (Version v : {kV1, kV3Auth, kV3Priv}) {
        columns.push_back({std::string("ours ") + kVersionNames[v], 0, v});
    }
    for (Version v : {kV1, kV3Auth, kV3Priv}) {
        columns.push_back({std::string("snmpget ") + kVersionNames[v], 1, v});
    }
    for (Version v : {kV1, kV3Auth, kV3Priv}) {
        columns.push_back({std::string("-t3 -r0 ") + kVersionNames[v], 2, v});
    }

    std::printf(
        "share of %d reads of sysName.0 that succeed, %lu ms time-out (snmpget: its defaults, and "
        "-t 3 -r 0)\n",
        kReads, kTimeoutMs);
    std::printf("%-9s", "delay ms");
    for (const Column& c : columns) {
        std::printf(" | %-15s", c.title.c_str());
    }
    std::printf("\n");
    const auto t0 = std::chrono::steady_clock::now();
    for (int delay : delays) {
        sim.DelayMs(delay);
        std::vector<std::atomic<int>> ok(columns.size());
        std::vector<std::thread> readers;
        for (size_t c = 0; c < columns.size(); ++c) {
            for (int i = 0; i < kReads; ++i) {
                readers.emplace_back([&, c] {
                    const Column& col = columns[c];
                    const bool read = col.tool == 0 ? ReadOurs(agent, col.version)
                                                    : ReadSnmpget(agent, col.version, col.tool == 2);
                    ok[c] += read ? 1 : 0;
                });
            }
        }
        for (auto& t : readers) {
            t.join();
        }
        std::printf("%-9d", delay);
        for (size_t c = 0; c < columns.size(); ++c) {
            std::printf(" | %14.0f%%", 100.0 * ok[c].load() / kReads);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    sim.DelayMs(0);
    std::printf("%.1f s\n", std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    return 0;
}
