// "DHCP Local Relay Settings": the DHCP local relay, on or off globally, and its state per VLAN. The
// dialog is unavailable while it reads; each Apply waits for the value it would replace to be read.
#pragma once

#include "features/security/DHCPBootpLogic.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class CDHCPLocalRelayDlg : public ksx::CDialog {
public:
    explicit CDHCPLocalRelayDlg(QWidget* parent = nullptr);
    ~CDHCPLocalRelayDlg() override;

    // For tests: local relay walks that have ended.
    int WalksEnded() const { return m_walksEnded; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void Refresh();
    ksx::LRESULT OnResult(ksx::WPARAM wParam, ksx::LPARAM lParam);
    void OnVidChanged();
    void OnApplyState();
    void OnApplyVlan();

    CListCtrlEx* m_list = nullptr;
    bool m_bStateRead = false;
    int m_walksEnded = 0;
    CDHCPBootpLogic m_logic;
};
