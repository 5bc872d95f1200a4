// "SNMP Community Table Configuration": lists the communities of the device's agent with the user name
// (view policy) each maps to, adds and deletes them. The community walk is followed by the user walk,
// which fills the drop-down of user names (SNMPv1 and v2c users only). Adds and deletes run off the
// window's thread, with Apply, Cancel, Delete and Refresh unavailable until they end.
#pragma once

#include <string>
#include <vector>

#include "features/snmp_agent/SNMPConfig.h"
#include "features/snmp_agent/SNMPWriteRun.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;
class QComboBox;

class CSNMPCommunity : public ksx::CDialog {
public:
    static constexpr const char* kStatusColumn = "1.3.6.1.4.1.7393.10.76.20.1.25.5.1.1.3";
    static constexpr const char* kTextEmptyName = "Please enter valid Community Name !";
    static constexpr const char* kTextInvalidName = "Invalid Community Name.";
    static constexpr const char* kTextExists = "This Community Entry already exists.";
    static constexpr const char* kTextMaximum = "Maximum number of Community Entry is 10.";
    static constexpr const char* kTextSelect = "Please select the item would be delete!\n";
    static constexpr const char* kTextReadFailed = "Reading the device failed. Press Refresh to try again.";

    explicit CSNMPCommunity(QWidget* parent = nullptr);
    ~CSNMPCommunity() override;

    void OnRefresh();
    void OnApply();
    void OnDelete();
    void OnAdd();
    void OnCancelEdit();
    int DestroyWindow() override;

    // For tests: whole reads (community and user walk) ended since the dialog opened, the user names
    // offered, and the list's community names.
    int ReadsEnded() const { return m_readsEnded; }
    std::vector<std::string> UserChoices() const;
    std::vector<std::string> Communities() const;
    // An add or a delete is running (off the window's thread); its progress line.
    bool Writing() const { return m_writes.Running(); }
    const CStepRun& Run() const { return m_writes.Run(); }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void OnCommunityRow(const SNMP_COMMUNITY_ROW& row);
    void OnUserRow(const SNMP_USER_ROW& row);
    void OnReadEnd(const ksx::WalkEnd& end);
    void EnableButtons(bool enable);

    CListCtrlEx* m_list = nullptr;
    QComboBox* m_cbUser = nullptr;
    bool m_bCommunitiesRead = false;  // the last community walk reached the end of the table
    int m_readsEnded = 0;
    CSNMPConfig m_config;
    CSNMPWriteRun m_writes{*this, m_config};  // after m_config, whose sessions its steps use
};
