// "802.1Q VLAN Configuration": the device's active VLANs with their member and untagged ports, the
// asymmetric VLAN switch, deletion of a VLAN, and the add/edit and PVID dialogs.
//
// A refresh reads the voice and surveillance VLAN settings, the asymmetric switch, the PVIDs, the IP
// interfaces' VLANs and the VLAN table. Each action is available only once everything it checks has
// been read: add, edit and PVID need the whole VLAN table; delete and the switch's Apply also need the
// settings they are checked against. A read that fails is named in the status line and Refresh stays
// usable. Child dialogs get a copy of the finished VLAN list.
#pragma once

#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "features/vlan/VlanReads.h"
#include "features/vlan/VlanTable.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;
class QLabel;

class C8021qVlanSet : public ksx::CDialog {
public:
    explicit C8021qVlanSet(QWidget* parent = nullptr);
    ~C8021qVlanSet() override;

    int DestroyWindow() override;

    // Read-only views for tests.
    const VlanList& Vlans() const { return m_vlans; }
    const ksx::vlan::VlanGuards& Guards() const { return m_guards; }
    bool VlanTableRead() const { return m_vlanRead == ReadState::kDone; }

    void Refresh();

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnOK() override;

private:
    enum class ReadState { kPending, kDone, kFailed };

    void OnApplyAsymmetric();
    void OnAdd();
    void OnEdit();
    void OnDelete();
    void OnPvid();

    void ReadVoiceSurveillanceVlan();
    void OnVoiceSurveillanceRead(int status, const std::vector<std::string>& values);
    bool ReadAsymmetricVlan();
    void ReadPvids();
    void OnPvidRow(const std::string& suffix, const std::string& value);
    void ReadIpInterfaceVlans();
    void ReadVlanTable();
    void OnVlanRow(const std::string& suffix, const std::vector<std::string>& values);
    void OnVlanTableEnd(int status);
    void UpdateButtons();

    CListCtrlEx* m_listVlan = nullptr;
    QLabel* m_status = nullptr;

    CCommonSNMP m_cCommonSNMP;                 // asymmetric switch read and write
    CCommonSNMP m_cCommonSNMPTableVlanDelete;  // row delete

    int m_nPortNum = 0;
    VlanList m_vlans;
    ksx::vlan::VlanGuards m_guards;  // voice, surveillance, PVIDs, IP interfaces, the switch
    ReadState m_vlanRead = ReadState::kPending;
    ReadState m_voiceRead = ReadState::kPending;
    ReadState m_pvidRead = ReadState::kPending;
    ReadState m_ipIfRead = ReadState::kPending;
    ReadState m_asymmetricRead = ReadState::kPending;
    std::vector<std::string> m_voiceValues;

    CVlanRead m_readVoice{*this, ksx::WM_USER + 201};  // voice and surveillance VLAN, one step
    CVlanRead m_readPvid{*this, ksx::WM_USER + 202};
    CVlanRead m_readIpIf{*this, ksx::WM_USER + 203};
    CVlanRead m_readVlan{*this, ksx::WM_USER + 204};
};
