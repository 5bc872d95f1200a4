// Port settings dialog.
#include "features/port_system/PortSetInfo.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <iterator>
#include <string>

#include "controls/ListCtrl.h"
#include "core/RunText.h"
#include "core/TextNumbers.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "platform/ui/Text.h"
#include "res/ids_port_settings.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(ID_MENU_PORT_CONFIGURATION, [] {
    CPortSetInfo dlg;
    dlg.DoModal();
});

const char* const kLinkText[] = {"Down", "1000M Full", "100M Full", "100M Half", "10M Full", "10M Half"};
const char* const kSpeedText[] = {"1000M Full", "100M Full", "100M Half", "10M Full",
                                  "10M Half",   "Auto",      "Disable"};
const char* const kMdixText[] = {"Auto", "MDI", "MDIX"};

// Text of code 1..n in the table, empty for any other code.
template <size_t N>
QString CodeText(const char* const (&table)[N], int code) {
    return code >= 1 && code <= static_cast<int>(N) ? QString::fromLatin1(table[code - 1]) : QString();
}

}  // namespace

CPortSetInfo::CPortSetInfo(QWidget* parent) : CDialog(IDD_PORT_SET_INFO, parent) {
    g_bDialogClosing = 0;
    OwnSessions(m_logic.Sessions());
    OnCommand(IDC_PORTSET_REFRESH, [this] { Reload(); });
    OnCommand(IDC_PORTSET_APPLY, [this] { OnApply(); });
    OnNotify(NM_CLICK, IDC_PORTSET_LIST, Handler([this] { OnClickList(); }));
    OnNotify(CBN_SELCHANGE, IDC_PORTSET_MDIX, Handler([this] { m_mdixTyped = false; }));
    auto walkEnded = [this](WPARAM, LPARAM) -> LRESULT {
        m_portsEnded = true;
        EnableDlgItem(IDC_PORTSET_REFRESH, true);
        FillList();
        ResetForm();
        UpdateApply();
        SayReadFailure();
        return 0;
    };
    // The trunk checks decide on the membership: Apply waits for it.
    OnMessage(WM_PORT_TRUNK_READ, [this](WPARAM, LPARAM) -> LRESULT {
        if (m_logic.TrunkReadTimedOut()) {
            m_logic.ReadTrunkMembership();  // starts again, as the port read does
            return 0;
        }
        if (!m_logic.TrunkReadOk()) {
            m_readFailed = true;
        }
        UpdateApply();
        if (m_portsEnded) {
            SayReadFailure();
        }
        return 0;
    });
    OnMessage(WM_SNMP_WALK_END, walkEnded);
    OnMessage(WM_SNMP_WALK_STALE, walkEnded);
    // A timed-out read starts again.
    OnMessage(WM_SNMP_WALK_TIMEOUT, [this](WPARAM, LPARAM) -> LRESULT {
        EnableDlgItem(IDC_PORTSET_REFRESH, true);
        EnableDlgItem(IDC_PORTSET_APPLY, true);
        ResetForm();
        Reload();
        return 0;
    });
}

CPortSetInfo::~CPortSetInfo() = default;

void CPortSetInfo::CreateControls() {
    SetWindowText("Port Configuration");
    ui::Form form(*this);
    m_list = form.Group("Port Information", IDC_PORTSET_INFO_GROUP).Fill(MakeList());

    auto config = form.Group("Port Configuration", IDC_PORTSET_CONFIG_GROUP);
    auto* portId = config.Edit(IDC_PORTSET_PORT_ID);
    portId->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), portId));
    portId->setEnabled(false);
    portId->setMaximumWidth(portId->fontMetrics().horizontalAdvance("00000") + 16);
    m_speed = config.Combo(IDC_PORTSET_SPEED);
    m_speed->addItems({"1000M-Full", "100M-Full", "100M-Half", "10M-Full", "10M-Half", "Auto", "Disable"});
    m_mdix = config.Combo(IDC_PORTSET_MDIX, true);
    m_mdix->setInsertPolicy(QComboBox::NoInsert);
    m_mdix->addItems({"Auto", "MDI", "MDIX"});
    // Typing leaves the box with no item selected, as the classic combo does; leaving the field does not
    // pick the item whose text was typed.
    QObject::disconnect(m_mdix->lineEdit(), &QLineEdit::editingFinished, m_mdix, nullptr);
    QObject::connect(m_mdix->lineEdit(), &QLineEdit::textEdited, this, [this] { m_mdixTyped = true; });
    m_flow = config.Combo(IDC_PORTSET_FLOW);
    config.Row({"Port ID:", portId, "Speed:", m_speed, "MDI/MDIX:", m_mdix, "Flow Control:", m_flow});

    form.Buttons(
        {{IDC_PORTSET_REFRESH, "&Refresh"}, {IDC_PORTSET_APPLY, "&Apply"}, {IDC_PORTSET_CLOSE, "&Close"}},
        IDC_PORTSET_REFRESH);
}

CListCtrl* CPortSetInfo::MakeList() {
    auto* list = RegisterControl(IDC_PORTSET_LIST, new CListCtrl);
    list->setMinimumSize(100 + 130 + 3 * 140 + 2 * list->frameWidth() + 20, 300);
    return list;
}

int CPortSetInfo::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());

    m_list->InsertColumn(0, " Port", LVCFMT_CENTER, 100);
    m_list->InsertColumn(1, " Link Status ", LVCFMT_CENTER, 130);
    m_list->InsertColumn(2, " Speed ", LVCFMT_CENTER, 140);
    m_list->InsertColumn(3, " MDI/MDIX", LVCFMT_CENTER, 140);
    m_list->InsertColumn(4, " Flow Control", LVCFMT_CENTER, 140);
    m_list->SetExtendedStyle(m_list->GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);

    m_flow->addItems({"Enabled", "Disabled"});
    ResetForm();
    m_logic.SetOwnerWnd(this);
    Reload();
    return 1;
}

