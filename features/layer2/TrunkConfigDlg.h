// "Trunk Configuration": the device's trunk groups, the link aggregation state, a trunk's channel mode,
// and the member picker (CKSXTrunkPort) for a trunk's member ports.
#pragma once

#include <optional>
#include <string>

#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "features/common/TrunkTable.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;

class CTrunkConfigDlg : public ksx::CDialog {
public:
    explicit CTrunkConfigDlg(QWidget* parent = nullptr);
    ~CTrunkConfigDlg() override;

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    void OnRefresh();
    void ReadTrunkState();
    void OnTrunkStateEnd(const ksx::WalkEnd& end);
    void ShowReadStatus();
    void ReadTrunkTable();
    static int OnTrunkTableWalk(CSnmp* response, int requestId, void* userData, int status);
    void OnTrunkRow(const ksx::trunk::TrunkRow& row);
    void OnTrunkTableEnd(const ksx::WalkEnd& end);
    void OnApplyTrunkState();
    void OnApplyChannelMode();
    void SetChannelMode(int trunkId);
    void OnPortMember();
    void OnListClick();
    void OnListSelectionChanged();
    void FillFormFromRow(int row);
    int FindTrunkRow(const std::string& id) const;
    void UpdateTableActions();

    CListCtrlEx* m_list = nullptr;
    std::string m_strMembers;  // member list of the row last selected
    int m_nPortNum = 0;
    bool m_bStateEnabled = false;  // the last state read returned "1"
    bool m_bStateRead = false;     // the last state read gave a value; the state write waits for it
    bool m_bStateFailed = false;   // the last state read gave none
    bool m_bTableFailed = false;   // the last table walk did not reach the end of the table
    bool m_bWalking = false;
    CCommonSNMP m_cCommonSNMP;       // state write, channel mode write
    CCommonSNMP m_cCommonSNMPState;  // state read
    CCommonSNMP m_cCommonSNMPTable;  // trunk table walk
    ksx::TableRead<std::optional<long long>> m_stateRead;
    ksx::TableRead<ksx::trunk::TrunkRow> m_trunkRead;
};
