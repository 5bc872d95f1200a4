// Port description dialog.
#include "features/port_system/PortDescription.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <algorithm>

#include "controls/ListCtrl.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/CharacterLimit.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_port_small.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(ID_MENU_PORT_DESCRIPTION, [] {
    CPortDescription dlg;
    dlg.DoModal();
});

constexpr unsigned WM_SIZE = 0x0005;

}  // namespace

CPortDescription::CPortDescription(QWidget* parent) : CDialog(IDD_PORT_DESCRIPTION, parent) {
    OnCommand(IDC_PD_REFRESH, [this] { OnRefresh(); });
    OnCommand(IDC_PD_APPLY, [this] { OnApply(); });
    OnCommand(IDC_PD_CLOSE, [this] { EndDialog(IDCANCEL); });
    OnNotify(CBN_SELCHANGE, IDC_PD_FROM_PORT, Handler([this] { OnSelChangeFromPort(); }));
    OnNotify(CBN_SELCHANGE, IDC_PD_TO_PORT, Handler([this] { OnSelChangeToPort(); }));
    OnMessage(WM_SIZE, [this](WPARAM, LPARAM) -> LRESULT {
        SizeColumns();
        return 0;
    });
}

CPortDescription::~CPortDescription() = default;

void CPortDescription::CreateControls() {
    SetWindowText("Port Description");
    AddGroupBox(IDC_PD_LIST_GROUP, "Description", 10, 6, 420, 226);
    m_list = PlaceControl(IDC_PD_LIST, new CListCtrl, 22, 28, 396, 192);

    AddGroupBox(IDC_PD_CONFIG_GROUP, "Configuration", 10, 240, 420, 96);
    AddLabel(IDC_PD_FROM_LABEL, "From Port", 22, 264, 72, 22);
    AddComboBox(IDC_PD_FROM_PORT, 96, 262, 72, 26);
    AddLabel(IDC_PD_TO_LABEL, "To Port", 196, 264, 60, 22);
    AddComboBox(IDC_PD_TO_PORT, 258, 262, 72, 26);
    AddLabel(IDC_PD_DESC_LABEL, "Description", 22, 300, 72, 22);
    AddEdit(IDC_PD_DESCRIPTION, 96, 298, 322, 26);

    AddButton(IDC_PD_REFRESH, "Refresh", 104, 346, 76, 28)->setDefault(true);
    AddButton(IDC_PD_APPLY, "Apply", 188, 346, 76, 28);
    AddButton(IDC_PD_CLOSE, "Close", 272, 346, 76, 28);
    SetDefID(IDC_PD_REFRESH);
    SetClientSize(440, 384);
}

int CPortDescription::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    SetWindowText("Port Description: " + g_strDeviceIP);

    ui::LimitCharacters(Item<QLineEdit>(IDC_PD_DESCRIPTION), kMaxDescriptionLength);
    m_list->InsertColumn(0, "Port", LVCFMT_LEFT);
    m_list->InsertColumn(1, "Description", LVCFMT_CENTER);
    m_list->SetExtendedStyle(m_list->GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);

    auto* from = Item<QComboBox>(IDC_PD_FROM_PORT);
    auto* to = Item<QComboBox>(IDC_PD_TO_PORT);
    for (int p = 1; p <= m_logic.GetPortNum(); ++p) {
        from->addItem(QString::number(p));
        to->addItem(QString::number(p));
    }
    SelectFirstPorts();
    // The heading takes no clicks and no resizing: the widths follow the dialog's size.
    m_list->SetHeaderButtons(false);
    m_list->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    PostMessage(WM_SIZE, 0, 0);
    OnRefresh();
    return 1;
}

int CPortDescription::DestroyWindow() {
    TRACE("==================DestroyWindow===============");
    m_logic.m_cCommonSNMPTable.Close();
    m_logic.m_cCommonSNMP.Close();
    return CDialog::DestroyWindow();
}

