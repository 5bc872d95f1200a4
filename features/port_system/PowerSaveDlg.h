// "Power Saving Settings ": the link-status detection switch and, per power-saving function (LED
// shut-off, port shut-off, system hibernation), its state, up to two time profiles and its ports.
#pragma once

#include <functional>

#include "controls/StepRun.h"
#include "core/RunText.h"
#include "features/port_system/PowSavSettings.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class CPowerSaveDlg : public ksx::CDialog {
public:
    explicit CPowerSaveDlg(QWidget* parent = nullptr);
    ~CPowerSaveDlg() override;

    CPowSavSettings& Logic() { return m_logic; }
    // True once the time-profile boxes hold the names of the latest refresh.
    bool ProfileNamesLoaded() const { return m_namesLoaded; }
    // The Apply's run (tests).
    CStepRun& Run() { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void Refresh();
    // Shows what a read gave, resets the form and reads the profile names again.
    void ShowRead(const PowerSavingRead& read);
    // Runs an Apply off the window's thread: `send` writes `what`, then the settings are read back.
    void StartApply(const ksx::StepsName& what, std::function<SnmpAnswer()> send);
    void OnApplyGlobal();
    void OnApplyEntry();
    void OnTypeChanged();
    void OnStateChanged();
    // Each Apply is available once what it would write was read (see the definition).
    void UpdateApply();
    // Says a failed read once per refresh.
    void SayReadFailure();
    ksx::LRESULT OnPowSavResult(ksx::WPARAM wParam, ksx::LPARAM lParam);
    void FillProfileNames();
    void SelectProfiles(const PowerSavingEntry& entry);

    CPowSavSettings m_logic;
    CListCtrlEx* m_list = nullptr;
    int m_namesWalk = 0;          // walk whose names the boxes wait for
    bool m_namesLoaded = false;   // the boxes hold that walk's names
    bool m_typeLoaded = false;    // the user picked a type since the refresh
    bool m_readFailSaid = false;  // a failed read was said since the refresh
    CStepRun m_run{*this};        // after the sessions it uses
};
