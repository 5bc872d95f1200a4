// "IEEE 802.1Q Management VLAN Configuration": which active VLAN carries the switch's own management
// traffic and whether that setting is enabled. The VLAN ids come from a walk of the VLAN table; the
// state and id are read at its end and written together by Apply. The reads and writes that follow one
// another run off the window's thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "controls/StepRun.h"
#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "platform/ui/Dialog.h"

class QComboBox;
class QLineEdit;
class QLabel;

class CManagVlanSetDlg : public ksx::CDialog {
public:
    static const char* const kStateOid;
    static const char* const kVlanIdOid;
    static const char* const kNameColumn;
    static const char* const kEgressColumn;
    static const char* const kRowStatusColumn;
    static constexpr const char* kTextEmptyVlan = "Management VLAN could not be empty.";
    static constexpr const char* kTextSelectVlan = "Please select a VLAN ID.";

    explicit CManagVlanSetDlg(QWidget* parent = nullptr);
    ~CManagVlanSetDlg() override;

    // Starts the walk of the VLAN ids; the settings are read and shown at its end.
    void OnRefresh();

    // For tests and the owner: walks ended (any way) since the dialog opened, and the state read.
    int WalksEnded() const { return m_walksEnded; }
    const std::string& StateText() const { return m_strState; }
    const std::string& VlanIdText() const { return m_strVlanId; }
    // The settings read or Apply's requests under way (their progress line).
    const CStepRun& Run() const { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnOK() override;  // Apply; the dialog stays open

private:
    struct VlanRow {
        std::string id;
        std::string rowStatus;
    };

    // The settings as a run reads them (worker), shown once it ended.
    struct Settings {
        bool read = false;
        std::string state, vlanId, name;
    };
    // What Apply writes.
    struct Write {
        std::string state, vlanId;
    };
    // Apply's requests when `write` is given (the member check, the write), then the settings read.
    void StartRun(const std::optional<Write>& write);
    void OnVlanWalkEnd(const ksx::WalkEnd& end);
    void ShowSettings(const Settings& settings);
    // Worker: the state and id, then the name of that VLAN (kept as it was when its read fails).
    bool ReadManagementVlan(Settings& settings);
    bool ReadVlanName(Settings& settings);
    bool LookupVlanName(const std::string& vlanId, std::string& name);
    void OnEnableClicked();
    void OnVlanSelChange();
    // 1 pass, 0 the VLAN has no member port.
    bool CheckVlanHasMembers(const std::string& vlanId);
    // Worker: the write and the layer's account of it.
    SnmpAnswer WriteManagementVlan(const std::string& state, const std::string& vlanId);
    void SetReadStatus(const std::string& text);

    QComboBox* m_cbVlanId = nullptr;
    QLineEdit* m_editName = nullptr;
    int m_nRadio = 0;  // 0 Enable, 1 Disable

    std::string m_strState;
    std::string m_strVlanId;
    std::string m_strVlanName;
    std::vector<std::string> m_aRowState;  // per entry of the id list
    bool m_bSettingsRead = false;          // Apply waits for one good read of the state and id
    int m_walksEnded = 0;

    CCommonSNMP m_cCommonSNMP;       // synchronous gets
    CCommonSNMP m_cCommonSNMPSet;    // the set of Apply
    CCommonSNMP m_cCommonSNMPTable;  // the VLAN walk
    ksx::TableRead<VlanRow> m_vlanWalk;
    CStepRun m_run{*this};  // on m_cCommonSNMP and m_cCommonSNMPSet
};
