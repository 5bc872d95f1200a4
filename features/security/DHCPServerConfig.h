// "DHCP Server Screening Port Settings": the DHCP server screening state of every port, from the
// device's screened-port bitmap, and one state written to a range of ports. The members of a trunk must
// keep one state. Apply waits for the trunk membership and for the state of every port; its write and
// the read of the bitmap after it run off the window's thread.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "controls/PortRange.h"
#include "controls/StepRun.h"
#include "core/CommonSNMP.h"
#include "core/ModuleBase.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class CDHCPServerConfig : public ksx::CDialog {
public:
    // The trunk membership: the base's trunk reader, with its end reported on the UI thread.
    class TrunkInfo : public CModuleBase {
    public:
        TrunkInfo();
        std::function<void(const ksx::WalkEnd&)> onTrunkEnd;
    };

    explicit CDHCPServerConfig(QWidget* parent = nullptr);
    ~CDHCPServerConfig() override;

    // Per port (index port-1): 1 enabled, 2 disabled, 0 not read.
    const std::vector<int>& PortStates() const { return m_pPortState; }
    // For tests: refreshes whose trunk read has ended.
    int RefreshesEnded() const { return m_refreshesEnded; }
    CStepRun& Run() { return m_run; }

    int DestroyWindow() override;

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void Refresh();
    void ReadStates();
    // Any thread, one request: the screened-port bitmap, nothing when it did not read.
    std::optional<std::string> FetchBitmap();
    void ShowStates(const std::optional<std::string>& bitmap);
    void FillList();
    void OnTrunkEnd(const ksx::WalkEnd& end);
    void UpdateButtons();
    void OnApply();

    CPortRange m_range;
    CListCtrlEx* m_list = nullptr;
    int m_nPortCount = 0;
    std::vector<int> m_pPortState;
    bool m_bStatesRead = false;
    bool m_bTrunkEnded = false;
    bool m_bTrunkOk = false;
    int m_refreshesEnded = 0;

    TrunkInfo m_trunkInfo;      // the trunk walk (its own table session)
    CCommonSNMP m_cCommonSNMP;  // the read and the write of the bitmap
    CStepRun m_run{*this};      // Apply's write and read-back; after the sessions it uses
};