LRESULT CPortDescription::WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SNMP_WALK_END || msg == WM_SNMP_WALK_STALE) {
        FillList();
        EnableButtons(true);
        SelectFirstPorts();
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}

void CPortDescription::resizeEvent(QResizeEvent* e) {
    CDialog::resizeEvent(e);
    SizeColumns();
}

void CPortDescription::SizeColumns() {
    if (m_list == nullptr || m_list->GetColumnCount() < 2) {
        return;
    }
    const int first = m_list->GetStringWidth("26(F_100)") + 15;
    m_list->SetColumnWidth(0, first);
    m_list->SetColumnWidth(1, std::max(0, m_list->width() - first - 24));
}

void CPortDescription::FillList() {
    // One row per port; rows from an earlier fill go first so that a late fill cannot double them.
    m_list->DeleteAllItems();
    const std::vector<PortDescriptionRow> rows = m_logic.DescriptionRows();
    for (const PortDescriptionRow& row : rows) {
        const int item = m_list->InsertItem(m_list->GetItemCount(), QString::number(row.port));
        m_list->SetItemText(item, 1, QString::fromStdString(row.description));
    }
}

void CPortDescription::EnableButtons(bool enable) {
    EnableDlgItem(IDC_PD_CLOSE, enable);
    EnableDlgItem(IDC_PD_APPLY, enable);
    EnableDlgItem(IDC_PD_REFRESH, enable);
}

void CPortDescription::SelectFirstPorts() {
    Item<QComboBox>(IDC_PD_FROM_PORT)->setCurrentIndex(0);
    Item<QComboBox>(IDC_PD_TO_PORT)->setCurrentIndex(0);
}

void CPortDescription::OnRefresh() {
    m_list->DeleteAllItems();
    EnableButtons(false);
    // The walk's worker reads the owner: store it only when it changes.
    if (m_logic.m_hOwnerWnd != this) {
        m_logic.SetOwnerWnd(this);
    }
    m_logic.ReadDescriptions();
}

void CPortDescription::OnSelChangeFromPort() {
    auto* from = Item<QComboBox>(IDC_PD_FROM_PORT);
    auto* to = Item<QComboBox>(IDC_PD_TO_PORT);
    const int match = to->findText(from->currentText(), Qt::MatchExactly);
    if (match >= 0) {
        to->setCurrentIndex(match);
    }
}

void CPortDescription::OnSelChangeToPort() {
    auto* from = Item<QComboBox>(IDC_PD_FROM_PORT);
    auto* to = Item<QComboBox>(IDC_PD_TO_PORT);
    if (from->currentIndex() < 0 || to->currentIndex() < 0 || to->currentIndex() >= from->currentIndex()) {
        return;
    }
    if (AfxMessageBox("'To Port' can not be smaller than 'From Port'", MB_OK) == IDOK) {
        to->setCurrentIndex(from->currentIndex());
    }
}

void CPortDescription::OnApply() {
    EnableButtons(false);
    m_strDescription = GetDlgItemText(IDC_PD_DESCRIPTION);
    auto* from = Item<QComboBox>(IDC_PD_FROM_PORT);
    auto* to = Item<QComboBox>(IDC_PD_TO_PORT);
    PortDescriptionRequest request;
    request.fromPort = from->currentIndex() >= 0 ? from->currentText().toInt() : 0;
    request.toPort = to->currentIndex() >= 0 ? to->currentText().toInt() : 0;
    request.description = m_strDescription;
    bool refreshed = false;
    if (request.fromPort >= 1 && m_logic.WriteDescriptions(request)) {
        OnRefresh();
        refreshed = true;
    }
    if (!refreshed) {
        EnableButtons(true);
    }
    m_strDescription.clear();
    SelectFirstPorts();
    SetDlgItemText(IDC_PD_DESCRIPTION, m_strDescription);
}
