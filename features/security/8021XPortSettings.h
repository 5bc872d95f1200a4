// "802.1X Port Settings": the 802.1X authenticator settings of every port in a list, and one set of
// settings written to a range of ports. Trunk membership decides which ranges may be written; Apply
// waits for it and for the port table.
#pragma once

#include <string>
#include <vector>

#include "controls/PortRange.h"
#include "controls/StepRun.h"
#include "core/ModuleBase.h"
#include "core/SnmpReply.h"
#include "features/security/8021XSettingLogic.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class C8021XPortSettings : public ksx::CDialog {
public:
    // Trunk membership and the writes: the base's trunk reader, with its end reported on the UI thread.
    class TrunkModule : public CModuleBase {
    public:
        TrunkModule();
        std::function<void(const ksx::WalkEnd&)> onTrunkEnd;
        // As SetValues, with the reply kept for the caller.
        ksx::SnmpReply Write(const SNMP_VARBIND* varbinds, int count);
        // Any thread: the write in flight returns at once, as not answered.
        void CancelWrite() { m_cCommonSNMP.Cancel(); }
    };

    explicit C8021XPortSettings(QWidget* parent = nullptr);
    ~C8021XPortSettings() override;

    C8021XSettingLogic m_8021XLogic;
    TrunkModule m_TrunkModule;
    std::vector<int> m_pSelectedPorts;          // 1 for each port of the range being applied
    std::vector<std::string> m_arrPortControl;  // the port control text of every listed row
    int m_bWriteTrunkMembers = 0;               // non-zero: the write includes trunk members

    bool PortTableRead() const { return m_bWalkEnded; }
    bool TrunksRead() const { return m_bTrunkEnded; }
    // The range write under way (for its progress line).
    const CStepRun& Run() const { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void SetupControls();
    void StartWalk();
    void Reload();
    void FillList();
    void OnTrunkEnd(const ksx::WalkEnd& end);
    void UpdateButtons();
    void OnApply();
    bool CheckFields(std::vector<int>& values);
    void Write(int from, int to, const std::vector<int>& values);

    CPortRange m_range;
    CListCtrlEx* m_list = nullptr;
    bool m_bWalkEnded = false;
    bool m_bTrunkEnded = false;
    bool m_bTrunkOk = false;
    bool m_bWriting = false;
    CStepRun m_run{*this};  // the range write, off the window's thread
};
