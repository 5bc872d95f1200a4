// Syslog host dialog.
#include "features/port_system/SyslogHostCfgDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <algorithm>
#include <memory>

#include "controls/EditEXIPV6.h"
#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Text.h"
#include "res/ids_poe_syslog.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(ID_MENU_SYSLOG_HOST, [] {
    CSyslogHostCfgDlg dlg;
    dlg.DoModal();
});

// From the callbacks: lParam points to the record, valid during the call.
constexpr unsigned WM_SYSLOG_GLOBAL_READ = WM_USER + 4131;
constexpr unsigned WM_SYSLOG_HOST_ROW = WM_USER + 4132;

constexpr int kMaxPortDigits = 5;

const char* const kTextInvalidAddress = "Invalid Syslog Sever IP address.";
const char* const kTextInvalidPort = "Invalid UDP port range (1-65535)";

// Row-status values of the host table.
const char* const kActive = "1";
const char* const kCreateAndWait = "5";
const char* const kDestroy = "6";

}  // namespace

const char* const CSyslogHostCfgDlg::kStateOid = "1.3.6.1.4.1.7393.10.76.20.1.16.2.1.0";
const char* const CSyslogHostCfgDlg::kTimeStampOid = "1.3.6.1.4.1.7393.10.76.20.1.16.2.2.0";
const char* const CSyslogHostCfgDlg::kSeverityOid = "1.3.6.1.4.1.7393.10.76.20.1.16.2.3.0";
const char* const CSyslogHostCfgDlg::kFacilityOid = "1.3.6.1.4.1.7393.10.76.20.1.16.2.4.0";
const char* const CSyslogHostCfgDlg::kHostEntry = "1.3.6.1.4.1.7393.10.76.20.1.16.2.5.1";

CSyslogHostCfgDlg::CSyslogHostCfgDlg(QWidget* parent) : CDialog(IDD_SYSLOG_HOST, parent) {
    OnCommand(IDC_SYSLOG_ENABLE, [this] { OnSyslogEnableClicked(); });
    OnCommand(IDC_SYSLOG_APPLY_STATE, [this] { OnApplyState(); });
    OnCommand(IDC_SYSLOG_APPLY_HOST, [this] { OnApplyHost(); });
    OnCommand(IDC_SYSLOG_REFRESH, [this] { ReadSyslogGlobal(); });
    OnNotify(EN_CHANGE, IDC_SYSLOG_PORT, Handler([this] { OnPortChanged(); }));
    OnMessage(WM_SYSLOG_GLOBAL_READ, [this](WPARAM, LPARAM l) -> LRESULT {
        ShowGlobal(*reinterpret_cast<const GlobalValues*>(l));
        return 1;
    });
    OnMessage(WM_SYSLOG_HOST_DONE, [this](WPARAM, LPARAM) -> LRESULT {
        OnHostDone();
        return 1;
    });
    OnMessage(WM_SYSLOG_HOST_ROW, [this](WPARAM w, LPARAM l) -> LRESULT {
        if (w == 0) {
            ++m_nHostWalksEnded;  // the walk is over; the form keeps the last row
        } else {
            ShowHost(*reinterpret_cast<const HostRow*>(l));
        }
        return 1;
    });
}

CSyslogHostCfgDlg::~CSyslogHostCfgDlg() = default;

