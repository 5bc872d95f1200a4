// "Authentication RADIUS Server": the device's RADIUS servers (indexes 1 to 5) in a list; Apply creates
// a server or changes one in place, Delete removes the selected one. Enter and Esc do nothing here.
#pragma once

#include <string>

#include "features/security/8021XSettingLogic.h"
#include "platform/ui/Dialog.h"

class CEditEXIPV6;
class CListCtrlEx;

class C8021XAuRadiusServerDLG : public ksx::CDialog {
public:
    explicit C8021XAuRadiusServerDLG(QWidget* parent = nullptr);
    ~C8021XAuRadiusServerDLG() override;

    C8021XSettingLogic m_8021XLogic;
    int m_nAuthPort = 0;
    int m_nAcctPort = 0;
    int m_nRetransmit = 0;
    int m_nTimeout = 0;
    std::string m_strKey;
    std::string m_strConfirmKey;

    bool ReadEnded() const { return m_bReadEnded; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void SetupControls();
    void StartRead();
    void FillList();
    bool CheckInput();
    // One SET of one value on a session of its own; true when the device accepted it.
    bool SetOneValue(const std::string& oid, int type, const std::string& value);
    void OnApply();
    void OnDelete();

    CListCtrlEx* m_list = nullptr;
    CEditEXIPV6* m_address = nullptr;
    bool m_bReadEnded = false;
};
