// "Auto Surveillance VLAN Settings": the device's auto surveillance VLAN (state, VLAN ID, priority,
// tagged uplink/downlink ports), checked against the asymmetric VLAN, the voice VLAN, the existing
// VLANs and the link aggregation groups before it is written; and the table of surveillance devices
// known by MAC address or OUI, with its built-in rows and at most five user-defined ones.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "controls/StepRun.h"
#include "core/CommonSNMP.h"
#include "core/ModuleBase.h"
#include "core/RowCreate.h"
#include "core/TableRead.h"
#include "features/vlan/CameraVlanRules.h"
#include "platform/ui/Dialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class CListCtrlEx;

// Trunk membership for the tagged-port check; the dialog learns when its walk ended.
class CSurveillanceTrunks : public CModuleBase {
public:
    CSurveillanceTrunks() {
        m_trunkRead.onEnd = [this](const ksx::WalkEnd& end) {
            if (onEnd) {
                onEnd(end);
            }
        };
    }
    std::function<void(const ksx::WalkEnd&)> onEnd;  // UI thread
};

class CCameraVlanSetting : public ksx::CDialog {
public:
    explicit CCameraVlanSetting(QWidget* parent = nullptr);
    ~CCameraVlanSetting() override;

    // Re-reads everything: trunk membership, the VLAN ids (then the surveillance settings), the voice
    // VLAN and asymmetric VLAN, the device table and the voice VLAN OUI table.
    void RefreshAll();

    // For tests: refreshes whose reads have all ended, and the rows of the device list.
    int RefreshesEnded() const { return m_refreshesEnded; }
    bool ReadsRunning() const { return m_pendingReads > 0; }
    std::vector<std::string> ListMacTexts() const;
    // The voice VLAN read or Apply's write under way (their progress line).
    const CStepRun& Run() const { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    struct Globals {
        std::string state, vlanId, priority, ports;
    };
    struct DeviceRow {
        std::string type, description, mac;
    };

    void ReadVlanIds();
    void ReadSurveillanceGlobals();
    // Reads the voice and asymmetric VLAN off the window's thread; the read ends as one of the refresh.
    void ReadVoiceAndAsymmetric();
    void ReadDeviceTable();
    void ReadVoiceOuiTable();
    void ShowGlobals(const Globals& g);
    void AddDeviceRow(const DeviceRow& row);
    // One read of the refresh ended (ok or not); updates what may be used.
    void ReadEnded(bool ok, bool* flag);
    void UpdateControls();
    void OnEnableClicked();
    void OnModeChange();
    void OnApply();
    void OnAdd();
    // Runs the add of an entry checked already (again after the user's Yes to replacing another).
    void StartDeviceAdd(const std::string& type, const std::string& description, const std::string& mac,
                        bool oui);
    void OnDelete();
    bool ValidateDeviceEntry(const std::string& description, const std::string& mac);

    QCheckBox* m_chkEnable = nullptr;
    QLineEdit* m_editVlanId = nullptr;
    QComboBox* m_cbPriority = nullptr;
    QLineEdit* m_editPorts = nullptr;
    QComboBox* m_cbType = nullptr;
    QLineEdit* m_editDescription = nullptr;
    QComboBox* m_cbMode = nullptr;
    QLineEdit* m_editMac = nullptr;
    CListCtrlEx* m_list = nullptr;

    std::string m_strReadState = "2";
    std::vector<std::string> m_aVlanIds;
    std::vector<camvlan::VoiceOui> m_aVoiceOuis;
    int m_nVoiceState = 2;
    int m_nVoiceVlanId = 0;
    int m_nAsymmetricState = 2;
    std::vector<int> m_PortFlags;

    // What the checks of Apply and Add rely on, each set when its read succeeded in this refresh.
    bool m_bVlanIdsRead = false;
    bool m_bGlobalsRead = false;
    bool m_bVoiceRead = false;
    bool m_bTrunkRead = false;
    bool m_bTableRead = false;
    bool m_bVoiceOuisRead = false;
    bool m_bTableWalking = false;
    int m_pendingReads = 0;
    int m_refreshesEnded = 0;

    CSurveillanceTrunks m_trunk;        // trunk membership only
    CCommonSNMP m_cCommonSNMP;          // synchronous read, device-table writes
    CCommonSNMP m_cCommonSNMPSet;       // the set of Apply
    CCommonSNMP m_cCommonSNMPGet;       // the surveillance settings read
    CCommonSNMP m_cCommonSNMPTable;     // the device-table walk
    CCommonSNMP m_cCommonSNMPVoiceOui;  // the voice VLAN OUI walk
    CCommonSNMP m_cCommonSNMPVlanIds;   // the VLAN id walk
    ksx::TableRead<std::string> m_vlanIdWalk;
    ksx::TableRead<Globals> m_globalsRead;
    ksx::TableRead<DeviceRow> m_deviceWalk;
    ksx::TableRead<camvlan::VoiceOui> m_voiceOuiWalk;
    ksx::OtherRow m_other;  // an entry of the address not active that this module did not leave
    CStepRun m_run{*this};  // the voice VLAN read (m_cCommonSNMP), Apply's write (m_cCommonSNMPSet)
};
