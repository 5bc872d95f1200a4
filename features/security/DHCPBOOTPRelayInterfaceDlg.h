// "DHCP/BOOTP Relay Interface Settings": the relay servers of the interface "System", at most four,
// with add and delete. Both wait for the server list to have been read.
#pragma once

#include <string>
#include <vector>

#include "features/security/DHCPBootpLogic.h"
#include "platform/ui/Dialog.h"

class CIPAddressCtrl;
class CListCtrlEx;

class CDHCPBOOTPRelayInterfaceDlg : public ksx::CDialog {
public:
    explicit CDHCPBOOTPRelayInterfaceDlg(QWidget* parent = nullptr);
    ~CDHCPBOOTPRelayInterfaceDlg() override;

    // For tests: server walks that have ended.
    int WalksEnded() const { return m_walksEnded; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void Refresh();
    ksx::LRESULT OnResult(ksx::WPARAM wParam, ksx::LPARAM lParam);
    void OnApply();
    void OnDelete();

    CIPAddressCtrl* m_address = nullptr;
    CListCtrlEx* m_list = nullptr;
    std::vector<std::string> m_arrServers;
    int m_walksEnded = 0;
    CDHCPBootpLogic m_logic;
};
