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
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "controls/ListCtrlEx.h"
#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_lldp.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_LLDP_MED, [] {
    CLLDPMED dlg;
    dlg.DoModal();
});

constexpr int kComboPorts = 8;

}  // namespace

CLLDPMED::CLLDPMED(QWidget* parent)
    : CDialog(IDD_LLDP_MED, parent), m_walk(m_cCommonSNMP, {kTlvColumn}, [](const WalkStep& step) {
          const std::optional<long long> v = step.Integer(0);
          return MedRow{step.Index(0), v ? std::to_string(*v) : std::string()};
      }) {
    OwnSession(m_cCommonSNMPEnable);  // closed when the window goes
    OwnSession(m_cCommonSNMP);
    OwnSession(m_cCommonSNMPSet);
    OwnReader(m_walk);
    m_walk.onRow = [this](const MedRow& row) { AddRow(row); };
    m_walk.onEnd = [this](const WalkEnd&) { EnableDlgItem(IDC_MED_REFRESH, !m_run.Running()); };
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
    m_bFormEnabled = enable;
    for (int id : {IDC_MED_FROM, IDC_MED_TO, IDC_MED_TLV, IDC_MED_LIST, IDC_MED_APPLY, IDC_MED_REFRESH}) {
        EnableDlgItem(id, enable);
    }
}

void CLLDPMED::GetLLDPEnable() {
    if (m_run.Running()) {
        return;
    }
    // Nothing may write or read again until the state is known.
    EnableForm(false);
    auto state = std::make_shared<std::optional<long long>>();
    m_run.Runner().SetCancel([this] { m_cCommonSNMPEnable.Cancel(); });
    m_run.Start(
        1,
        [this, state](int) {
            m_cCommonSNMPEnable.Open(CCommonSNMP::REQUEST_GET);
            m_cCommonSNMPEnable.AddVarBind(kStateOid, 4, nullptr);
            *state = GetNextRequest(m_cCommonSNMPEnable).Integer(0);
            return StepOutcome::Done();
        },
        [](int, int) { return QString("Reading the LLDP state..."); },
        [this, state](const StepsEnd& end) { OnStateRead(end, *state); });
}

void CLLDPMED::OnStateRead(const StepsEnd& end, const std::optional<long long>& state) {
    if (end.stopped) {
        return;  // the dialog is ending: nothing was written
    }
    if (!state) {
        // The state decides whether the form may write: without it nothing is written.
        EnableForm(false);
        EnableDlgItem(IDC_MED_REFRESH, true);
        AfxMessageBox("Failed to read the LLDP state; press Refresh to try again.", MB_OK);
        return;
    }
    if (*state == 2) {
        AfxMessageBox("The LLDP is disable ,so can not set LLDP MED !", MB_OK);
        EnableForm(false);
    } else {
        EnableForm(true);
    }
    ReadMedTable();
}

void CLLDPMED::ReadMedTable() {
    m_list->DeleteAllItems();
    m_walk.Walk(OnMedWalk, this);
    EnableDlgItem(IDC_MED_REFRESH, false);
}

int CLLDPMED::OnMedWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CLLDPMED*>(userData)->m_walk.Step(response, requestId, status);
}

void CLLDPMED::AddRow(const MedRow& row) {
    // The port is the row's index: a table without some ports must not shift the others.
    const int n = m_list->GetItemCount();
    m_list->SetItemTextEx(n, 0, QString::asprintf("    %d", ksx::text::LeadingInt(row.index)));
    m_list->SetItemTextEx(n, 1, row.value.empty() ? "" : row.value == "2" ? "Disable" : "Enable");
}

void CLLDPMED::OnSetLLDPMedinfo() {
    const int from = ksx::text::LeadingInt(GetDlgItemText(IDC_MED_FROM));
    const int to = ksx::text::LeadingInt(GetDlgItemText(IDC_MED_TO));
    const std::string value = GetDlgItemText(IDC_MED_TLV) == "Enable" ? "1" : "2";
    if (!IsDlgItemEnabled(IDC_MED_APPLY) || m_run.Running()) {
        return;
    }
    // Off the window's thread, one request a port; the first port not written ends the range (the rest
    // would wait as long again). The device settles before the table is read again.
    EnableForm(false);
    const unsigned settleMs = static_cast<unsigned>(std::max(m_nSettleMs, 0));
    m_run.Runner().SetCancel([this] { m_cCommonSNMPSet.Cancel(); });
    // A refusal, kept by the worker before the pause that follows it: a stop in that pause ends the
    // run as a stop, and the refusal still stands (read once the run has ended).
    auto refusal = std::make_shared<std::string>();
    auto settle = [this, settleMs] {
        m_settling = true;
        m_run.Runner().Pause(settleMs);
        m_settling = false;
    };
    auto step = [this, from, to, value, settleMs, refusal, settle](int i) {
        if (m_run.Runner().Stopping()) {
            return StepOutcome::NothingSent();
        }
        const int port = from + i;
        m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
        m_cCommonSNMPSet.AddVarBind(std::string(kTlvColumn) + "." + std::to_string(port), 1, value.c_str());
        const SnmpAnswer answer = GetNextRequest(m_cCommonSNMPSet).Answer();
        if (answer.Accepted()) {
            if (port == to && settleMs > 0) {
                settle();
            }
            return StepOutcome::Done();
        }
        if (!answer.Refused()) {
            return StepOutcome::Of(answer);
        }
        *refusal = AnswerText(answer, {"the Power PSE TLV setting of port " + std::to_string(port)});
        if (settleMs > 0) {
            settle();
        }
        return StepOutcome::Of(answer, *refusal);
    };
    m_run.Start(
        std::max(to - from + 1, 0), step, [from](int i, int n) { return CStepRun::PortText(from, i, n); },
        [this, from, to, refusal](const StepsEnd& runEnd) {
            StepsEnd end = runEnd;
            if (end.stopped && !refusal->empty()) {
                end.stopped = false;
                end.failed = true;
                end.inFlight = false;
                end.failure = *refusal;
            }
            const std::string text = RunEndText(end, PortsNamer(from, to));
            if (runEnd.stopped) {
                // Closed during the write: the dialog is ending.
                AfxMessageBox(text, MB_OK);
                return;
            }
            if (end.failed) {
                AfxMessageBox(text + " The settings it holds are shown.", MB_OK);
            }
            // A run that had just ended as the dialog ended reads nothing again.
            if (isVisible()) {
                EnableForm(true);
                ReadMedTable();
            }
        });
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
