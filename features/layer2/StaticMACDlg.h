// "Static MAC Configuration": the device's static unicast forwarding entries (list, add, delete) and its
// MAC address learning mode with the uplink ports.
#pragma once

#include <QWidget>
#include <string>

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

    CListCtrlEx* m_list = nullptr;
    bool m_bVlanListRead = false;  // the VID list holds the device's VLANs
    bool m_bTableRead = true;      // the static MAC walk has ended
    bool m_bTrunksRead = true;     // the trunk membership read has ended
    bool m_bGlobalsDone = false;   // the learning settings read of this refresh has ended
    bool m_bLearningRead = false;  // the learning state and uplink ports shown are the device's
};
