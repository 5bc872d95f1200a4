// "BandWidth Control": lists the Tx and Rx rate limit of every port and sets a limit (or no limit) for
// a range of ports. Ports in an aggregated link are refused.
#pragma once
#include "controls/PortRange.h"
#include "controls/StepRun.h"
#include "features/port_system/BandWidthControlFunLogic.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class CBandWidthControlDlg : public ksx::CDialog {
public:
    explicit CBandWidthControlDlg(QWidget* parent = nullptr);
    ~CBandWidthControlDlg() override;

    CBandWidthControlFunLogic& Logic() { return m_logic; }
    // The range write under way (for its progress line).
    const CStepRun& Run() const { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void OnApply();
    void OnRefresh();
    void OnSnmpResult(int code, ksx::LPARAM data);
    bool NoLimitDisabled() const;
    void ResetForm();

    CBandWidthControlFunLogic m_logic;
    CPortRange m_range;
    CListCtrlEx* m_list = nullptr;
    bool m_readFailSaid = false;  // a failed read was said since the last Refresh
    CStepRun m_run{*this};        // the range write, off the window's thread
};
