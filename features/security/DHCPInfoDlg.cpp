// DHCP information dialog.
#include "features/security/DHCPInfoDlg.h"

#include <QApplication>
#include <QLineEdit>
#include <vector>

#include "features/common/DirectRead.h"
#include "features/common/ScalarGet.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/Globals.h"
#include "platform/ui/Form.h"
#include "platform/ui/WaitCursor.h"
#include "res/ids_rmon1.h"

using namespace ksx;

namespace {

// From the library's thread to the dialog: lParam the three values.
constexpr unsigned WM_DHCPINFO_VALUES = WM_USER + 611;
const char* const kLeaves[3] = {".38.14.0", ".38.26.0", ".38.31.0"};

// The hidden Apply's edits, the objects they write and their length limits.
struct Written {
    int id;
    const char* leaf;
    size_t limit;
};
const Written kWritten[4] = {{IDC_DHCPINFO_RELAY, ".49.2.0", 32},
                             {IDC_DHCPINFO_MIB_VERSION, ".49.6.0", 32},
                             {IDC_DHCPINFO_SERVER, ".49.7.0", 60},
                             {IDC_DHCPINFO_HIDDEN_EDIT, ".49.8.0", 60}};

bool IsWholeNumber(const std::string& text) {
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

CDHCPInfoDlg::CDHCPInfoDlg(QWidget* parent) : CDialog(IDD_DHCP_INFO, parent) {
    OnCommand(IDC_DHCPINFO_REFRESH, [this] {
        CWaitCursor wait;
        Refresh();
    });
    OnCommand(IDC_DHCPINFO_APPLY, [this] { OnOK(); });
    OnCommand(IDC_DHCPINFO_CLOSE, [this] { OnCancel(); });
    OnMessage(WM_DHCPINFO_VALUES, [this](WPARAM w, LPARAM l) { return OnReadValues(w, l); });
}

CDHCPInfoDlg::~CDHCPInfoDlg() = default;

std::string CDHCPInfoDlg::ExistsText(const std::string& value) {
    return value == "2" ? "No" : "Yes";
}

void CDHCPInfoDlg::CreateControls() {
    ui::Form form(*this);
    auto group = form.Group("");
    auto edit = [&group](int id, int limit) {
        auto* e = group.Edit(id);
        e->setEnabled(false);
        e->setMaxLength(limit);
        e->setMinimumWidth(140);
        return e;
    };
    group.Field("DhcpMibVersion:", edit(IDC_DHCPINFO_MIB_VERSION, 32));
    group.Field("DhcpRelayExists:", edit(IDC_DHCPINFO_RELAY, 32));
    group.Field("DhcpSrvExists:", edit(IDC_DHCPINFO_SERVER, 60));
    group.Add(edit(IDC_DHCPINFO_HIDDEN_EDIT, 60));
    form.Buttons(
        {{IDC_DHCPINFO_REFRESH, "&Refresh"}, {IDC_DHCPINFO_APPLY, "&Apply"}, {IDC_DHCPINFO_CLOSE, "&Close"}},
        IDC_DHCPINFO_REFRESH);
}

int CDHCPInfoDlg::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    m_pSender = std::make_unique<CSnmp4w>();
    SetIcon(QApplication::windowIcon());
    SetWindowText("DHCP Information");
    ShowDlgItem(IDC_DHCPINFO_APPLY, false);
    ShowDlgItem(IDC_DHCPINFO_HIDDEN_EDIT, false);
    Refresh();
    return 1;
}

int CDHCPInfoDlg::DestroyWindow() {
    const int result = CDialog::DestroyWindow();  // a reply arriving now is no longer delivered
    ReleaseSender(m_pSender);
    return result;
}

void CDHCPInfoDlg::Refresh() {
    SendScalarGet(m_pSender.get(), AgentAddress(), kRoot, {std::begin(kLeaves), std::end(kLeaves)},
                  OnReadReply, this);
}

int CDHCPInfoDlg::OnReadReply(CSnmp* reply, int /*requestId*/, void* userData, int status) {
    auto* self = static_cast<CDHCPInfoDlg*>(userData);
    auto values = ScalarGetTexts(reply, status, 3);
    if (!values) {
        return 0;
    }
    self->SendMessage(WM_DHCPINFO_VALUES, 0, ksx::RecordParam(&*values));
    return 0;
}

LRESULT CDHCPInfoDlg::OnReadValues(WPARAM /*wParam*/, LPARAM lParam) {
    if (lParam == 0) {
        return 0;
    }
    const auto& v = *ksx::Record<std::vector<std::string>>(lParam);
    SetDlgItemText(IDC_DHCPINFO_MIB_VERSION, v[0]);
    SetDlgItemText(IDC_DHCPINFO_RELAY, ExistsText(v[1]));
    SetDlgItemText(IDC_DHCPINFO_SERVER, ExistsText(v[2]));
    m_bRead = true;
    return 0;
}

void CDHCPInfoDlg::OnOK() {
    Apply();  // the dialog stays open
}

void CDHCPInfoDlg::Apply() {
    if (g_strSnmpVersion != "1") {
        return;
    }
    // The edits show DHCP facts ("Yes", "No"), not the control values the objects hold: only whole
    // numbers within the edits' limits are ever sent, anything else sends nothing.
    std::string texts[4];
    for (int i = 0; i < 4; ++i) {
        texts[i] = GetDlgItemText(kWritten[i].id);
        if (texts[i].size() > kWritten[i].limit || !IsWholeNumber(texts[i])) {
            return;
        }
    }
    CSnmpV1 request(3);
    request.setCommunity(g_strWriteCommunity.c_str());
    for (int i = 0; i < 4; ++i) {
        request.addValue((std::string(kRoot) + kWritten[i].leaf).c_str(), SNMP_TYPE_INTEGER,
                         texts[i].c_str());
    }
    CSnmp* response = nullptr;
    request.send(AgentAddress().c_str(), response, 0);
    delete response;
}
