// "DHCP BOOTP Relay Global Settings": the BOOTP relay state, its hops count limit and time threshold,
// and the relay agent information option 82 settings. Apply is available once the settings were read.
#pragma once

#include "features/security/DHCPBootpLogic.h"
#include "platform/ui/Dialog.h"

class CDHCPBOOTPRelayGlobalDlg : public ksx::CDialog {
public:
    explicit CDHCPBOOTPRelayGlobalDlg(QWidget* parent = nullptr);
    ~CDHCPBOOTPRelayGlobalDlg() override;

    // For tests: global records received.
    int ReadsEnded() const { return m_readsEnded; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void Refresh();
    ksx::LRESULT OnResult(ksx::WPARAM wParam, ksx::LPARAM lParam);
    void OnRemoteTypeChanged();
    void OnApply();

    int m_readsEnded = 0;
    CDHCPBootpLogic m_logic;
};
