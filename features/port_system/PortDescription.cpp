// Port description dialog.
#include "features/port_system/PortDescription.h"

#include <QApplication>
#include <QLineEdit>

#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/CharacterLimit.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_port_small.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(ID_MENU_PORT_DESCRIPTION, [] {
    CPortDescription dlg;
    dlg.DoModal();
});

}  // namespace

CPortDescription::CPortDescription(QWidget* parent)
    : CTableDialog(IDD_PORT_DESCRIPTION,
                   {
                       {CPortConfigLogic::kDescriptionPortColumn, "Port",
                        ColumnWidth::SampleText("26(F_100)", 15), ListColumn::Number, LVCFMT_LEFT, "0"},
                       {CPortConfigLogic::kDescriptionColumn, "Description", ColumnWidth::Remaining(24),
                        nullptr, LVCFMT_CENTER, ""},
                   },
                   parent),
      m_range(*this, IDC_PD_FROM_PORT, IDC_PD_TO_PORT, "'To Port' can not be smaller than 'From Port'") {
    OwnSessions(m_logic.Sessions());
    OwnSession(m_cCommonSNMPSet);
    OnCommand(IDC_PD_APPLY, [this] { OnApply(); });
    OnCommand(IDC_PD_CLOSE, [this] { EndDialog(IDCANCEL); });
    KeyRowsByIndex(m_logic.GetPortNum());
}

CPortDescription::~CPortDescription() = default;

void CPortDescription::CreateControls() {
    SetWindowText("Port Description");
    ui::Form form(*this);
    form.Group("Description", IDC_PD_LIST_GROUP).Fill(MakeList(IDC_PD_LIST));
    auto config = form.Group("Configuration", IDC_PD_CONFIG_GROUP);
    config.Row({"From Port", config.Combo(IDC_PD_FROM_PORT), "To Port", config.Combo(IDC_PD_TO_PORT)});
    // The limit counts whole characters, so a character beyond ASCII is never cut in half.
    ui::LimitCharacters(config.Field("Description", config.Edit(IDC_PD_DESCRIPTION)), kMaxDescriptionLength);
    form.Buttons({{IDC_PD_REFRESH, "Refresh"}, {IDC_PD_APPLY, "Apply"}, {IDC_PD_CLOSE, "Close"}},
                 IDC_PD_REFRESH);
    SetRefreshButton(IDC_PD_REFRESH);
    SetBusyControls({IDC_PD_CLOSE, IDC_PD_APPLY, IDC_PD_REFRESH});
}

int CPortDescription::OnInitDialog() {
    SetIcon(QApplication::windowIcon());
    SetWindowText("Port Description: " + g_strDeviceIP);
    m_range.Fill(m_logic.GetPortNum());
    return CTableDialog::OnInitDialog();
}

void CPortDescription::OnReadEnd(const WalkEnd&) {
    m_range.SelectFirst();
}

void CPortDescription::OnApply() {
    EnableBusy(false);
    const PortDescriptionRequest request{m_range.From(), m_range.To(), GetDlgItemText(IDC_PD_DESCRIPTION)};
    if (request.fromPort < 1) {
        EnableBusy(true);
        m_range.SelectFirst();
        SetDlgItemText(IDC_PD_DESCRIPTION, "");
        return;
    }
    // One SET of the description column for every port of the range.
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
    for (int p = request.fromPort; p <= request.toPort; ++p) {
        m_cCommonSNMPSet.AddVarBind(
            std::string(CPortConfigLogic::kDescriptionColumn) + "." + std::to_string(p), 2,
            request.description.c_str());
    }
    const SnmpAnswer answer = ksx::SendRequest(m_cCommonSNMPSet).Answer();
    if (answer.Accepted()) {
        Refresh();
        m_range.SelectFirst();
        SetDlgItemText(IDC_PD_DESCRIPTION, "");
        return;
    }
    // The range and the text stay as they were, for another try; the list shows what was read.
    EnableBusy(true);
    const bool several = request.toPort > request.fromPort;
    AfxMessageBox(AnswerText(answer, {std::string(several ? "the descriptions of " : "the description of ") +
                                          PortsSpan(request.fromPort, request.toPort),
                                      several}),
                  MB_OK);
}
