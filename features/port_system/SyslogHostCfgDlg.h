// "Syslog Host Configuration": switches the device's syslog on or off, sets facility, severity and time
// stamp, and edits the syslog host (IPv4 or IPv6 address and UDP port).
//
// Reading is a chain: the global read's callback sends its values and WM_SYSLOG_HOST_DONE to the dialog,
// which then walks the host table; each host row is sent to the dialog and shown in the form. The
// callbacks run on the sessions' worker threads and touch no control. Writes are synchronous.
#pragma once

#include <string>

#include "core/CommonSNMP.h"
#include "platform/ui/Dialog.h"

class CEditEXIPV6;
class QCheckBox;
class QComboBox;
class QLineEdit;

class CSyslogHostCfgDlg : public ksx::CDialog {
public:
    static const char* const kStateOid;
    static const char* const kTimeStampOid;
    static const char* const kSeverityOid;
    static const char* const kFacilityOid;
    // Host table entry: column c of a host is kHostEntry + "." + c + index.
    static const char* const kHostEntry;

    explicit CSyslogHostCfgDlg(QWidget* parent = nullptr);
    ~CSyslogHostCfgDlg() override;

    int DestroyWindow() override;

    // Row index of an address text for the host table (".1.4.a.b.c.d" or ".2.16" and 16 bytes); empty
    // for a text that is neither.
    static std::string HostIndex(const std::string& address);

    // Read-only views (UI thread).
    const std::string& HostAddress() const { return m_strHostAddress; }
    // Ends of the global read and of the host walk since the dialog opened (any status).
    int GlobalReadsEnded() const { return m_nGlobalReadsEnded; }
    int HostWalksEnded() const { return m_nHostWalksEnded; }

protected:
    void CreateControls() override;
    int OnInitDialog() override;

private:
    struct GlobalValues {
        std::string facility, severity, timeStamp, state;
    };
    struct HostRow {
        std::string status, type, address, port;  // address: the raw octets
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
    void OnApplyHost();
    void ApplyHost();
    // One integer set on the write session; true when the device accepted it.
    bool SetInteger(const std::string& oid, const std::string& value);
    void OnPortChanged();

    QComboBox* m_cbFacility = nullptr;
    QComboBox* m_cbSeverity = nullptr;
    CEditEXIPV6* m_editHost = nullptr;
    QLineEdit* m_editPort = nullptr;
    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPTable;
    CCommonSNMP m_cCommonSNMPSet;
    std::string m_strHostAddress;  // the host row last read; empty until one was read
    QCheckBox* m_chkEnable = nullptr;
    QComboBox* m_cbTimeStamp = nullptr;

    int m_nGlobalReadsEnded = 0;
    int m_nHostWalksEnded = 0;
};
