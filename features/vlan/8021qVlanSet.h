// "802.1Q VLAN Configuration": the device's active VLANs with their member and untagged ports, the
// asymmetric VLAN switch, deletion of a VLAN, and the add/edit and PVID dialogs.
//
// A refresh reads the voice and surveillance VLAN settings, the asymmetric switch, the PVIDs, the IP
// interfaces' VLANs and the VLAN table. Each action is available only once everything it checks has
// been read: add, edit and PVID need the whole VLAN table; delete and the switch's Apply also need the
// settings they are checked against. A read that fails is named in the status line and Refresh stays
// usable. Child dialogs get a copy of the finished VLAN list. A VLAN being put back after its edit was
// closed is listed as such (it is out of service meanwhile); Edit and Delete of it, and an Add of its id,
// wait for the put-back, then the list reads again.
#pragma once

#include <optional>

#include <string>
#include <vector>

#include "controls/TableDialog.h"
#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "features/vlan/VlanTable.h"

class QLabel;

class C8021qVlanSet : public CTableDialog {
public:
    explicit C8021qVlanSet(QWidget* parent = nullptr);
    ~C8021qVlanSet() override;

    // Read-only views for tests.
    const VlanList& Vlans() const { return m_vlans; }
    const ksx::vlan::VlanGuards& Guards() const { return m_guards; }
    bool VlanTableRead() const { return m_vlanRead == ReadState::kDone; }

    // Reads everything again: voice and surveillance settings, the switch, PVIDs, IP interfaces, then
    // the VLAN table.
    void RefreshAll();

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnOK() override;
    // A VLAN table row: listed and kept when active.
    void OnRow(const TableRow& row) override;
    void OnReadEnd(const ksx::WalkEnd& end) override;

private:
    enum class ReadState { kPending, kDone, kFailed };

    void OnApplyAsymmetric();
    void OnAdd();
    void OnEdit();
    void OnDelete();
    void OnPvid();

    struct VoiceSurveillance {
        std::string voiceState, voiceId, surveillanceState, surveillanceId;
    };
    struct PvidRow {
        int port = 0;
        std::optional<long long> pvid;  // none when not read (missing, another type)
    };

    void ReadVoiceSurveillanceVlan();
    void OnVoiceSurveillanceRead(const VoiceSurveillance& values);
    void ReadAsymmetricVlan();
    void OnAsymmetricEnd(const ksx::WalkEnd& end);
    void ReadPvids();
    void ReadIpInterfaceVlans();
    void UpdateButtons();
    // The selected VLAN is being put back after its edit was closed: Edit and Delete wait for that.
    bool SelectedPutBack() const;

    QLabel* m_status = nullptr;

    CCommonSNMP m_cCommonSNMP;                 // asymmetric switch read and write
    CCommonSNMP m_cCommonSNMPTableVlanDelete;  // row delete

    int m_nPortNum = 0;
    VlanList m_vlans;
    ksx::vlan::VlanGuards m_guards;  // voice, surveillance, PVIDs, IP interfaces, the switch
    ReadState m_vlanRead = ReadState::kPending;
    ReadState m_voiceState = ReadState::kPending;
    ReadState m_pvidRead = ReadState::kPending;
    ReadState m_ipIfRead = ReadState::kPending;
    ReadState m_asymmetricRead = ReadState::kPending;

    // Readers after the sessions they use.
    CCommonSNMP m_cCommonSNMPVoiceVlan;  // voice and surveillance read
    CCommonSNMP m_cCommonSNMPTable;      // PVID walk
    CCommonSNMP m_cCommonSNMPIpIfVlan;   // IP-interface VLAN walk
    ksx::TableRead<VoiceSurveillance> m_voiceRead;
    ksx::TableRead<PvidRow> m_pvidWalk;
    ksx::TableRead<std::string> m_ipIfWalk;
    ksx::TableRead<std::optional<long long>> m_asymmetricWalk;
    std::optional<long long> m_asymmetricValue;  // the last read's value, until its end
    std::vector<char> m_pvidFound;               // per port: the last PVID walk gave its value
};
