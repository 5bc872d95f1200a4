// Bandwidth control dialog.
#include "features/port_system/BandWidthControlDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "controls/ListCtrlEx.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_port_small.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(ID_MENU_BANDWIDTH_CONTROL, [] {
    CBandWidthControlDlg dlg;
    dlg.DoModal();
});

constexpr int kColumnWidth = 150;

}  // namespace

CBandWidthControlDlg::CBandWidthControlDlg(QWidget* parent) : CDialog(IDD_BANDWIDTH_CONTROL, parent) {
    OnCommand(IDC_BW_APPLY, [this] { OnApply(); });
    OnCommand(IDC_BW_REFRESH, [this] { OnRefresh(); });
    OnNotify(CBN_SELCHANGE, IDC_BW_FROM_PORT, Handler([this] { OnSelChangeFromPort(); }));
    OnNotify(CBN_SELCHANGE, IDC_BW_TO_PORT, Handler([this] { OnSelChangeToPort(); }));
    OnNotify(CBN_SELCHANGE, IDC_BW_NO_LIMIT, Handler([this] { OnSelChangeNoLimit(); }));
    OnMessage(WM_SNMP_RESULT, [this](WPARAM w, LPARAM l) { return OnSnmpResult(w, l); });
}

CBandWidthControlDlg::~CBandWidthControlDlg() {
    m_logic.CloseSessions();
}

void CBandWidthControlDlg::CreateControls() {
    SetWindowText("BandWidth Control");
    m_list = PlaceControl(IDC_BW_LIST, new CListCtrlEx, 10, 10, 3 * kColumnWidth + 26, 300);

    AddLabel(IDC_BW_FROM_LABEL, "FromPort", 10, 324, 62, 22);
    AddComboBox(IDC_BW_FROM_PORT, 74, 322, 62, 26);
    AddLabel(IDC_BW_TO_LABEL, "ToPort", 150, 324, 50, 22);
    AddComboBox(IDC_BW_TO_PORT, 202, 322, 62, 26);
    AddLabel(IDC_BW_TYPE_LABEL, "Type", 280, 324, 40, 22);
    AddComboBox(IDC_BW_TYPE, 322, 322, 80, 26);

    AddLabel(IDC_BW_NO_LIMIT_LABEL, "No Limit", 10, 360, 62, 22);
    AddComboBox(IDC_BW_NO_LIMIT, 74, 358, 96, 26);
    AddLabel(IDC_BW_RATE_LABEL, "Rate(64-1024000)", 182, 360, 124, 22);
    auto* rate = AddEdit(IDC_BW_RATE, 308, 358, 96, 26);
    rate->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), rate));
    AddLabel(IDC_BW_UNIT_LABEL, "Kbits/sec ", 410, 360, 72, 22);

    AddLabel(IDC_BW_GIGA_NOTE, "On Gigabit port, the Tx rate is set as multiples of 1850Kbits/sec ", 10, 396,
             300, 40)
        ->setWordWrap(true);
    AddButton(IDC_BW_APPLY, "Apply", 316, 398, 76, 28);
    AddButton(IDC_BW_REFRESH, "Refresh", 400, 398, 76, 28);
    SetClientSize(496, 440);
}

int CBandWidthControlDlg::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());

    m_list->InsertColumn(0, "Port", LVCFMT_LEFT, kColumnWidth);
    m_list->InsertColumn(1, "Tx Rate (Kbits/sec)", LVCFMT_LEFT, kColumnWidth);
    m_list->InsertColumn(2, "Rx Rate (Kbits/sec)", LVCFMT_LEFT, kColumnWidth);
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);

    auto* from = Item<QComboBox>(IDC_BW_FROM_PORT);
    auto* to = Item<QComboBox>(IDC_BW_TO_PORT);
    for (int p = 1; p <= g_nPortNum; ++p) {
        from->addItem(QString::number(p));
        to->addItem(QString::number(p));
    }
    from->setCurrentIndex(0);
    to->setCurrentIndex(to->count() - 1);
    auto* type = Item<QComboBox>(IDC_BW_TYPE);
    type->addItems({"Rx", "Tx", "Both"});
    type->setCurrentIndex(0);
    auto* noLimit = Item<QComboBox>(IDC_BW_NO_LIMIT);
    noLimit->addItems({"Enabled", "Disabled"});
    noLimit->setCurrentIndex(1);
    ShowDlgItem(IDC_BW_GIGA_NOTE, false);
    SetDlgItemText(IDC_BW_RATE, "");

    OnRefresh();
    m_logic.ReadTrunkMembers();
    return 1;
}