void CSyslogHostCfgDlg::CreateControls() {
    SetWindowText("Syslog Host Configuration");
    AddGroupBox(IDC_SYSLOG_GROUP, "Syslog", 8, 6, 504, 62);
    m_chkEnable = AddCheckBox(IDC_SYSLOG_ENABLE, "SysLogEnable", 22, 32, 160, 24);
    AddButton(IDC_SYSLOG_APPLY_STATE, "Apply", 412, 29, 88, 28);

    AddGroupBox(IDC_SYSLOG_CONFIG_GROUP, "Configuratiom", 8, 76, 504, 134);
    AddLabel(IDC_SYSLOG_HOST_LABEL, "Host IP", 22, 102, 60, 24);
    m_editHost = PlaceControl(IDC_SYSLOG_HOST, new CEditEXIPV6, 86, 101, 200, 26);
    AddLabel(IDC_SYSLOG_PORT_LABEL, "UDP Port(1-65535):", 300, 102, 130, 24);
    m_editPort = AddEdit(IDC_SYSLOG_PORT, 432, 101, 68, 26);
    m_editPort->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), m_editPort));

    AddLabel(IDC_SYSLOG_FACILITY_LABEL, "Facility", 22, 138, 60, 24);
    m_cbFacility = AddComboBox(IDC_SYSLOG_FACILITY, 86, 137, 110, 26);
    AddLabel(IDC_SYSLOG_SEVERITY_LABEL, "Severity:", 220, 138, 70, 24);
    m_cbSeverity = AddComboBox(IDC_SYSLOG_SEVERITY, 292, 137, 130, 26);
    AddLabel(IDC_SYSLOG_TIME_STAMP_LABEL, "Time Stamp", 22, 174, 80, 24);
    m_cbTimeStamp = AddComboBox(IDC_SYSLOG_TIME_STAMP, 104, 173, 110, 26);
    m_cbTimeStamp->setEditable(true);

    AddButton(IDC_SYSLOG_REFRESH, "&Refresh", 228, 220, 88, 28);
    AddButton(IDC_SYSLOG_APPLY_HOST, "&Apply", 322, 220, 88, 28);
    AddButton(IDC_SYSLOG_CLOSE, "&Close", 416, 220, 88, 28);
    SetClientSize(520, 258);

    // The template's initial data; no item is selected until a read selects one.
    for (int n = 0; n < 8; ++n) {
        m_cbFacility->addItem(QString("Local%1").arg(n));
    }
    m_cbSeverity->addItems({"Warning", "Informational", "All"});
    m_cbTimeStamp->addItems({"Enabled", "Disabled"});
    for (QComboBox* box : {m_cbFacility, m_cbSeverity, m_cbTimeStamp}) {
        box->setCurrentIndex(-1);
    }
}

int CSyslogHostCfgDlg::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    for (int id : {IDC_SYSLOG_HOST, IDC_SYSLOG_PORT, IDC_SYSLOG_FACILITY, IDC_SYSLOG_SEVERITY}) {
        EnableDlgItem(id, false);
    }
    ReadSyslogGlobal();
    return 1;
}

int CSyslogHostCfgDlg::DestroyWindow() {
    TRACE("==================DestroyWindow===============");
    m_cCommonSNMP.Close();
    TRACE("==================m_cCommonSNMP.Close===============");
    m_cCommonSNMPSet.Close();
    TRACE("==================m_cCommonSNMPSet.Close===============");
    m_cCommonSNMPTable.Close();
    return CDialog::DestroyWindow();
}

std::string CSyslogHostCfgDlg::HostIndex(const std::string& address) {
    if (address.find('.') != std::string::npos) {
        return ".1.4." + address;
    }
    if (address.find(':') != std::string::npos) {
        // The row index holds the 16 address octets only, never an interface suffix.
        std::string digits = CUtils::ExpandIPv6(address.substr(0, address.find('%')));
        digits.erase(std::remove(digits.begin(), digits.end(), ':'), digits.end());
        return ".2.16" + CUtils::HexToOidIndex(digits);
    }
    return std::string();
}

// ---- Reading ----

void CSyslogHostCfgDlg::ReadSyslogGlobal() {
    m_editHost->setText("0.0.0.0");
    m_editPort->setText("514");
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
    for (const char* oid : {kFacilityOid, kSeverityOid, kTimeStampOid, kStateOid}) {
        m_cCommonSNMP.AddVarBind(oid, 4, nullptr);
    }
    m_cCommonSNMP.StartAsyncWalk(&CSyslogHostCfgDlg::OnSyslogGlobalRead, this, 0);
}

