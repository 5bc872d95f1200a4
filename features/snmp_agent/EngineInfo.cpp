// SNMPv3 engine information view.
#include "features/snmp_agent/EngineInfo.h"

#include <QApplication>
#include <QLineEdit>
#include <algorithm>
#include <cstdlib>

#include "core/CommonSNMP.h"
#include "features/snmp_agent/InfoNames.h"
#include "platform/sys/Globals.h"
#include "platform/ui/Form.h"
#include "platform/ui/WaitCursor.h"
#include "res/ids_direct.h"

using namespace ksx;

namespace {

const std::vector<std::string> kObjects = {"1.3.6.1.6.3.10.2.1.1.0", "1.3.6.1.6.3.10.2.1.2.0",
                                           "1.3.6.1.6.3.10.2.1.3.0", "1.3.6.1.6.3.10.2.1.4.0"};

}  // namespace

CEngineInfo::CEngineInfo(QWidget* parent) : CDialog(IDD_ENGINE_INFO, parent) {
    OnCommand(IDC_V3INFO_REFRESH, [this] { Refresh(); });
    m_get.onReply = [this](const DirectReply& r) {
        Show(r, false);
        return false;
    };
    m_v3.onReply = [this](const DirectReply& r) {
        Show(r, true);
        return false;
    };
}

CEngineInfo::~CEngineInfo() = default;

void CEngineInfo::CreateControls() {
    ui::Form form(*this);
    auto group = form.Group("");
    for (auto [id, label] :
         {std::pair{IDC_ENGINE_ID, "Engine ID:"}, std::pair{IDC_ENGINE_BOOTS, "Boot Numbers:"},
          std::pair{IDC_ENGINE_TIME, "Engine Time:"}, std::pair{IDC_ENGINE_MAX_SIZE, "Max Message Size:"}}) {
        auto* edit = group.Edit(id);
        edit->setReadOnly(true);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(34, '0')));
        group.Field(label, edit);
    }
    form.Buttons({{IDC_V3INFO_REFRESH, "&Refresh"}, {IDCANCEL, "&Close"}}, IDC_V3INFO_REFRESH);
}

int CEngineInfo::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    SetWindowText("SNMPv3 Engine Information");
    Refresh();
    return 1;
}

int CEngineInfo::DestroyWindow() {
    const int result = CDialog::DestroyWindow();
    m_get.Release();
    m_v3.Release();
    return result;
}

void CEngineInfo::Refresh() {
    const unsigned long timeout =
        static_cast<unsigned long>(std::max(0, std::atoi(g_strSnmpTimeout.c_str())));
    if (g_strSnmpVersion == "1") {
        m_get.Restart(kObjects, 0, false);  // every Refresh asks again; only the last answer is shown
    } else if (g_strSnmpVersion == "3") {
        CWaitCursor wait;
        m_v3.Start(kObjects, 0, timeout);
    }
}

void CEngineInfo::Show(const DirectReply& reply, bool v3) {
    // A failed read keeps the texts there were.
    if (!reply.Accepted() || reply.Count() < 4) {
        if (v3 && reply.status != CSnmp4w::EC_CANCELLED) {
            AfxMessageBox(NoteSnmpV3ReadFailure(reply.status), MB_ICONWARNING);
        }
        return;
    }
    SetDlgItemText(IDC_ENGINE_ID, CInfoNames::Hex(reply.Octets(0).value_or("")));
    SetDlgItemText(IDC_ENGINE_BOOTS, reply.Text(1));
    SetDlgItemText(IDC_ENGINE_TIME, reply.Text(2));
    SetDlgItemText(IDC_ENGINE_MAX_SIZE, reply.Text(3));
}