int CBandWidthControlDlg::DestroyWindow() {
    TRACE("==================DestroyWindow===============");
    m_logic.CloseSessions();
    return CDialog::DestroyWindow();
}

bool CBandWidthControlDlg::NoLimitDisabled() const {
    return GetDlgItemText(IDC_BW_NO_LIMIT) == "Disabled";
}

void CBandWidthControlDlg::OnRefresh() {
    EnableDlgItem(IDC_BW_REFRESH, false);
    m_list->DeleteAllItems();
    // The trunk walk may still be reading the owner: only store it when it changes.
    if (m_logic.OwnerWnd() != this) {
        m_logic.SetOwnerWnd(this);
    }
    m_logic.ReadRateTable();
}

void CBandWidthControlDlg::OnSelChangeFromPort() {
    auto* from = Item<QComboBox>(IDC_BW_FROM_PORT);
    Item<QComboBox>(IDC_BW_TO_PORT)->setCurrentIndex(from->currentIndex());
}

void CBandWidthControlDlg::OnSelChangeToPort() {
    auto* from = Item<QComboBox>(IDC_BW_FROM_PORT);
    auto* to = Item<QComboBox>(IDC_BW_TO_PORT);
    if (to->currentText().toInt() < from->currentText().toInt()) {
        AfxMessageBox(" \"To port\"cannot be smaller than \"From Port\" ", MB_OK);
        to->setCurrentIndex(from->currentIndex());
    }
}

void CBandWidthControlDlg::OnSelChangeNoLimit() {
    EnableDlgItem(IDC_BW_RATE, NoLimitDisabled());
}

LRESULT CBandWidthControlDlg::OnSnmpResult(WPARAM wParam, LPARAM lParam) {
    switch (static_cast<int>(wParam)) {
        case BW_RESULT_ROW: {
            const auto* row = reinterpret_cast<const CBandWidthRow*>(lParam);
            if (row == nullptr) {
                break;
            }
            auto rateText = [](const std::string& rate) {
                return rate == "0" ? QString("No Limit") : QString::fromStdString(rate);
            };
            const int item = m_list->GetItemCount();
            m_list->SetItemTextEx(item, 0, QString::fromStdString(row->port));
            m_list->SetItemTextEx(item, 1, rateText(row->txRate));
            m_list->SetItemTextEx(item, 2, rateText(row->rxRate));
            break;
        }
        case BW_RESULT_WRITE_FINISHED:
            OnRefresh();
            break;
        case BW_RESULT_FINISHED:
            EnableDlgItem(IDC_BW_APPLY, true);
            EnableDlgItem(IDC_BW_REFRESH, true);
            if (NoLimitDisabled()) {
                EnableDlgItem(IDC_BW_RATE, true);
            }
            break;
        default:
            break;
    }
    return 0;
}

void CBandWidthControlDlg::OnApply() {
    EnableDlgItem(IDC_BW_APPLY, false);
    const std::string from = GetDlgItemText(IDC_BW_FROM_PORT);
    const std::string to = GetDlgItemText(IDC_BW_TO_PORT);
    const int type = Item<QComboBox>(IDC_BW_TYPE)->currentIndex();

    std::string rate;
    if (NoLimitDisabled()) {
        rate = GetDlgItemText(IDC_BW_RATE);
        if (!CBandWidthControlFunLogic::IsValidRate(rate)) {
            AfxMessageBox("Invalid Rate.", MB_OK);
            EnableDlgItem(IDC_BW_APPLY, true);
            return;
        }
    } else {
        rate = "0";
    }

    std::string trunkPorts;
    if (!m_logic.FindTrunkPortsInRange(from, to, trunkPorts)) {
        AfxMessageBox(
            "You can't set the rate of Ports:" + trunkPorts + ".because they are in aggregated link.", MB_OK);
        EnableDlgItem(IDC_BW_APPLY, true);
        return;
    }

    m_logic.WriteRates(from, to, rate, type);
    ResetForm();
}

void CBandWidthControlDlg::ResetForm() {
    auto* to = Item<QComboBox>(IDC_BW_TO_PORT);
    Item<QComboBox>(IDC_BW_FROM_PORT)->setCurrentIndex(0);
    to->setCurrentIndex(to->count() - 1);
    SetDlgItemText(IDC_BW_RATE, "");
    Item<QComboBox>(IDC_BW_NO_LIMIT)->setCurrentIndex(1);
    Item<QComboBox>(IDC_BW_TYPE)->setCurrentIndex(0);
}
