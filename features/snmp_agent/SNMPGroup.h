// "SNMP Group Table Info": the access groups of the device's SNMP agent with their security model and
// level and their read, write and notify views; adds and deletes them. A group is keyed by its name,
// model and level.
#pragma once

#include <string>

#include "features/snmp_agent/SNMPTableDialog.h"

class QComboBox;

class CSNMPGroup : public CSNMPTableDialog {
public:
    static constexpr const char* kStatusColumn = "1.3.6.1.4.1.7393.10.76.20.1.25.3.1.1.7";
    static constexpr const char* kTextEmptyName = "Please enter valid group name!";
    static constexpr const char* kTextInvalidName = "Invalid Group Name.";
    static constexpr const char* kTextExists = "This Group Entry already exists.";
    static constexpr const char* kTextMaximum = "Maximum number of Group Entry is 50.";
    static constexpr const char* kTextSelect = "Please select the item would be delete!\n";

    explicit CSNMPGroup(QWidget* parent = nullptr);
    ~CSNMPGroup() override;

    void OnApply();
    void OnDelete();
    void OnCancelEdit();

protected:
    void CreateControls() override;
    void InitFields() override;
    void StartRead() override { m_config.ReadGroupTable(); }

private:
    void OnModelChange();
    void ResetForm();

    QComboBox* m_cbModel = nullptr;
    QComboBox* m_cbLevel = nullptr;
};
