// "SNMP View Table Configuration": the MIB views of the device's SNMP agent (name, subtree, mask,
// included or excluded); adds and deletes them. A view is keyed by its name and its subtree.
#pragma once

#include <string>

#include "features/snmp_agent/SNMPTableDialog.h"

class QComboBox;

class CSNMPViewTree : public CSNMPTableDialog {
public:
    static constexpr const char* kStatusColumn = "1.3.6.1.4.1.7393.10.76.20.1.25.4.1.1.5";
    static constexpr const char* kTextEmptyName = "Please enter valid view name.";
    static constexpr const char* kTextInvalidName = "Invalid View Name.";
    static constexpr const char* kTextSubtreeCharacter = "Please enter valid subtree OID";
    static constexpr const char* kTextSubtreeParts = "Please enter valid subtree OID .";
    static constexpr const char* kTextSubtreeBounds =
        "Please enter valid subtree OID: at most 128 parts, each at most 4294967295.";
    static constexpr const char* kTextMask = "Please enter valid OID Mask.";
    static constexpr const char* kTextLength = "Invalid  OID length";
    static constexpr const char* kTextExists = "This View Entry already exist.";
    static constexpr const char* kTextMaximum = "Maximum number of View Entry is 50.";
    static constexpr const char* kTextSelect = "Please Selecte the Item you would delete";

    explicit CSNMPViewTree(QWidget* parent = nullptr);
    ~CSNMPViewTree() override;

    void OnApply();
    void OnDelete();
    void OnCancelEdit();

protected:
    void CreateControls() override;
    void InitFields() override;
    void StartRead() override { m_config.ReadViewTable(); }

private:
    QComboBox* m_cbType = nullptr;
};
