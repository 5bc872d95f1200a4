// "GVRP Settings": the per-port PVID, GVRP, ingress checking and acceptable frame type as a list, and
// one set of values written to a range of ports.
#pragma once

#include <optional>

#include "controls/StepRun.h"
#include "features/vlan/GVRPFunLogic.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class CGVRPSettings : public ksx::CDialog {
public:
    explicit CGVRPSettings(QWidget* parent = nullptr);
    ~CGVRPSettings() override;

    void OnRefresh();
    void OnApply();
    CGVRPFunLogic& Logic() { return m_logic; }
    // The range write under way (for its progress line).
    const CStepRun& Run() const { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void ReadGvrpState();
    void OnGvrpState(std::optional<long long> state);
    void OnPortRow(const GvrpPortRow& row);
    void OnWalkFinished();
    void OnFromPortChange();
    void OnToPortChange();
    // The combo's text as a port number, 0 when it is not one from 1 to the port count.
    int PortOf(int comboId) const;

    CGVRPFunLogic m_logic;
    CListCtrlEx* m_list = nullptr;
    int m_nFinished = 0;          // walks of the current read that ended
    bool m_bTrunkFailed = false;  // the trunk walk of the current read did not finish
    bool m_bReadFailed = false;   // the state or the port table of the current read was not read
    CStepRun m_run{*this};        // the range write, off the window's thread
};
