// "IGMP Snooping Configuration": the device's global IGMP snooping switch, its timers and counters and
// the report-to-all-ports switch; opens the per-VLAN settings.
#pragma once

#include <QWidget>
#include <functional>

#include "controls/StepRun.h"
#include "features/layer2/IGMPSnoopingLogic.h"
#include "platform/ui/Dialog.h"

// Runs one of the logic's writes off the window's thread on `run`: a stop, or a write the device did not
// take, is said; after all but a stop `afterwards` shows what the device holds.
void StartIgmpWrite(CStepRun& run, CIGMPSnoopingLogic& logic, std::function<void()> write,
                    const ksx::StepsName& what, std::function<void()> afterwards);

class CIGMPSnoopConfig : public ksx::CDialog {
public:
    explicit CIGMPSnoopConfig(QWidget* parent = nullptr);
    ~CIGMPSnoopConfig() override;

    int DestroyWindow() override;

    CIGMPSnoopingLogic m_IGMPLogic;

protected:
    void CreateControls() override;
    int OnInitDialog() override;

    void OnRefresh();
    void OnApply();
    void OnVlanInfo();
    void OnEnableSnooping();
    ksx::LRESULT OnIGMPResult(ksx::WPARAM wParam, ksx::LPARAM lParam);

private:
    void EnableFields(bool enable);
    void OnGlobalRead(bool ok);
    void ShowSettings();

    bool m_bSettingsRead = false;  // Apply waits for a read that succeeded
    CStepRun m_run{*this};         // Apply's writes, off the window's thread
};
