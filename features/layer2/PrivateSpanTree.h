// "Spanning Tree Table": every port's spanning tree state, priority, path cost, edge, point-to-point,
// restrictions and status. Opening it switches spanning tree off on the ports that run loopback
// detection (off the window's thread, port by port), then reads the table; "&Port Config" edits one port.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "controls/StepRun.h"
#include "core/CommonSNMP.h"
#include "features/layer2/PrivateSpanTTableBase.h"

class CPrivateSpanTree : public CPrivateSpanTTableBase {
public:
    explicit CPrivateSpanTree(QWidget* parent = nullptr);
    ~CPrivateSpanTree() override;

    // Starts the pass that switches spanning tree off (through the bridge MIB) on every port whose loopback
    // detection is enabled: one read a port, and a write for each such port. The table is read after it.
    void DisableStpOnLbdPorts();
    const CStepRun& Run() const { return m_run; }

    int DestroyWindow() override;

    // What the pass says when it ends short of its last port, `done` ports having ended well.
    struct LbdPass {
        int ports = 0;
        std::vector<int> switchedOff;     // ports whose write the device accepted
        int writing = 0;                  // the port whose write was sent and not answered yet (0: none)
        int failedPort = 0;               // the port whose request failed
        std::optional<SnmpAnswer> write;  // how that port's write went, when it was sent
    };
    static std::string StoppedText(const LbdPass& pass, int done);
    static std::string FailedText(const LbdPass& pass, int done);

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    std::vector<std::string> Cells(const ksx::WalkStep& step) const override;
    int RunEditor() override;
    bool Busy() const override { return m_run.Running(); }

private:
    ksx::StepOutcome CheckPort(int port);

    CCommonSNMP m_lbdSession;  // the pass's requests (the walk has its own)
    std::mutex m_passLock;
    LbdPass m_pass;         // under m_passLock
    CStepRun m_run{*this};  // last: stopped before the session goes
};
