// "DHCP BOOTP Relay Global Settings": the BOOTP relay state, its hops count limit and time threshold,
// and the relay agent information option 82 settings. Apply is available once the settings were read;
// its write and the read-back after it run off the window's thread.
#pragma once

#include "controls/StepRun.h"
#include "features/security/DHCPBootpLogic.h"
#include "platform/ui/Dialog.h"

class CDHCPBOOTPRelayGlobalDlg : public ksx::CDialog {
public:
    explicit CDHCPBOOTPRelayGlobalDlg(QWidget* parent = nullptr);
    ~CDHCPBOOTPRelayGlobalDlg() override;

    // For tests: global records received.
    int ReadsEnded() const { return m_readsEnded; }
    CStepRun& Run() { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void Refresh();
    ksx::LRESULT OnResult(ksx::WPARAM wParam, ksx::LPARAM lParam);
    void ShowGlobal(const DHCPRelayGlobalInfo& info);
    void OnRemoteTypeChanged();
    void OnApply();

    int m_readsEnded = 0;
    CDHCPBootpLogic m_logic;
    CStepRun m_run{*this};  // Apply's write and read-back; after the sessions it uses
};
