// LLDP-MED settings dialog.
#include "features/layer2/LLDPMED.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "controls/ListCtrlEx.h"
#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/WaitCursor.h"
#include "res/ids_lldp.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_LLDP_MED, [] {
    CLLDPMED dlg;
    dlg.DoModal();
});

// From the walk's worker to the dialog: wParam 0 a row, 1 the end of the walk.
constexpr unsigned WM_LLDP_MED = WM_USER + 603;
constexpr int kComboPorts = 8;

}  // namespace

CLLDPMED::CLLDPMED(QWidget* parent) : CDialog(IDD_LLDP_MED, parent) {
    OwnSession(m_cCommonSNMPEnable);  // closed when the window goes
    OwnSession(m_cCommonSNMP);
    OwnSession(m_cCommonSNMPSet);
}

CLLDPMED::~CLLDPMED() = default;

void CLLDPMED::CreateControls() {
    SetWindowText("LLDP MED Settings");
    auto* outer = new QVBoxLayout(Client());
    auto* group = RegisterControl(IDC_MED_GROUP, new QGroupBox("LLDP-MED Power PSE TLV Setting"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(RegisterControl(IDC_MED_FROM_LABEL, new QLabel("From Port")), 0, 0);
    grid->addWidget(RegisterControl(IDC_MED_FROM, new QComboBox), 1, 0);
    grid->addWidget(RegisterControl(IDC_MED_TO_LABEL, new QLabel("To Port")), 0, 1);
    grid->addWidget(RegisterControl(IDC_MED_TO, new QComboBox), 1, 1);
    grid->addWidget(RegisterControl(IDC_MED_TLV_LABEL, new QLabel("Power PSE TLV")), 0, 2);
    grid->addWidget(RegisterControl(IDC_MED_TLV, new QComboBox), 1, 2);
    grid->addWidget(RegisterControl(IDC_MED_APPLY, new QPushButton("&Apply")), 1, 3);
    grid->addWidget(RegisterControl(IDC_MED_REFRESH, new QPushButton("&Refresh")), 1, 4);
    outer->addWidget(group);
    m_list = RegisterControl(IDC_MED_LIST, new CListCtrlEx);
    m_list->setMinimumSize(400, 260);
    outer->addWidget(m_list, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(RegisterControl(IDC_MED_CLOSE, new QPushButton("&Close")));
    outer->addLayout(bottom);

    OnCommand(IDC_MED_APPLY, [this] { OnSetLLDPMedinfo(); });
    OnCommand(IDC_MED_REFRESH, [this] { GetLLDPEnable(); });
    OnNotify(CBN_SELCHANGE, IDC_MED_FROM, Handler([this] { OnFromPortChange(); }));
    OnNotify(CBN_SELCHANGE, IDC_MED_TO, Handler([this] { OnToPortChange(); }));
    OnMessage(WM_LLDP_MED, [this](WPARAM w, LPARAM l) { return OnMedResult(w, l); });
}

int CLLDPMED::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    for (int id : {IDC_MED_FROM, IDC_MED_TO}) {
        auto* combo = Item<QComboBox>(id);
        for (int p = 1; p <= kComboPorts; ++p) {
            combo->addItem(QString::asprintf("   %d ", p));
        }
        combo->setCurrentIndex(0);
    }
    auto* tlv = Item<QComboBox>(IDC_MED_TLV);
    tlv->addItems({"Enable", "Disable"});
    tlv->setCurrentIndex(1);
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_list->CListCtrl::InsertColumn(0, "   Port ", LVCFMT_CENTER, 80);
    m_list->CListCtrl::InsertColumn(1, "Power PSE TLV", LVCFMT_CENTER, 300);
    GetLLDPEnable();
    return 1;
}

void CLLDPMED::EnableForm(bool enable) {
    for (int id : {IDC_MED_FROM, IDC_MED_TO, IDC_MED_TLV, IDC_MED_LIST, IDC_MED_APPLY, IDC_MED_REFRESH}) {
        EnableDlgItem(id, enable);
    }
}

void CLLDPMED::GetLLDPEnable() {
    m_cCommonSNMPEnable.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMPEnable.AddVarBind(kStateOid, 4, nullptr);
    const SnmpReply reply = GetNextRequest(m_cCommonSNMPEnable);
    if (!reply.Accepted()) {
        return;
    }
    if (reply.Value(0) == "2") {
        AfxMessageBox("The LLDP is disable ,so can not set LLDP MED !", MB_OK);
        EnableForm(false);
    } else {
        EnableForm(true);
    }
    ReadMedTable();
}

void CLLDPMED::ReadMedTable() {
    m_list->DeleteAllItems();
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GETNEXT);
    m_cCommonSNMP.AddVarBind(kTlvColumn, 4, nullptr);
    m_cCommonSNMP.StartAsyncWalk(OnMedWalk, this, 0);
    EnableDlgItem(IDC_MED_REFRESH, false);
}

int CLLDPMED::OnMedWalk(CSnmp* response, int requestId, void* userData, int status) {
    auto* self = static_cast<CLLDPMED*>(userData);
    std::unique_ptr<CSnmp> owned(response);
    if (!self->m_cCommonSNMP.FindRequestID(requestId)) {
        return 0;
    }
    if (!ReplyAccepted(status, response)) {
        self->SendMessage(WM_LLDP_MED, 1, 0);
        self->m_cCommonSNMP.SetDone();
        return 0;
    }
    MedRow row;
    row.value = BindingValue(response, 0);
    char* suffix = nullptr;
    if (self->m_cCommonSNMP.GetResponseOid(0, response, &suffix) == 0 && suffix != nullptr) {
        row.index = suffix[0] == '.' ? suffix + 1 : suffix;
    }
    self->SendMessage(WM_LLDP_MED, 0, reinterpret_cast<LPARAM>(&row));
    self->m_cCommonSNMP.StartAsyncWalk(OnMedWalk, self, 0);
    return 0;
}

LRESULT CLLDPMED::OnMedResult(WPARAM wParam, LPARAM lParam) {
    if (wParam != 0) {
        EnableDlgItem(IDC_MED_REFRESH, true);
        return 0;
    }
    if (lParam == 0) {
        return 0;
    }
    const auto& row = *reinterpret_cast<const MedRow*>(lParam);
    // The port is the row's index: a table without some ports must not shift the others.
    const int n = m_list->GetItemCount();
    m_list->SetItemTextEx(n, 0, QString::asprintf("    %d", ksx::text::LeadingInt(row.index)));
    m_list->SetItemTextEx(n, 1, row.value == "2" ? "Disable" : "Enable");
    return 0;
}

void CLLDPMED::OnSetLLDPMedinfo() {
    CWaitCursor wait;
    const int from = ksx::text::LeadingInt(GetDlgItemText(IDC_MED_FROM));
    const int to = ksx::text::LeadingInt(GetDlgItemText(IDC_MED_TO));
    const char* value = GetDlgItemText(IDC_MED_TLV) == "Enable" ? "1" : "2";
    for (int p = from; p <= to; ++p) {
        m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
        m_cCommonSNMPSet.AddVarBind(std::string(kTlvColumn) + "." + std::to_string(p), 1, value);
        GetNextRequest(m_cCommonSNMPSet);
    }
    if (m_nSettleMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(m_nSettleMs));
    }
    ReadMedTable();
}

void CLLDPMED::OnFromPortChange() {
    Item<QComboBox>(IDC_MED_TO)->setCurrentIndex(Item<QComboBox>(IDC_MED_FROM)->currentIndex());
}

void CLLDPMED::OnToPortChange() {
    const int from = ksx::text::LeadingInt(GetDlgItemText(IDC_MED_FROM));
    const int to = ksx::text::LeadingInt(GetDlgItemText(IDC_MED_TO));
    if (to < from) {
        AfxMessageBox("'To Port' can not be smaller than 'From Port'", MB_OK);
        Item<QComboBox>(IDC_MED_TO)->setCurrentIndex(Item<QComboBox>(IDC_MED_FROM)->currentIndex());
    }
}
