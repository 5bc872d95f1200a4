// "IEEE 802.1Q Management VLAN Configuration": which active VLAN carries the switch's own management
// traffic and whether that setting is enabled. The VLAN ids come from a walk of the VLAN table; the
// state and id are read at its end and written together by Apply.
#pragma once

#include <string>
#include <vector>

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

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnOK() override;  // Apply; the dialog stays open

private:
    struct VlanRow {
        std::string id;
        std::string rowStatus;
    };

    void OnVlanWalkEnd(const ksx::WalkEnd& end);
    void ShowSettings();
    bool ReadManagementVlan();
    bool LookupVlanName(const std::string& vlanId, std::string& name);
    void OnEnableClicked();
    void OnVlanSelChange();
    // 1 pass, 0 the VLAN has no member port.
    bool CheckVlanHasMembers(const std::string& vlanId);
    bool WriteManagementVlan(const std::string& state, const std::string& vlanId);
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
};
