// "DHCP/BOOTP Relay Interface Settings": the relay servers of the interface "System", at most four,
// with add and delete. Both wait for the server list to have been read.
#pragma once

#include <string>
#include <vector>

#include "controls/StepRun.h"
#include "core/RowCreate.h"
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
    // The add of a server under way (its progress line).
    const CStepRun& Run() const { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void Refresh();
    ksx::LRESULT OnResult(ksx::WPARAM wParam, ksx::LPARAM lParam);
    void OnApply();
    // Runs the add of a checked server (again after the user's Yes to replacing another entry).
    void StartAdd(const std::string& address);
    void OnDelete();

    CIPAddressCtrl* m_address = nullptr;
    CListCtrlEx* m_list = nullptr;
    std::vector<std::string> m_arrServers;
    int m_walksEnded = 0;
    CDHCPBootpLogic m_logic;
    ksx::AddProgress m_addProgress;  // of the add under way
    ksx::OtherRow m_other;           // an entry of the server not active that this module did not leave
    CStepRun m_run{*this};           // the add, on the logic's add session
};