int CPortSetInfo::DestroyWindow() {
    g_bDialogClosing = 1;
    return CDialog::DestroyWindow();
}

void CPortSetInfo::UpdateApply() {
    const bool rowOk = GetDlgItemText(IDC_PORTSET_PORT_ID).empty() || m_logic.RowRead(m_nItem);
    EnableDlgItem(IDC_PORTSET_APPLY, m_portsEnded && m_logic.TrunkReadOk() && rowOk);
}

void CPortSetInfo::SayReadFailure() {
    if (m_readFailed && !m_readFailSaid) {
        m_readFailSaid = true;  // once per read
        AfxMessageBox("Failed to read the port settings; press Refresh to try again.", MB_OK);
    }
}

void CPortSetInfo::Reload() {
    m_portsEnded = false;
    m_readFailed = false;
    m_readFailSaid = false;
    m_logic.ReadTrunkMembership();
    EnableDlgItem(IDC_PORTSET_REFRESH, false);
    EnableDlgItem(IDC_PORTSET_APPLY, false);
    m_logic.ReadPortTable();
}

void CPortSetInfo::FillList() {
    m_list->DeleteAllItems();
    const std::vector<PortConfigRow> rows = m_logic.PortRows();
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const PortConfigRow& r = rows[static_cast<size_t>(i)];
        if (!r.read) {
            // A port not read shows its number only; its row cannot be taken into the form.
            m_list->InsertItem(i, QString::number(i + 1));
            for (int column = 1; column <= 4; ++column) {
                m_list->SetItemText(i, column, QString());
            }
            m_readFailed = true;
            continue;
        }
        m_list->InsertItem(i, QString::number(r.port));
        m_list->SetItemText(i, 1, CodeText(kLinkText, r.linkStatus));
        m_list->SetItemText(i, 2, CodeText(kSpeedText, r.speed));
        m_list->SetItemText(i, 3, CodeText(kMdixText, r.mdix));
        m_list->SetItemText(i, 4, r.flowControl == 1 ? "Enabled" : "Disabled");
    }
}

void CPortSetInfo::ResetForm() {
    m_flow->setCurrentIndex(0);
    m_mdix->setCurrentIndex(0);
    m_speed->setCurrentIndex(0);
    m_mdixTyped = false;
    SetDlgItemText(IDC_PORTSET_PORT_ID, "");
}

void CPortSetInfo::OnClickList() {
    const int row = m_list->GetFirstSelectedItem();
    if (row < 0) {
        return;
    }
    m_nItem = row;
    if (!m_logic.RowRead(row)) {
        // Nothing to start from: the port's settings were not read, so Apply would write guesses.
        ResetForm();
        EnableDlgItem(IDC_PORTSET_APPLY, false);
        return;
    }
    SetDlgItemText(IDC_PORTSET_PORT_ID, ui::ToStd(m_list->GetItemText(row, 0)));
    UpdateApply();

    const QString speed = m_list->GetItemText(row, 2);
    for (int i = 0; i < static_cast<int>(std::size(kSpeedText)); ++i) {
        if (speed == QLatin1String(kSpeedText[i])) {
            m_speed->setCurrentIndex(i);
            break;
        }
    }
    m_flow->setCurrentIndex(m_list->GetItemText(row, 4) == "Enabled" ? 0 : 1);
    const QString mdix = m_list->GetItemText(row, 3);
    m_mdix->setCurrentIndex(mdix == "Auto" ? 0 : mdix == "MDI" ? 1 : 2);
    m_mdixTyped = false;
}

void CPortSetInfo::OnApply() {
    const std::string portText = GetDlgItemText(IDC_PORTSET_PORT_ID);
    if (portText.empty()) {
        AfxMessageBox("Please Select one port !", MB_OK);
        return;
    }
    if (!m_logic.RowRead(m_nItem) || !m_logic.TrunkReadOk()) {
        return;
    }
    const int port = text::LeadingInt(portText);
    const int speedItem = m_speed->currentIndex();
    const int speed = speedItem >= 0 && speedItem <= 6 ? speedItem + 1 : 6;
    const int flow = m_flow->currentIndex() == 1 ? 2 : 1;
    const int mdixItem = m_mdixTyped ? -1 : m_mdix->currentIndex();
    const int mdix = mdixItem >= 0 && mdixItem <= 2 ? mdixItem + 1 : 1;

    if (!m_logic.CheckTrunkSpeed(m_nItem, port, speed)) {
        AfxMessageBox("LA port can not support in different speed.", MB_OK);
        return;
    }
    if (!m_logic.CheckTrunkFlowControl(m_nItem, port, flow)) {
        AfxMessageBox("LA port can not support in different flow control.", MB_OK);
        return;
    }
    if (!m_logic.CheckTrunkMdix(m_nItem, port, mdix) || !m_logic.CheckFiberMdix(m_nItem, port, mdix) ||
        !m_logic.CheckSpeed(m_nItem, port, speed) || !m_logic.CheckDisableAll(m_nItem, speed) ||
        !m_logic.ConfirmFlowControl(flow)) {
        return;
    }

    PortConfigRow row;
    row.port = port;
    row.speed = speed;
    row.mdix = mdix;
    row.flowControl = flow;
    const SnmpAnswer answer = m_logic.WritePortSettings(row);
    Reload();  // the reload shows what the device holds, written or not
    if (!answer.Accepted()) {
        AfxMessageBox(AnswerText(answer, {"the settings of port " + std::to_string(port), true}) +
                          " The settings it holds are shown.",
                      MB_OK);
    }
}
