// "SNMP User Table ": the users of the device's SNMP agent (name, group, version, authentication and
// privacy protocols); adds and deletes them. A user is keyed by its name and its version.
#pragma once

#include <string>

#include "features/snmp_agent/SNMPTableDialog.h"

class QComboBox;

class CSNMPUser : public CSNMPTableDialog {
public:
    static constexpr const char* kStatusColumn = "1.3.6.1.4.1.7393.10.76.20.1.25.2.1.1.8";
    static constexpr const char* kTextEmptyUser = "Please enter valid User Name ";
    static constexpr const char* kTextInvalidUser = "Invalid User Name .";
    static constexpr const char* kTextEmptyGroup = "Please enter valid Group Name ";
    static constexpr const char* kTextInvalidGroup = "Invalid Group Name.";
    static constexpr const char* kTextExists = "This User Entry already exists.";
    static constexpr const char* kTextMaximum = "Maximum number of User Entry is 50.";
    static constexpr const char* kTextEmptyAuth = "Auth-Protocol Password can't be empty.";
    static constexpr const char* kTextMd5Length = " MD5 Max. Password length is 32.";
    static constexpr const char* kTextShaLength = " SHA Max. Password length is 40.";
    static constexpr const char* kTextEmptyPriv = "Priv-Protocol Password can't be empty.";
    static constexpr const char* kTextDesLength = " DES Max. Password length is 32.";
    static constexpr const char* kTextSelect = "Please select the item would be delete!\n";

    explicit CSNMPUser(QWidget* parent = nullptr);
    ~CSNMPUser() override;

    void OnApply();
    void OnDelete();
    void OnCancelEdit();

protected:
    void CreateControls() override;
    void InitFields() override;
    void StartRead() override { m_config.ReadUserTable(); }

private:
    void OnVersionChange();
    void OnEncryptedClick();
    void OnPrivProtocolChange();
    void ResetForm();
    // Shows the message, then focuses the edit with its whole text selected.
    void RefuseEdit(const char* text, int editId);

    QComboBox* m_cbVersion = nullptr;
    QComboBox* m_cbAuth = nullptr;
    QComboBox* m_cbPriv = nullptr;
};
