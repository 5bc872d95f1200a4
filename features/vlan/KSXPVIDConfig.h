// "PVID Configuration": one edit per port with its port VLAN id. Opened by the VLAN list with a copy of
// the VLANs it read. Apply is available once the PVIDs and the ports' trunk membership have been read;
// it checks the trunk and VLAN rules, writes every port and closes, or says which port the device
// refused and stays open with the user's entries.
#pragma once

#include <QPointer>
#include <string>
#include <vector>

#include "controls/LxDialog.h"
#include "features/common/TrunkTable.h"
#include "features/vlan/PvidSettingLogic.h"
#include "features/vlan/VlanReads.h"
#include "features/vlan/VlanTable.h"

class QLabel;
class QLineEdit;

class CKSXPVIDConfig : public ClxDialog {
public:
    explicit CKSXPVIDConfig(QWidget* parent = nullptr);
    ~CKSXPVIDConfig() override;

    // Set by the opener before DoModal: the VLAN ids as text ("1,10"), their number, and the VLANs.
    void SetVlans(std::string vidText, int count, VlanList list);

    // Read-only views for tests.
    const std::vector<int>& Pvids() const { return m_pPvid; }
    const CTrunkGroups& TrunkGroups() const { return m_trunks; }
    // Ports per row of the edit grid for a port count.
    static int PortsPerRow(int ports);

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnOK() override;
    int DestroyWindow() override;

private:
    void LayoutPortControls();
    void OnRefresh();
    void OnPvidChange(int port);
    void ShowPvids();
    void OnPvidRow(const std::string& suffix, const std::string& value);
    void OnPvidEnd(int status);
    void OnTrunkRow(const std::string& suffix, const std::string& members);
    void OnTrunkEnd(int status);
    void UpdateApplyState();

    int m_nPortNum = 0;
    std::string m_strVidText;
    int m_nVlanCount = 0;
    VlanList m_vlans;

    std::vector<int> m_pPvid;  // per port, index port - 1
    CTrunkGroups m_trunks{0};
    enum class ReadState { kPending, kDone, kFailed };
    ReadState m_pvidRead = ReadState::kPending;
    bool m_bFilling = false;  // the edits are being filled from the device

    std::vector<QPointer<QLabel>> m_labels;
    std::vector<QPointer<QLineEdit>> m_edits;
    QLabel* m_status = nullptr;
    CPvidSettingLogic m_logic;
    CVlanRead m_readPvid{*this, ksx::WM_USER + 221};
    CVlanRead m_readTrunk{*this, ksx::WM_USER + 222};
};
