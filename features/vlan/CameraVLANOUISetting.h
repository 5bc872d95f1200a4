// "Auto Surveillance VLAN OUI Settings": a smaller editor of the surveillance device table that lists
// description, OUI and mask of every entry and adds and deletes entries by description and MAC text.
// Add and Delete run off the window's thread; Close stops them and says what the device holds.
#pragma once

#include <string>
#include <vector>

#include "controls/StepRun.h"
#include "controls/TableDialog.h"
#include "core/CommonSNMP.h"
#include "core/RowCreate.h"

class CCameraVLANOUISetting : public CTableDialog {
public:
    explicit CCameraVLANOUISetting(QWidget* parent = nullptr);
    ~CCameraVLANOUISetting() override;

    // Empties the list and walks the table again.
    void RefreshOuiTable();

    // For tests: walks ended since the dialog opened, and the "Surveillance OUI" texts listed.
    int WalksEnded() const { return m_walksEnded; }
    std::vector<std::string> ListOuiTexts() const;
    // The add or delete under way (its progress line).
    const CStepRun& Run() const { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnRow(const TableRow& row) override;
    void OnReadEnd(const ksx::WalkEnd& end) override;

private:
    void OnAdd();
    // Runs the add of an entry checked already (again after the user's Yes to replacing another).
    void StartAdd(const std::string& description, const std::string& mac);
    void OnDelete();
    bool ValidateOuiEntry(const std::string& description, const std::string& mac);
    // Add, Delete and Refresh: none while an add or delete runs, Add only after a whole table.
    void UpdateControls();

    bool m_bTableRead = false;  // Add checks against the list: it waits for a whole table
    int m_walksEnded = 0;
    CCommonSNMP m_cCommonSNMP;  // the sets of Add and Delete; the walk has the base's session
    ksx::OtherRow m_other;      // an entry of the OUI not active that this module did not leave
    CStepRun m_run{*this};      // Add's and Delete's requests, on m_cCommonSNMP
};
