// "DHCP Local Relay Settings": the DHCP local relay, on or off globally, and its state per VLAN. The
// dialog is unavailable while it reads (the reads of single VLANs after the walk included, which run
// off the window's thread and stop when it closes); each Apply waits for the value it would replace to
// be read.
#pragma once

#include "features/security/DHCPBootpLogic.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class CDHCPLocalRelayDlg : public ksx::CDialog {
public:
    explicit CDHCPLocalRelayDlg(QWidget* parent = nullptr);
    ~CDHCPLocalRelayDlg() override;

    // For tests: local relay reads that have ended (the walk and the VLAN reads after it).
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