int CSyslogHostCfgDlg::OnSyslogGlobalRead(CSnmp* response, int requestId, void* userData, int status) {
    auto* dlg = static_cast<CSyslogHostCfgDlg*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    if (!dlg->m_cCommonSNMP.FindRequestID(requestId)) {
        return 0;
    }
    if (status == 0) {
        GlobalValues values;
        values.facility = BindingValue(response, 0);
        values.severity = BindingValue(response, 1);
        values.timeStamp = BindingValue(response, 2);
        values.state = BindingValue(response, 3);
        dlg->SendMessage(WM_SYSLOG_GLOBAL_READ, 0, reinterpret_cast<LPARAM>(&values));
    }
    owned.reset();
    dlg->m_cCommonSNMP.SetDone();
    static const char kFinished[] = "Finished";
    dlg->SendMessage(WM_SYSLOG_HOST_DONE, 1, reinterpret_cast<LPARAM>(kFinished));
    return 0;
}

void CSyslogHostCfgDlg::ShowGlobal(const GlobalValues& values) {
    const int facility = text::LeadingInt(values.facility);
    int item = 0;
    if (facility >= 128 && facility <= 184 && facility % 8 == 0 &&
        values.facility == std::to_string(facility)) {
        item = (facility - 128) / 8;
    }
    m_cbFacility->setCurrentIndex(item);

    if (values.severity == "4") {
        m_cbSeverity->setCurrentIndex(0);
    } else if (values.severity == "6") {
        m_cbSeverity->setCurrentIndex(1);
    } else if (values.severity == "7") {
        m_cbSeverity->setCurrentIndex(2);
    }

    m_cbTimeStamp->setCurrentIndex(values.timeStamp == "1" ? 0 : 1);

    const bool enabled = values.state == "1";
    m_chkEnable->setChecked(enabled);
    EnableOptions(enabled);
}

void CSyslogHostCfgDlg::OnHostDone() {
    ++m_nGlobalReadsEnded;
    EnableDlgItem(IDC_SYSLOG_APPLY_HOST, m_chkEnable->isChecked());
    ReadSyslogHost();
}

void CSyslogHostCfgDlg::ReadSyslogHost() {
    m_cCommonSNMPTable.Open(CCommonSNMP::REQUEST_GETNEXT);
    for (int column : {5, 1, 2, 3}) {
        m_cCommonSNMPTable.AddVarBind(std::string(kHostEntry) + "." + std::to_string(column), 4, nullptr);
    }
    m_cCommonSNMPTable.StartAsyncWalk(&CSyslogHostCfgDlg::OnSyslogHostWalk, this, 0);
}

int CSyslogHostCfgDlg::OnSyslogHostWalk(CSnmp* response, int requestId, void* userData, int status) {
    auto* dlg = static_cast<CSyslogHostCfgDlg*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    if (!dlg->m_cCommonSNMPTable.FindRequestID(requestId)) {
        return 0;
    }
    if (status != 0) {
        dlg->m_cCommonSNMPTable.SetDone();
        dlg->SendMessage(WM_SYSLOG_HOST_ROW, 0, 0);  // the walk is over
        return 0;
    }
    HostRow row;
    row.status = BindingValue(response, 0);
    row.type = BindingValue(response, 1);
    row.address = BindingValue(response, 2);
    row.port = BindingValue(response, 3);
    dlg->SendMessage(WM_SYSLOG_HOST_ROW, 1, reinterpret_cast<LPARAM>(&row));
    owned.reset();
    dlg->m_cCommonSNMPTable.StartAsyncWalk(&CSyslogHostCfgDlg::OnSyslogHostWalk, dlg, 0);
    return 0;
}

void CSyslogHostCfgDlg::ShowHost(const HostRow& row) {
    // Each row overwrites the form: after the walk it shows the table's last row.
    unsigned char octets[16] = {};
    std::copy_n(row.address.begin(), std::min<size_t>(row.address.size(), sizeof octets), octets);
    std::string address;
    if (row.type == "1") {
        address = CUtils::HexToDottedDecimal(CUtils::FormatAddressBytes(octets, 1));
    } else if (row.type == "2") {
        address = CUtils::CompressIPv6(CUtils::FormatAddressBytes(octets, 2));
    }
    const bool active = row.status == "1";
    m_editHost->setText(ui::ToQ(active ? address : std::string("0.0.0.0")));
    m_strHostAddress = address;
    m_editPort->setText(ui::ToQ(active ? row.port : std::string("0")));
}

