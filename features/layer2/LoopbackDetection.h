// "Loopback Detection Settings": the device's loopback detection switch, mode, VLAN list, interval and
// recover time, detection on or off for a range of ports, and every port's state and loop status (with
// the VLANs a port was found looping in).
#pragma once

#include <memory>
#include <string>

#include "controls/StepRun.h"
#include "features/layer2/LBDetectionFunLogic.h"
#include "platform/ui/Dialog.h"

class CListCtrl;
class CPortRange;

class CLoopbackDetection : public ksx::CDialog {
public:
    explicit CLoopbackDetection(QWidget* parent = nullptr);
    ~CLoopbackDetection() override;

    // The refresh chain: trunk members and VLAN loops, then the global settings and the port table.
    void OnRefresh();
    // False after a refusal (its message shown).
    bool CheckStpConflict(int port);

    CLBDetectionFunLogic& Logic() { return m_logic; }
    // The port checks and writes under way (for their progress line).
    const CStepRun& Run() const { return m_run; }
    // The delay of the refresh a global write started; 0 when none is pending.
    int RefreshTimerMs() const { return m_nRefreshTimerMs; }
    int DestroyWindow() override;

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnTimer(unsigned id) override;

private:
    ksx::LRESULT OnSnmpResult(ksx::WPARAM wParam, ksx::LPARAM lParam);
    void OnGlobalSettings(const LbdGlobalSettings& g);
    void OnPortRow(const LbdPortRow& row);
    void OnRefreshEnd();
    void OnTrunksRead(bool ok);
    void EnablePortControls();
    void OnApplyGlobal();
    void OnApplyPorts();
    void OnEnabledClicked();
    void OnDisabledClicked();
    void OnModeChange();
    void EnableGlobalButtons(bool enable);

    CLBDetectionFunLogic m_logic;
    std::unique_ptr<CPortRange> m_range;
    CListCtrl* m_list = nullptr;
    bool m_bEnabled = false;     // the last global read said enabled
    bool m_bRefreshing = false;  // from OnRefresh to the end of the port walk
    bool m_bTrunksRead = false;  // the trunk members of this refresh are known
    bool m_bTrunkFailShown = false;
    bool m_bGlobalRead = false;  // the global read of this refresh arrived
    std::string m_strVlanList;   // the VLAN list of the last global read
    int m_nRefreshTimerMs = 0;
    CStepRun m_run{*this};  // the port checks and writes, off the window's thread
};
