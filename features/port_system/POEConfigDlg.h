// "PoE Configuration": lists the PoE settings and live readings of every PoE port and writes state,
// time range, priority and power limit to a range of ports.
//
// Two walks feed the list: the time-profile names first, then the PoE port table; their rows reach the
// dialog on the UI thread, which starts the port walk when the names have ended. Writes are synchronous
// off the window's thread, one request per port.
#pragma once

#include <string>
#include <vector>

#include "controls/StepRun.h"
#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;
class QComboBox;
class QCheckBox;
class QLineEdit;

class CPOEConfigDlg : public ksx::CDialog {
public:
    // Column c of port p: kPortEntry + "." + c + ".1." + p.
    static const char* const kPortEntry;
    static const char* const kTimeProfileIndexOid;
    static const char* const kTimeProfileNameOid;

    // Pause after each port's write (the device's spacing) and the time-out of each write: the
    // tunables "poe.port-pause-ms" and "poe.set-timeout-ms".

    explicit CPOEConfigDlg(QWidget* parent = nullptr);
    ~CPOEConfigDlg() override;

    // Read-only views (UI thread).
    const std::vector<std::string>& TimeRangeNames() const { return m_strTimeRangeName; }
    const std::vector<int>& TimeRangeIds() const { return m_nTimeRangeId; }
    // Walks finished since the dialog opened: time-profile walks and port walks (any status).
    int TimeRangeWalksEnded() const { return m_nTimeRangeWalksEnded; }
    int PortWalksEnded() const { return m_nPortWalksEnded; }
    // The range write under way (for its progress line).
    const CStepRun& Run() const { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    struct TimeRangeRow {
        int index = 0;
        std::string name;
    };
    struct PortRow {
        std::string value[11];  // columns 3, 4, 5, 6, 9, 10, 11, 12, 13, 7, 8 as read
    };

    void GetTimeRange();
    void ReadPoePorts();
    void AddTimeRange(const TimeRangeRow& row);
    void AddPortRow(const PortRow& row);
    void OnTimeRangeWalkEnd(const ksx::WalkEnd& end);
    void OnPortWalkEnd();

    void ShowRow(int row);
    void OnListClick();
    void OnListItemChanged();
    void OnListKeyDown(int key);
    void OnFromPortChanged();
    void OnToPortChanged();
    void OnUserDefineClicked();
    void OnRefresh();
    void OnApply();
    void ApplyPortRange();
    // One binding of a port's write.
    struct PortBinding {
        std::string oid;
        int type = 1;
        std::string value;
    };
    // 0: the port's request is ready in `out`; 1: refused (a message was shown).
    int AddPortVarBinds(int port, std::vector<PortBinding>& out);
    void EnableButtons(bool enable);

    std::vector<int> m_nTimeRangeId;              // profile index of each name, same position
    std::vector<std::string> m_strTimeRangeName;  // profile names in walk order
    CCommonSNMP m_cCommonSNMPTimeRang;
    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    ksx::TableRead<TimeRangeRow> m_timeRangeRead;  // on m_cCommonSNMPTimeRang
    ksx::TableRead<PortRow> m_portRead;            // on m_cCommonSNMP

    CListCtrlEx* m_list = nullptr;
    QComboBox* m_cbFromPort = nullptr;
    QComboBox* m_cbToPort = nullptr;
    QComboBox* m_cbState = nullptr;
    QComboBox* m_cbPriority = nullptr;
    QComboBox* m_cbTimeRange = nullptr;
    QComboBox* m_cbPowerLimit = nullptr;
    QCheckBox* m_CtrlUserdefe = nullptr;
    QLineEdit* m_editLimit = nullptr;
    int m_nTimeRange = -1;  // the Time Range selection as of the last data exchange

    int m_nTimeRangeWalksEnded = 0;
    int m_nPortWalksEnded = 0;
    CStepRun m_run{*this};  // the range write, off the window's thread
};
