// "SNMP Host Table": the trap receivers of the device's SNMP agent (IPv4 or IPv6 address, version and
// security, community or SNMPv3 user name); adds and deletes them. A host is keyed by its address.
#pragma once

#include <string>

#include "features/snmp_agent/SNMPTableDialog.h"

class CEditEXIPV6;
class QComboBox;

class CSNMPHost : public CSNMPTableDialog {
public:
    static constexpr const char* kStatusColumn = "1.3.6.1.4.1.7393.10.76.20.1.25.6.2.1.6";
    static constexpr const char* kTextInterface = "Invalid Interface Name. ";
    static constexpr const char* kTextUsed = "This IP Address has used,please enter other IP Address";
    static constexpr const char* kTextEmptyName =
        "The Community String or SNMPv3 User Name can not be empty.";
    static constexpr const char* kTextInvalidName = "Invalid Community String/SNMPv3 User Name. ";
    static constexpr const char* kTextMaximum = "Maximum number of Host Entry is 10.";
    static constexpr const char* kTextSelect = "Please Selecte the Item you would delete";

    explicit CSNMPHost(QWidget* parent = nullptr);
    ~CSNMPHost() override;

    void OnApply();
    void OnDelete();
    void OnCancelEdit();

protected:
    void CreateControls() override;
    void InitFields() override;
    void StartRead() override;

private:
    CEditEXIPV6* m_editAddress = nullptr;
    QComboBox* m_cbVersion = nullptr;
};
