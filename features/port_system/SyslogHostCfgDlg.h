// "Syslog Host Configuration": switches the device's syslog on or off, sets facility, severity and time
// stamp, and edits the syslog host (IPv4 or IPv6 address and UDP port).
//
// Reading is a chain: the global read (one step) shows its values and ends with WM_SYSLOG_HOST_DONE,
// on which the dialog walks the host table; each host row is shown in the form. Rows reach the dialog
// on the UI thread as copies. The state's Apply is one request; the host's Apply is a sequence of
// writes run off the window's thread (Refresh and both Apply buttons unavailable meanwhile; Close
// stops it and says which writes the device confirmed).
//
// A new host gets a new row (create, port, activation), and the old row goes only then. A stop or a
// device that applied the create without answering can leave that row not active; the dialog shows
// active rows before any that are not, and the next Apply of that host replaces such a row
// (core/RowCreate.h). An active row of the new host's address is left alone and the Apply refused.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "controls/StepRun.h"
#include "core/CommonSNMP.h"
#include "core/RowCreate.h"
#include "core/TableRead.h"
#include "platform/ui/Dialog.h"

class CEditEXIPV6;
class QCheckBox;
class QComboBox;
class QLineEdit;

class CSyslogHostCfgDlg : public ksx::CDialog {
public:
    static constexpr const char* kStateOid = "1.3.6.1.4.1.7393.10.76.20.1.16.2.1.0";
    static constexpr const char* kTimeStampOid = "1.3.6.1.4.1.7393.10.76.20.1.16.2.2.0";
    static constexpr const char* kSeverityOid = "1.3.6.1.4.1.7393.10.76.20.1.16.2.3.0";
    static constexpr const char* kFacilityOid = "1.3.6.1.4.1.7393.10.76.20.1.16.2.4.0";
    // Host table entry: column c of a host is kHostEntry + "." + c + index.
    static constexpr const char* kHostEntry = "1.3.6.1.4.1.7393.10.76.20.1.16.2.5.1";

    explicit CSyslogHostCfgDlg(QWidget* parent = nullptr);
    ~CSyslogHostCfgDlg() override;

    // Row index of an address text for the host table (".1.4.a.b.c.d" or ".2.16" and 16 bytes); empty
    // for a text that is neither.
    static std::string HostIndex(const std::string& address);

    // Read-only views (UI thread).
    const std::string& HostAddress() const { return m_strHostAddress; }
    // Ends of the global read and of the host walk since the dialog opened (any status).
    int GlobalReadsEnded() const { return m_nGlobalReadsEnded; }
    int HostWalksEnded() const { return m_nHostWalksEnded; }
    const CStepRun& Run() const { return m_run; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    // Values as decimal text; a value missing from the reply or not an integer stays empty and
    // clears its flag.
    struct GlobalValues {
        std::string facility, severity, timeStamp, state;
        bool stateRead = false;
        bool optionsRead = false;  // facility, severity and time stamp
    };
    struct HostRow {
        std::string status, type, address, port;  // address: the raw octets
        bool read = false;                        // every value there, each of its type
    };

    static int OnSyslogGlobalRead(CSnmp* response, int requestId, void* userData, int status);
    static int OnSyslogHostWalk(CSnmp* response, int requestId, void* userData, int status);

    void ReadSyslogGlobal();
    void ShowGlobal(const GlobalValues& values);
    void OnHostDone();
    void ReadSyslogHost();
    void ShowHost(const HostRow& row);
    void OnSyslogEnableClicked();
    void EnableOptions(bool enable);
    void OnApplyState();
    // One request of the host's Apply.
    struct HostWrite {
        std::string label;                                          // what it writes, for the end
        std::vector<std::pair<std::string, std::string>> bindings;  // integer values
        std::string undoOid;       // a refusal destroys this new row, when set
        std::string newHost;       // set: the create of this host's row (a row not active replaced)
        std::string oldHost;       // set: the removal of this host's row, once the new one is active
        bool lastRequest = false;  // the options, sent as they always were
        bool activation = false;   // the host's row made active
    };
    void OnApplyHost();
    // The host Apply's writes in order; none when there is nothing to write or the form is refused
    // (said).
    std::vector<HostWrite> PlanHost();
    // Worker: the create of `w`'s row (its one binding); a row of that index that is not active is
    // replaced.
    ksx::StepOutcome CreateHostRow(const HostWrite& w);
    void OnPortChanged();
    // Each Apply is available once what it writes back was read; a failed read is said once.
    void UpdateApply();
    void SayReadFailure();

    QComboBox* m_cbFacility = nullptr;
    QComboBox* m_cbSeverity = nullptr;
    CEditEXIPV6* m_editHost = nullptr;
    QLineEdit* m_editPort = nullptr;
    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPTable;
    CCommonSNMP m_cCommonSNMPSet;
    ksx::TableRead<GlobalValues> m_globalRead;
    ksx::TableRead<HostRow> m_hostRead;
    std::string m_strHostAddress;  // the host row the last walk showed; empty when it found none
    QCheckBox* m_chkEnable = nullptr;
    QComboBox* m_cbTimeStamp = nullptr;

    int m_nGlobalReadsEnded = 0;
    int m_nHostWalksEnded = 0;
    bool m_stateRead = false;    // the last global read gave the state
    bool m_optionsRead = false;  // ... and facility, severity and time stamp
    bool m_hostOk = false;       // the last host walk reached the table's end with every row read
    bool m_hostRowsOk = true;
    bool m_activeHostShown = false;  // the walk under way showed an active row
    bool m_readFailSaid = false;
    ksx::AddProgress m_progress;  // whose row the create of the new host touched
    ksx::OtherRow m_other;        // a row of the new host not active that this module did not leave
    CStepRun m_run{*this};        // the host writes; last: stopped before the sessions go
};
