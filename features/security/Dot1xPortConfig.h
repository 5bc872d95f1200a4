// Port access control of the older 802.1X branch: the authorization status and the access control of
// every port in a list, and one access control written to a range of ports. Ports of a trunk cannot be
// set, nor can every port end up shut or every port on auto; Apply waits for the trunk membership and
// the port table to have been read.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "controls/PortRange.h"
#include "controls/StepRun.h"
#include "core/CommonSNMP.h"
#include "core/ModuleBase.h"
#include "core/TableRead.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class Dot1xPortConfig : public ksx::CDialog {
public:
    // The trunk membership: the base's trunk reader, with its end reported on the UI thread.
    class TrunkInfo : public CModuleBase {
    public:
        TrunkInfo();
        std::function<void(const ksx::WalkEnd&)> onTrunkEnd;
    };

    // One row of the port table: the port (the row's index) and its two columns, each empty when the
    // device did not send it as a number.
    struct PortRow {
        int port = 0;
        std::optional<long long> status;
        std::optional<long long> control;
    };

    explicit Dot1xPortConfig(QWidget* parent = nullptr);
    ~Dot1xPortConfig() override;

    // The range write under way (for its progress line).
    const CStepRun& Run() const { return m_run; }

    // The opener's settings, shown in every row.
    std::string m_strQuietPeriod;
    std::string m_strTxPeriod;
    std::string m_strSuppTimeout;
    std::string m_strServerTimeout;
    std::string m_strMaxReq;
    std::string m_strReAuthPeriod;
    std::string m_strReAuthEnabled;

    // Per port (index port-1): the access control read, 0 while not read.
    const std::vector<int>& PortControls() const { return m_pPortControl; }
    // For tests: port walks that have ended, and whether the trunk read ended.
    int WalksEnded() const { return m_walksEnded; }
    bool TrunksEnded() const { return m_bTrunkEnded; }

    int DestroyWindow() override;

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void StartPortWalk();
    void OnPortRow(const PortRow& row);
    void OnPortWalkEnd(const ksx::WalkEnd& end);
    void OnTrunkEnd(const ksx::WalkEnd& end);
    void UpdateButtons();
    void OnApply();

    CPortRange m_range;
    CListCtrlEx* m_list = nullptr;
    std::vector<int> m_pPortControl;
    bool m_bWalkOk = false;
    bool m_bWalkRunning = false;
    bool m_bTrunkEnded = false;
    bool m_bTrunkOk = false;
    int m_walksEnded = 0;

    TrunkInfo m_trunkInfo;
    CCommonSNMP m_cCommonSNMP;       // the writes
    CCommonSNMP m_cCommonSNMPTable;  // the port walk
    ksx::TableRead<PortRow> m_portWalk;
    CStepRun m_run{*this};  // the range write, off the window's thread
};
