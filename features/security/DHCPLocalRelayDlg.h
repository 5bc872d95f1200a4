// "DHCP Local Relay Settings": the DHCP local relay, on or off globally, and its state per VLAN. The
// dialog is unavailable while it reads (the reads of single VLANs after the walk included, which run
// off the window's thread and stop when it closes); each Apply waits for the value it would replace to
// be read, and its write and the read of the global state after it run off the window's thread.
#pragma once

#include <functional>

#include "controls/StepRun.h"
#include "core/RunText.h"
#include "features/security/DHCPBootpLogic.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class CDHCPLocalRelayDlg : public ksx::CDialog {
public:
    explicit CDHCPLocalRelayDlg(QWidget* parent = nullptr);
    ~CDHCPLocalRelayDlg() override;

    // For tests: local relay reads that have ended (the walk and the VLAN reads after it).
    int WalksEnded() const { return m_walksEnded; }
    CStepRun& Run() { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void Refresh();
    void ClearForRead();  // the form emptied and held while the settings are read
    ksx::LRESULT OnResult(ksx::WPARAM wParam, ksx::LPARAM lParam);
    void OnVidChanged();
    void OnApplyState();
    void OnApplyVlan();
    // Sends `send`'s write (`what` names it) and reads the global state after it, off the window's
    // thread; once they end, what was not accepted is said and the relay table is walked again.
    void StartApply(std::function<SnmpAnswer()> send, const ksx::StepsName& what);

    CListCtrlEx* m_list = nullptr;
    bool m_bStateRead = false;
    int m_walksEnded = 0;
    CDHCPBootpLogic m_logic;
    CStepRun m_run{*this};  // Apply's write and read-back; after the sessions it uses
};
