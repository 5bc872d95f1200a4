// Trunk information view.
#include "features/layer2/TrunkInfoDlg.h"

#include <QApplication>
#include <QLineEdit>
#include <mutex>
#include <vector>

#include "features/common/ScalarGet.h"
#include "platform/snmplib/Snmp.h"
#include "platform/sys/Globals.h"
#include "platform/ui/Form.h"
#include "platform/ui/WaitCursor.h"
#include "res/ids_gvrp.h"

using namespace ksx;

namespace {

// From the library's thread to the dialog: lParam the four values.
constexpr unsigned WM_TRUNK_INFO = WM_USER + 605;
const char* const kLeaves[4] = {".65.1.0", ".65.3.0", ".65.4.0", ".65.5.0"};
const int kEdits[4] = {IDC_TINFO_MIB_VERSION, IDC_TINFO_NUM_TRUNKS, IDC_TINFO_MAX_PORTS, IDC_TINFO_CREATION};
const int kMaxLength[4] = {32, 32, 60, 60};

}  // namespace

CTrunkInfoDlg::CTrunkInfoDlg(QWidget* parent) : CDialog(IDD_TRUNK_INFO, parent) {
    OnCommand(IDC_TINFO_REFRESH, [this] { OnRefresh(); });
    OnCommand(IDC_TINFO_APPLY, [this] { OnOK(); });
    OnCommand(IDC_TINFO_CLOSE, [this] { OnCancel(); });
    OnMessage(WM_TRUNK_INFO, [this](WPARAM w, LPARAM l) { return OnTrunkInfo(w, l); });
}

CTrunkInfoDlg::~CTrunkInfoDlg() = default;

std::string CTrunkInfoDlg::CreationSupportText(const std::string& value) {
    return value == "0" ? "notSupported" : "supportsTrunkOrLacp";
}

void CTrunkInfoDlg::CreateControls() {
    ui::Form form(*this);
    auto group = form.Group("");
    const char* labels[4] = {"Dot3adAggMibVersion:", "Dot3adAggNumOfTrunks:", "Dot3adAggMaxPortsInTrunks:",
                             "Dot3adAggTrunkCreationSupport:"};
    for (int i = 0; i < 4; ++i) {
        auto* edit = group.Edit(kEdits[i]);
        edit->setEnabled(false);
        edit->setMaxLength(kMaxLength[i]);
        edit->setMinimumWidth(160);
        group.Field(labels[i], edit);
    }
    form.Buttons({{IDC_TINFO_REFRESH, "&Refresh"}, {IDC_TINFO_APPLY, "&Apply"}, {IDC_TINFO_CLOSE, "&Close"}},
                 IDC_TINFO_REFRESH);
}

int CTrunkInfoDlg::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    m_pSender = std::make_unique<CSnmp4w>();
    SetIcon(QApplication::windowIcon());
    SetWindowText("Trunk Information");
    ShowDlgItem(IDC_TINFO_APPLY, false);
    Read();
    return 1;
}

int CTrunkInfoDlg::DestroyWindow() {
    const int result = CDialog::DestroyWindow();  // a reply arriving now is no longer delivered
    ReleaseSender(m_pSender);
    return result;
}

void CTrunkInfoDlg::OnRefresh() {
    CWaitCursor wait;
    Read();
}

void CTrunkInfoDlg::Read() {
    SendScalarGet(m_pSender.get(), AgentAddress(), kRoot, {std::begin(kLeaves), std::end(kLeaves)},
                  OnTrunkInfoReply, this);
}

int CTrunkInfoDlg::OnTrunkInfoReply(CSnmp* reply, int /*requestId*/, void* userData, int status) {
    auto* self = static_cast<CTrunkInfoDlg*>(userData);
    auto values = ScalarGetTexts(reply, status, 4);
    if (!values) {
        return 0;
    }
    {
        // The values are copied for the window, which takes them on the UI thread.
        std::lock_guard<std::mutex> guard(self->m_replyLock);
        self->m_reply = std::move(values);
    }
    self->SendMessage(WM_TRUNK_INFO, 0, 1);
    return 0;
}

LRESULT CTrunkInfoDlg::OnTrunkInfo(WPARAM /*wParam*/, LPARAM lParam) {
    std::optional<std::vector<std::string>> reply;
    {
        std::lock_guard<std::mutex> guard(m_replyLock);
        reply.swap(m_reply);
    }
    if (lParam == 0 || !reply) {
        return 0;
    }
    const std::vector<std::string>& v = *reply;
    for (int i = 0; i < 3; ++i) {
        SetDlgItemText(kEdits[i], v[static_cast<size_t>(i)]);
    }
    SetDlgItemText(kEdits[3], CreationSupportText(v[3]));
    return 0;
}