// ---- The form ----

void CSyslogHostCfgDlg::EnableOptions(bool enable) {
    for (int id : {IDC_SYSLOG_HOST, IDC_SYSLOG_PORT, IDC_SYSLOG_FACILITY, IDC_SYSLOG_SEVERITY,
                   IDC_SYSLOG_TIME_STAMP}) {
        EnableDlgItem(id, enable);
    }
}

void CSyslogHostCfgDlg::OnSyslogEnableClicked() {
    EnableOptions(m_chkEnable->isChecked());
}

void CSyslogHostCfgDlg::OnPortChanged() {
    const QString text = m_editPort->text();
    if (text.size() <= kMaxPortDigits) {
        return;
    }
    const int caret = m_editPort->cursorPosition();
    m_editPort->setText(text.left(kMaxPortDigits));
    m_editPort->setCursorPosition(std::min(caret, kMaxPortDigits));
}

// ---- Writing ----

void CSyslogHostCfgDlg::OnApplyState() {
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(kStateOid, 1, m_chkEnable->isChecked() ? "1" : "2");
    GetNextRequest(m_cCommonSNMPSet);
    ReadSyslogGlobal();
}

void CSyslogHostCfgDlg::OnApplyHost() {
    ApplyHost();
    ReadSyslogGlobal();
}

bool CSyslogHostCfgDlg::SetInteger(const std::string& oid, const std::string& value) {
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    m_cCommonSNMPSet.AddVarBind(oid, 1, value.c_str());
    return SendAccepted(m_cCommonSNMPSet);
}

void CSyslogHostCfgDlg::ApplyHost() {
    if (m_cbSeverity->currentText().isEmpty() || m_cbFacility->currentText().isEmpty()) {
        return;
    }
    m_editHost->OnKillFocus();
    if (m_editHost->m_bValid == 0) {
        AfxMessageBox(kTextInvalidAddress, MB_OK);
        return;
    }
    const std::string newIndex = HostIndex(m_editHost->m_strAddress);
    const std::string oldIndex = HostIndex(m_strHostAddress);
    const std::string portText = ui::ToStd(m_editPort->text());
    const int port = text::LeadingInt(portText);
    if (port < 1 || port > 65535) {
        AfxMessageBox(kTextInvalidPort, MB_OK);
        return;
    }

    const std::string status = std::string(kHostEntry) + ".5";
    const std::string udpPort = std::string(kHostEntry) + ".3";
    if (newIndex == oldIndex) {
        // The same host: its row stays and takes the port.
        if (!SetInteger(udpPort + newIndex, portText) || !SetInteger(status + newIndex, kActive)) {
            return;
        }
    } else {
        // The new row first; the old host goes only once the new one is active, so a refused
        // create or port leaves the configured host in place.
        if (!SetInteger(status + newIndex, kCreateAndWait)) {
            return;
        }
        if (!SetInteger(udpPort + newIndex, portText) || !SetInteger(status + newIndex, kActive)) {
            SetInteger(status + newIndex, kDestroy);
            return;
        }
        if (!oldIndex.empty() && !SetInteger(status + oldIndex, kDestroy)) {
            TRACE("syslog host: the old row %s stays", oldIndex.c_str());
        }
    }

    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    const char* severities[] = {"4", "6", "7"};
    const int severity = m_cbSeverity->currentIndex();
    m_cCommonSNMPSet.AddVarBind(kSeverityOid, 1, severities[std::clamp(severity, 0, 2)]);
    const std::string facility = std::to_string(128 + 8 * m_cbFacility->currentIndex());
    m_cCommonSNMPSet.AddVarBind(kFacilityOid, 1, facility.c_str());
    m_cCommonSNMPSet.AddVarBind(kTimeStampOid, 1, m_cbTimeStamp->currentIndex() == 0 ? "1" : "2");
    GetNextRequest(m_cCommonSNMPSet);
}
