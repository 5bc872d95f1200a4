// "PVID Configuration": one edit per port with its port VLAN id. Opened by the VLAN list with a copy of
// the VLANs it read. Apply is available once the PVIDs and the ports' trunk membership have been read;
// it checks the trunk and VLAN rules, writes every port and closes, or says which port the device
// refused and stays open with the user's entries.
#pragma once

#include <QPointer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/LxDialog.h"
#include "controls/StepRun.h"
#include "core/TableRead.h"
#include "features/common/TrunkTable.h"
#include "features/vlan/PvidSettingLogic.h"
#include "features/vlan/VlanTable.h"

class QGridLayout;
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
    const CTrunkGroups& TrunkGroups() const { return m_trunk->Groups(); }
    // The PVID writes under way (for their progress line).
    const CStepRun& Run() const { return m_run; }
    // Ports per row of the edit grid for a port count.
    static int PortsPerRow(int ports);

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnOK() override;

private:
    void LayoutPortControls();
    void OnRefresh();
    void OnPvidChange(int port);
    void ShowPvids();
    void OnPvidEnd(bool ok);
    void UpdateApplyState();

    struct PvidRow {
        int port = 0;                   // from the row's index
        std::optional<long long> pvid;  // none when the value was not read (missing, another type)
    };

    int m_nPortNum = 0;
    std::string m_strVidText;
    int m_nVlanCount = 0;
    VlanList m_vlans;

    std::vector<int> m_pPvid;       // per port, index port - 1
    std::vector<char> m_pvidFound;  // per port: its PVID was read by the last walk
    enum class ReadState { kPending, kDone, kFailed };
    ReadState m_pvidRead = ReadState::kPending;
    std::string m_strUnread;  // ports the last complete walk gave no PVID, as list text
    bool m_bFilling = false;  // the edits are being filled from the device

    std::vector<QPointer<QLabel>> m_labels;
    std::vector<QPointer<QLineEdit>> m_edits;
    QLabel* m_status = nullptr;
    QGridLayout* m_portGrid = nullptr;
    CPvidSettingLogic m_logic;
    std::unique_ptr<CTrunkMembership> m_trunk;  // the port count's trunk-group array
    CCommonSNMP m_cCommonSNMPTable;             // the PVID walk
    ksx::TableRead<PvidRow> m_pvidWalk;
    CStepRun m_run{*this};  // the PVID writes, off the window's thread
};
