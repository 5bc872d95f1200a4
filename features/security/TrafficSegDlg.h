// "Traffic Segmentation Settings ": switches traffic segmentation on or off, lists the forwarding ports
// of every port, and edits one port's forwarding set at a time through a strip of per-port check boxes
// laid out in rows by the port count. Sets are kept by port number; a port is never offered as its own
// forwarding port. Resizable: the groups and the list follow the window.
#pragma once

#include <QPointer>
#include <optional>
#include <string>
#include <vector>

#include "controls/LxDialog.h"
#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "features/security/TrafficSeg.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class CListCtrlEx;

class CTrafficSegDlg : public ClxDialog {
public:
    explicit CTrafficSegDlg(QWidget* parent = nullptr);
    ~CTrafficSegDlg() override;

    // For tests: refreshes whose reads have all ended, and port p's forwarding set as list text ("1,3")
    // when it was read.
    int RefreshesEnded() const { return m_refreshesEnded; }
    std::optional<std::string> ForwardPorts(int port) const;

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    void OnTimer(unsigned id) override;

private:
    // One step of the walk. Each value belongs to the row its own instance names: a column with a hole
    // runs ahead of the other, and its value is kept for its own port.
    struct ForwardRow {
        int port = 0;  // the row the port column names; 0 when it left its column
        std::optional<long long> portValue;
        int bitmapPort = 0;  // the row the forwarding-set column names; 0 when it left its column
        std::optional<std::string> bitmap;
    };

    void CreateStrip(QGridLayout* grid);
    void Refresh();
    void OnApplyState();
    void OnApplyPorts();
    void OnSelectAll();
    void OnClear();
    void OnStripClick(int port);
    void ShowSelectedPort();
    int SelectedPort() const;
    bool SelectedSetRead() const;
    void OnForwardRow(const ForwardRow& row);
    void FillList();
    // Ports listed by the walk whose forwarding set did not read.
    std::vector<int> UnreadSets() const;
    void ReadEnded();
    void UpdateControls();
    static int OnForwardingWalk(CSnmp* response, int requestId, void* userData, int status);

    int m_nPortNum = 0;
    std::vector<QPointer<QLabel>> m_pPortLabels;
    std::vector<QPointer<QCheckBox>> m_pPortChecks;
    std::vector<int> m_portValue;
    // Per port (index port - 1): its forwarding ports as list text, once its row was read.
    std::vector<std::optional<std::string>> m_arrForwardPorts;
    // Per port: the row was met (the port column's text, the port number when that did not read), and
    // the set's ranges as the table shows them.
    std::vector<std::optional<std::string>> m_rowText;
    std::vector<std::string> m_rangeText;
    CListCtrlEx* m_ForwardingList = nullptr;

    // The reads of one refresh: each has ended, and whether it succeeded.
    bool m_bStateEnded = true, m_bStateRead = false;
    bool m_bWalkEnded = true, m_bWalkRead = false;
    bool m_bTrunksEnded = true, m_bTrunksRead = false;
    int m_refreshesEnded = 0;

    CTrafficSeg m_TrafficSeg;
    CCommonSNMP m_cCommonSNMPTable;
    ksx::TableRead<ForwardRow> m_forwardWalk;
};
