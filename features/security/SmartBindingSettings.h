// "Smart Binding Settings": the binding settings of every port (admin state, ARP or ARP+IP inspection,
// DHCP snooping) and Apply of one setting to a range of ports. Apply is available once the port list and
// the ports' trunk membership have been read.
#pragma once

#include "controls/PortRange.h"
#include "controls/StepRun.h"
#include "features/security/IMPFunclogic.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class CSmartBindingSettings : public ksx::CDialog {
public:
    explicit CSmartBindingSettings(QWidget* parent = nullptr);
    ~CSmartBindingSettings() override;

    // The range write under way (for its progress line).
    const CStepRun& Run() const { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnTimer(unsigned id) override;

private:
    void Load();
    ksx::LRESULT OnPortResult(ksx::WPARAM wParam, ksx::LPARAM lParam);
    void OnTrunksRead(bool complete);
    void UpdateButtons();
    void OnApply();

    CIMPFunclogic m_logic;
    CPortRange m_range;
    CListCtrlEx* m_list = nullptr;
    bool m_listReading = false;
    bool m_trunksReading = false;
    bool m_writing = false;
    CStepRun m_run{*this};  // the range write, off the window's thread
};
