// "802.1X User": the device's local 802.1X accounts in a list; Add creates one with its password,
// Delete removes the selected one. Enter and Esc do nothing here.
#pragma once

#include <string>

#include "core/CommonSNMP.h"
#include "features/security/8021XSettingLogic.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class C8021XUserDLG : public ksx::CDialog {
public:
    explicit C8021XUserDLG(QWidget* parent = nullptr);
    ~C8021XUserDLG() override;

    C8021XSettingLogic m_8021XLogic;

    bool ReadEnded() const { return m_bReadEnded; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void StartRead();
    void Reload();
    void FillList();
    void EnableInputs(bool enable);
    void OnAdd();
    // UI thread, one request: the account's password; true when the device accepted it.
    bool WritePassword(const std::string& idx, const std::string& password);
    void OnDelete();

    CListCtrlEx* m_list = nullptr;
    CCommonSNMP m_cCommonSNMP;  // the password write
    bool m_bReadEnded = false;
};
