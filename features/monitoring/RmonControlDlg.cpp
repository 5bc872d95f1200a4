// Older RMON control dialog.
#include "features/monitoring/RmonControlDlg.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <vector>

#include "core/RunText.h"
#include "features/common/DirectRead.h"
#include "features/common/ScalarGet.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/Globals.h"
#include "platform/ui/Form.h"
#include "platform/ui/WaitCursor.h"
#include "res/ids_rmon1.h"

using namespace ksx;

namespace {

// From the library's thread to the dialog: lParam the six values.
constexpr unsigned WM_RMONCTL_VALUES = WM_USER + 610;
const char* const kLeaves[6] = {".49.1.0", ".49.2.0", ".49.3.0", ".49.6.0", ".49.7.0", ".49.8.0"};

// The four written values: edit, the object it writes, its length limit and its label.
struct Writable {
    int id;
    const char* leaf;
    size_t limit;
    const char* name;
};
const Writable kWritable[4] = {
    {IDC_RMONCTL_QUOTA_BUCKET, ".49.2.0", 32, "RmonControlHistoryControlQuotaBucket"},
    {IDC_RMONCTL_CTL_QUOTA_BUCKET, ".49.6.0", 32, "ControlHistoryControlQuotaBucket"},
    {IDC_RMONCTL_CTL_MAX_BUCKETS, ".49.7.0", 60, "ControlHistoryControlMaxGlobalBuckets"},
    {IDC_RMONCTL_MAX_ENTRIES, ".49.8.0", 60, "ControlHistoryMaxEntries"},
};

// A whole decimal number 0..2147483647 (an INTEGER the device can take).
bool IsCount(const std::string& text) {
    if (text.empty() || text.size() > 10) {
        return false;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return std::stoll(text) <= 2147483647LL;
}

}  // namespace

CRmonControlDlg::CRmonControlDlg(QWidget* parent) : CDialog(IDD_RMON_CONTROL, parent) {
    OnCommand(IDC_RMONCTL_REFRESH, [this] { OnRefresh(); });
    OnCommand(IDC_RMONCTL_APPLY, [this] { OnOK(); });
    OnCommand(IDC_RMONCTL_CLOSE, [this] { OnCancel(); });
    OnMessage(WM_RMONCTL_VALUES, [this](WPARAM w, LPARAM l) { return OnReadValues(w, l); });
}

CRmonControlDlg::~CRmonControlDlg() = default;

void CRmonControlDlg::CreateControls() {
    ui::Form form(*this);
    auto group = form.Group("");
    for (const Writable& w : kWritable) {
        auto* edit = group.Edit(w.id);
        edit->setMinimumWidth(160);
        group.Field(std::string(w.name) + ":", edit);
    }
    group.Field("RmonControlMibVersion:", group.Label("", IDC_RMONCTL_MIB_VERSION));
    group.Field("RmonControlHistoryControlMaxGlobalBuckets:", group.Label("", IDC_RMONCTL_MAX_BUCKETS));
    form.Buttons(
        {{IDC_RMONCTL_REFRESH, "&Refresh"}, {IDC_RMONCTL_APPLY, "&Apply"}, {IDC_RMONCTL_CLOSE, "&Close"}},
        IDC_RMONCTL_REFRESH);
}

int CRmonControlDlg::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    m_pSender = std::make_unique<CSnmp4w>();
    SetIcon(QApplication::windowIcon());
    SetWindowText("RMON Control");
    // Apply writes the four values back: only once they hold what the device has.
    EnableDlgItem(IDC_RMONCTL_APPLY, false);
    Read();
    return 1;
}

int CRmonControlDlg::DestroyWindow() {
    const int result = CDialog::DestroyWindow();  // a reply arriving now is no longer delivered
    ReleaseSender(m_pSender);
    return result;
}

void CRmonControlDlg::OnRefresh() {
    CWaitCursor wait;
    Read();
}

void CRmonControlDlg::Read() {
    SendScalarGet(m_pSender.get(), AgentAddress(), kRoot, {std::begin(kLeaves), std::end(kLeaves)},
                  OnReadReply, this);
}

int CRmonControlDlg::OnReadReply(CSnmp* reply, int /*requestId*/, void* userData, int status) {
    auto* self = static_cast<CRmonControlDlg*>(userData);
    // All six are INTEGERs: a value of another type is not read (four of them are written back).
    auto values = ScalarGetTexts(reply, status, 6, "iiiiii");
    if (!values) {
        return 0;
    }
    self->SendMessage(WM_RMONCTL_VALUES, 0, ksx::RecordParam(&*values));
    return 0;
}

LRESULT CRmonControlDlg::OnReadValues(WPARAM /*wParam*/, LPARAM lParam) {
    if (lParam == 0) {
        return 0;
    }
    const auto& v = *ksx::Record<std::vector<std::string>>(lParam);
    SetDlgItemText(IDC_RMONCTL_MIB_VERSION, v[0]);
    SetDlgItemText(IDC_RMONCTL_QUOTA_BUCKET, v[1]);
    SetDlgItemText(IDC_RMONCTL_MAX_BUCKETS, v[2]);
    SetDlgItemText(IDC_RMONCTL_CTL_QUOTA_BUCKET, v[3]);
    SetDlgItemText(IDC_RMONCTL_CTL_MAX_BUCKETS, v[4]);
    SetDlgItemText(IDC_RMONCTL_MAX_ENTRIES, v[5]);
    m_bRead = true;
    EnableDlgItem(IDC_RMONCTL_APPLY, true);
    return 0;
}

void CRmonControlDlg::OnOK() {
    std::string texts[4];
    for (int i = 0; i < 4; ++i) {
        texts[i] = GetDlgItemText(kWritable[i].id);
        if (texts[i].size() > kWritable[i].limit) {
            AfxMessageBox("Enter no more than " + std::to_string(kWritable[i].limit) + " characters.",
                          MB_ICONWARNING);
            SetFocusTo(kWritable[i].id);
            return;
        }
    }
    if (g_strSnmpVersion != "1" || !m_bRead) {
        return;
    }
    for (int i = 0; i < 4; ++i) {
        if (!IsCount(texts[i])) {
            AfxMessageBox("Please enter a whole number from 0 to 2147483647 for " +
                              std::string(kWritable[i].name) + ".",
                          MB_ICONWARNING);
            SetFocusTo(kWritable[i].id);
            return;
        }
    }
    CSnmpV1 request(3);
    request.setCommunity(g_strWriteCommunity.c_str());
    for (int i = 0; i < 4; ++i) {
        request.addValue((std::string(kRoot) + kWritable[i].leaf).c_str(), SNMP_TYPE_INTEGER,
                         texts[i].c_str());
    }
    CSnmp* response = nullptr;
    const int status = request.send(AgentAddress().c_str(), response, 0);
    const SnmpAnswer answer = ClassifyAnswer(status, response, request.lastRequestSent());
    delete response;
    if (!answer.Accepted()) {
        AfxMessageBox(AnswerText(answer, {"the RMON control values", true}), MB_ICONWARNING);
        Read();  // show what the device holds
    }
}
