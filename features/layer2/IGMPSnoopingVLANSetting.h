// "The VLAN Settings of IGMP snooping ": every VLAN's IGMP snooping state, querier state and fast leave,
// one VLAN's settings and static router ports (one check box per port); opens the multicast entries.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "controls/LxDialog.h"
#include "controls/StepRun.h"
#include "features/layer2/IGMPSnoopingLogic.h"

class CListCtrlEx;
class QCheckBox;
class QLabel;

class CIGMPSnoopingVLANSetting : public ClxDialog {
public:
    // `globalState`: the global IGMP snooping state read by the opener ("1" enabled).
    explicit CIGMPSnoopingVLANSetting(std::string globalState, QWidget* parent = nullptr);
    ~CIGMPSnoopingVLANSetting() override;

    int DestroyWindow() override;

    CIGMPSnoopingLogic m_IGMPLogic;
    std::string m_strGlobalState;
    std::vector<int> m_portValue;  // per port: 1 static router port; always the boxes' states
    bool m_bTrunksRead = false;    // the trunk check of the router-port Apply has its data

protected:
    void CreateControls() override;
    int OnInitDialog() override;

    void OnRefresh();
    void OnApply();
    void OnApplyRouterPorts();
    void OnMulticastEntry();
    void OnPortCheck(int id);
    void OnStateChange();
    void OnListClick();
    void EnableMemberPorts(const std::string& vlanId);
    ksx::LRESULT OnIGMPResult(ksx::WPARAM wParam, ksx::LPARAM lParam);

private:
    void CreatePortControls(class QGridLayout* grid);
    void ClearPorts();
    void ResetForm();

    CListCtrlEx* m_list = nullptr;
    std::vector<QLabel*> m_portLabels;
    std::vector<QCheckBox*> m_portChecks;
    CStepRun m_run{*this};  // Apply's writes, off the window's thread
};
