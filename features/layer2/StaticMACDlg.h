// "Static MAC Configuration": the device's static unicast forwarding entries (list, add, delete) and its
// MAC address learning mode with the uplink ports. The requests of Add, Delete and Apply run off the
// window's thread; Close during them stops them and says what the device confirmed.
#pragma once

#include <QWidget>
#include <string>

#include "controls/StepRun.h"
#include "features/layer2/StaticMACLogic.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class CStaticMACDlg : public ksx::CDialog {
public:
    explicit CStaticMACDlg(QWidget* parent = nullptr);
    ~CStaticMACDlg() override;

    int DestroyWindow() override;

    CStaticMACLogic m_logic;
    int m_nLearningRadio = -1;  // 0 "Enabled", 1 "Disabled", -1 until a read of the state succeeded
    // The requests of Add, Delete or Apply under way (their progress line).
    const CStepRun& Run() const { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

    void Refresh();
    void OnAdd();
    void OnDelete();
    void OnApplyLearning();
    void OnLearningEnabled();
    void OnLearningDisabled();
    ksx::LRESULT OnStaticMacResult(ksx::WPARAM wParam, ksx::LPARAM lParam);
    ksx::LRESULT OnVlanListDone(ksx::WPARAM wParam, ksx::LPARAM lParam);
    ksx::LRESULT OnTrunksDone(ksx::WPARAM wParam, ksx::LPARAM lParam);

private:
    void ResetInputs();
    void UpdateRadios();
    void OnGlobals(bool stateRead, bool uplinkRead);
    void OnRadio();
    void ReadsEnded();
    // Add's second part, once the asymmetric VLAN state allowed the entry: the device MAC read, then
    // the row's creation.
    void AddEntry(const StaticMacEntryText& entry);
    // The buttons as the reads of the last refresh left them (a run that wrote nothing ended).
    void RestoreButtons();
    void DisableButtons();

    CListCtrlEx* m_list = nullptr;
    bool m_bVlanListRead = false;  // the VID list holds the device's VLANs
    bool m_bTableRead = true;      // the static MAC walk has ended
    bool m_bTrunksRead = true;     // the trunk membership read has ended
    bool m_bGlobalsDone = false;   // the learning settings read of this refresh has ended
    bool m_bLearningRead = false;  // the learning state and uplink ports shown are the device's
    ksx::OtherRow m_other;         // an entry of the index not active that this module did not leave
    CStepRun m_run{*this};         // on m_logic's sessions
};
