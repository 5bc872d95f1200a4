// VLAN information view.
#include "features/vlan/VlanInfoDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <mutex>

#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "features/common/ScalarGet.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Form.h"
#include "platform/ui/WaitCursor.h"
#include "res/ids_gvrp.h"

using namespace ksx;

namespace {

// From the library's thread to the dialog: lParam the nine values.
constexpr unsigned WM_VLAN_INFO = WM_USER + 604;
const char* const kLeaves[9] = {".48.1.0",  ".48.2.0",  ".48.27.0", ".48.29.0", ".48.31.0",
                                ".48.32.0", ".48.35.0", ".48.36.0", ".48.38.0"};

std::string YesNo(const std::string& v) {
    return v == "1" ? "Yes" : "No";
}

}  // namespace

CVlanInfoDlg::CVlanInfoDlg(QWidget* parent) : CDialog(IDD_VLAN_INFO, parent) {
    OnCommand(IDC_VINFO_REFRESH, [this] { OnRefresh(); });
    OnCommand(IDC_VINFO_APPLY, [this] { OnOK(); });
    OnCommand(IDC_VINFO_CLOSE, [this] { OnCancel(); });
    OnMessage(WM_VLAN_INFO, [this](WPARAM w, LPARAM l) { return OnVlanInfo(w, l); });
}

CVlanInfoDlg::~CVlanInfoDlg() = default;

void CVlanInfoDlg::CreateControls() {
    ui::Form form(*this);
    auto group = form.Group("");
    auto edit = [&group](int id) {
        auto* e = group.Edit(id);
        e->setEnabled(false);
        return e;
    };
    auto check = [&group](int id, const char* text) {
        auto* c = group.Check(id, text);
        c->setEnabled(false);
        return c;
    };
    group.Field("MibVersion:", edit(IDC_VINFO_MIB_VERSION));
    group.Field("MaxTableNumber:", edit(IDC_VINFO_MAX_TABLE));
    group.Field("DefaultSupported:", edit(IDC_VINFO_DEFAULT_SUPPORTED));
    group.Field("Dot1vSupported:", edit(IDC_VINFO_DOT1V_SUPPORTED));
    group.Field("PrivateEdgeSupported:", edit(IDC_VINFO_EDGE_SUPPORTED));
    group.Field("PrivateEdgeVersion:", edit(IDC_VINFO_EDGE_VERSION));
    group.Row({check(IDC_VINFO_SEND_UNKNOWN, "SendUnknownToAllPorts")});
    group.Row({check(IDC_VINFO_DEFAULT_ENABLED, "DefaultEnabled")});
    group.Row({check(IDC_VINFO_DYNAMIC_SUPPORTED, "DynamicVlanSupported")});
    group.Row({check(IDC_VINFO_HIDDEN_CHECK1, ""), check(IDC_VINFO_HIDDEN_CHECK2, ""),
               group.Label("Transportation", IDC_VINFO_TRANSPORTATION)});
    form.Buttons({{IDC_VINFO_REFRESH, "&Refresh"}, {IDC_VINFO_APPLY, "&Apply"}, {IDC_VINFO_CLOSE, "&Close"}},
                 IDC_VINFO_REFRESH);
}

int CVlanInfoDlg::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    m_pSender = std::make_unique<CSnmp4w>();
    SetIcon(QApplication::windowIcon());
    SetWindowText("VLAN Configuration");
    for (int id :
         {IDC_VINFO_APPLY, IDC_VINFO_HIDDEN_CHECK1, IDC_VINFO_HIDDEN_CHECK2, IDC_VINFO_TRANSPORTATION}) {
        ShowDlgItem(id, false);
    }
    ReadVlanInfo();
    return 1;
}

int CVlanInfoDlg::DestroyWindow() {
    const int result = CDialog::DestroyWindow();  // a reply arriving now is no longer delivered
    ReleaseSender(m_pSender);
    return result;
}

void CVlanInfoDlg::OnRefresh() {
    CWaitCursor wait;
    ReadVlanInfo();
}

void CVlanInfoDlg::ReadVlanInfo() {
    SendScalarGet(m_pSender.get(), AgentAddress(), kRoot, {std::begin(kLeaves), std::end(kLeaves)},
                  OnVlanInfoReply, this);
}

int CVlanInfoDlg::OnVlanInfoReply(CSnmp* reply, int /*requestId*/, void* userData, int status) {
    auto* self = static_cast<CVlanInfoDlg*>(userData);
    // The send-unknown state is written back by OK: it must be read as a number.
    auto values = ScalarGetTexts(reply, status, 9, "..i");
    if (!values) {
        self->SendMessage(WM_VLAN_INFO, 0, 0);  // said on the UI thread
        return 0;
    }
    {
        // The values are copied for the window, which takes them on the UI thread.
        std::lock_guard<std::mutex> guard(self->m_replyLock);
        self->m_reply = std::move(values);
    }
    self->SendMessage(WM_VLAN_INFO, 0, 1);
    return 0;
}

LRESULT CVlanInfoDlg::OnVlanInfo(WPARAM /*wParam*/, LPARAM lParam) {
    std::optional<std::vector<std::string>> reply;
    {
        std::lock_guard<std::mutex> guard(m_replyLock);
        reply.swap(m_reply);
    }
    if (lParam == 0 || !reply) {
        AfxMessageBox("Failed to read the VLAN information.", MB_OK);
        return 0;
    }
    const std::vector<std::string>& v = *reply;
    SetDlgItemText(IDC_VINFO_MIB_VERSION, v[0]);
    SetDlgItemText(IDC_VINFO_MAX_TABLE, v[1]);
    SetDlgItemText(IDC_VINFO_DEFAULT_SUPPORTED, YesNo(v[3]));
    SetDlgItemText(IDC_VINFO_DOT1V_SUPPORTED, YesNo(v[4]));
    SetDlgItemText(IDC_VINFO_EDGE_SUPPORTED, YesNo(v[6]));
    SetDlgItemText(IDC_VINFO_EDGE_VERSION, v[7]);
    CheckDlgButton(IDC_VINFO_SEND_UNKNOWN, v[2] == "1" ? 1 : 0);
    CheckDlgButton(IDC_VINFO_DEFAULT_ENABLED, v[5] == "1" ? 1 : 0);
    CheckDlgButton(IDC_VINFO_DYNAMIC_SUPPORTED, v[8] == "1" ? 1 : 0);
    m_bRead = true;
    return 0;
}

void CVlanInfoDlg::OnOK() {
    WriteSendUnknown();  // the dialog stays open
}

void CVlanInfoDlg::WriteSendUnknown() {
    // The box shows the device's value only after a read; before it there is nothing to write back.
    if (g_strSnmpVersion != "1" || !m_bRead) {
        return;
    }
    CSnmpV1 request(3);
    request.setCommunity(g_strWriteCommunity.c_str());
    const char* value = IsDlgButtonChecked(IDC_VINFO_SEND_UNKNOWN) == 1 ? "1" : "2";
    request.addValue((std::string(kRoot) + ".48.27.0").c_str(), SNMP_TYPE_INTEGER, value);
    CSnmp* response = nullptr;
    const int sent = request.send(AgentAddress().c_str(), response, 0);
    const SnmpAnswer answer = ClassifyAnswer(sent, response, request.lastRequestSent());
    delete response;
    if (!answer.Accepted()) {
        AfxMessageBox(
            AnswerText(answer, {"the VLAN information setting"}) + " The settings it holds are shown.",
            MB_OK);
        ReadVlanInfo();
    }
}
