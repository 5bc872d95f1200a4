// "Auto Camera Vlan Port Settings": each port's auto detection setting and status for the auto
// surveillance VLAN, and auto detection switched on or off for a range of ports. Whoever runs it sets
// the surveillance VLAN id and state to show first; Apply is offered only while the state is enabled.
#pragma once

#include <string>

#include "controls/PortRange.h"
#include "controls/StepRun.h"
#include "controls/TableDialog.h"
#include "core/CommonSNMP.h"
#include "features/common/TrunkTable.h"

class CCameraVlanPortSetting : public CTableDialog {
public:
    explicit CCameraVlanPortSetting(QWidget* parent = nullptr);
    ~CCameraVlanPortSetting() override;

    // Set before the dialog runs: the surveillance VLAN id text and its state ("1" enabled).
    std::string m_strVlanId;
    std::string m_strState;

    // Walks the trunk member column, then the per-port table.
    void RefreshPorts();

    // For tests: port-table walks ended since the dialog opened.
    int WalksEnded() const { return m_walksEnded; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnReadEnd(const ksx::WalkEnd& end) override;

private:
    struct TrunkRow {
        std::string suffix, members;
    };

    void ReadTrunkGroups();
    void UpdateApply();
    void OnApply();

    CPortRange m_range;
    CTrunkGroups m_trunks;
    int m_walksEnded = 0;

    CCommonSNMP m_cCommonSNMPSet;            // Apply
    CCommonSNMP m_cCommonSNMPTableGetTrunk;  // the trunk walk; the port walk has the base's session
    ksx::TableRead<TrunkRow> m_trunkWalk;
    CStepRun m_run{*this};  // Apply's batches, off the window's thread
};
