// Port VLAN id dialog.
#include "features/vlan/KSXPVIDConfig.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <algorithm>

#include "core/RunText.h"
#include "core/TextNumbers.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Form.h"
#include "platform/ui/Text.h"
#include "res/ids_vlan.h"

using namespace ksx;

CKSXPVIDConfig::CKSXPVIDConfig(QWidget* parent)
    : ClxDialog(IDD_PVID, parent),
      m_trunk(std::make_unique<CTrunkMembership>(std::clamp(g_nPortNum, 0, kPvidMaxPorts))),
      m_pvidWalk(m_cCommonSNMPTable, {vlan::kPvidColumn}, [](const WalkStep& step) {
          std::optional<unsigned long long> pvid = step.Unsigned(0);
          const std::optional<long long> signedPvid = step.Integer(0);
          PvidRow row{CPvidSettingLogic::PortOfRow(step.Index(0), kPvidMaxPorts), std::nullopt};
          if (pvid) {
              row.pvid = static_cast<long long>(*pvid);
          } else if (signedPvid) {
              row.pvid = *signedPvid;
          }
          return row;
      }) {
    OwnSession(m_logic.m_cCommonSNMPSet);
    OwnSession(m_cCommonSNMPTable);
    OwnReader(m_pvidWalk);
    OwnSessions(m_trunk->Sessions());
    m_pvidWalk.onRow = [this](const PvidRow& row) {
        // Keyed by the row's port, not by its position in the walk.
        if (row.port >= 1 && row.port <= m_nPortNum && row.pvid) {
            m_pPvid[static_cast<size_t>(row.port - 1)] = static_cast<int>(*row.pvid);
            m_pvidFound[static_cast<size_t>(row.port - 1)] = 1;
        }
    };
    m_pvidWalk.onEnd = [this](const WalkEnd& end) { OnPvidEnd(end.Ok()); };
    OnCommand(IDC_PVID_REFRESH, [this] { OnRefresh(); });
    OnNotifyRange(EN_CHANGE, IDC_PVID_EDIT_BASE + 1, IDC_PVID_EDIT_BASE + kPvidMaxPorts,
                  [this](int id) { OnPvidChange(id - IDC_PVID_EDIT_BASE); });
}

CKSXPVIDConfig::~CKSXPVIDConfig() = default;

void CKSXPVIDConfig::SetVlans(std::string vidText, int count, VlanList list) {
    m_strVidText = std::move(vidText);
    m_nVlanCount = count;
    m_vlans = std::move(list);
}

int CKSXPVIDConfig::PortsPerRow(int ports) {
    switch (ports) {
        case 16:
            return 8;
        case 20:
            return 10;
        case 24:
        case 48:
            return 12;
        case 28:
            return 14;
        case 52:
            return 13;
        default:
            return std::max(ports, 1);
    }
}

void CKSXPVIDConfig::CreateControls() {
    SetWindowText("PVID Configuration");
    ui::Form form(*this);
    auto group = form.Group("PVID Configuration", IDC_PVID_GROUP);
    form.Layout()->setRowStretch(form.Layout()->rowCount() - 1, 1);
    group.Note("Port VID:");
    m_portGrid = new QGridLayout;
    group.Layout()->addLayout(m_portGrid, group.Layout()->rowCount(), 0, 1, 2);
    group.Layout()->setRowStretch(group.Layout()->rowCount(), 1);
    m_status = form.Note("", IDC_PVID_STATUS);
    m_status->setWordWrap(true);
    auto buttons = form.Layout();
    auto* line = new QHBoxLayout;
    line->addWidget(form.Button(IDC_PVID_REFRESH, "&Refresh"));
    line->addStretch(1);
    line->addWidget(form.Button(IDC_PVID_APPLY, "Apply"));
    line->addWidget(form.Button(IDC_PVID_CANCEL, "Cancel"));
    buttons->addLayout(line, buttons->rowCount(), 0, 1, 2);
    SetDefID(IDC_PVID_APPLY);
}

void CKSXPVIDConfig::LayoutPortControls() {
    QGridLayout* grid = m_portGrid;
    const int perRow = PortsPerRow(m_nPortNum);
    const auto n = static_cast<size_t>(m_nPortNum);
    m_labels.assign(n, nullptr);
    m_edits.assign(n, nullptr);
    const int editWidth = fontMetrics().horizontalAdvance("00000") + 12;
    for (int p = 1; p <= m_nPortNum; ++p) {
        const int row = (p - 1) / perRow;
        const int column = (p - 1) - row * perRow;
        const auto i = static_cast<size_t>(p - 1);
        if (GetDlgItem(IDC_PVID_LABEL_BASE + p) == nullptr) {
            auto* label = RegisterControl(IDC_PVID_LABEL_BASE + p, new QLabel(QString::number(p)));
            label->setAlignment(Qt::AlignCenter);
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            grid->addWidget(label, 2 * row, column);
            m_labels[i] = label;
        }
        if (GetDlgItem(IDC_PVID_EDIT_BASE + p) == nullptr) {
            auto* edit = RegisterControl(IDC_PVID_EDIT_BASE + p, new QLineEdit);
            edit->setAlignment(Qt::AlignCenter);
            edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
            edit->setMinimumWidth(editWidth);
            grid->addWidget(edit, 2 * row + 1, column);
            m_edits[i] = edit;
        }
    }
    grid->setVerticalSpacing(4);
}

int CKSXPVIDConfig::OnInitDialog() {
    SetIcon(QApplication::windowIcon());
    m_nPortNum = std::clamp(g_nPortNum, 0, kPvidMaxPorts);
    m_pPvid.assign(static_cast<size_t>(m_nPortNum), 1);
    m_pvidFound.assign(static_cast<size_t>(m_nPortNum), 0);
    LayoutPortControls();
    ClxDialog::OnInitDialog();
    OnRefresh();
    return 1;
}

void CKSXPVIDConfig::OnPvidChange(int port) {
    if (m_bFilling || port < 1 || port > m_nPortNum) {
        return;
    }
    m_pPvid[static_cast<size_t>(port - 1)] = ksx::text::LeadingInt(GetDlgItemText(IDC_PVID_EDIT_BASE + port));
}

void CKSXPVIDConfig::ShowPvids() {
    m_bFilling = true;
    for (int p = 1; p <= m_nPortNum; ++p) {
        const auto i = static_cast<size_t>(p - 1);
        SetDlgItemText(IDC_PVID_EDIT_BASE + p,
                       m_pvidFound[i] != 0 ? std::to_string(m_pPvid[i]) : std::string());
    }
    m_bFilling = false;
}

// The edits show what was read only once the whole column arrived. A port whose row is missing (or
// whose value is of another type) is a port not read: its edit stays empty and OK stays unavailable,
// since OK writes every port's PVID.
void CKSXPVIDConfig::OnPvidEnd(bool ok) {
    m_strUnread.clear();
    for (int p = 1; ok && p <= m_nPortNum; ++p) {
        if (m_pvidFound[static_cast<size_t>(p - 1)] == 0) {
            m_strUnread += (m_strUnread.empty() ? "" : ",") + std::to_string(p);
        }
    }
    m_pvidRead = ok && m_strUnread.empty() ? ReadState::kDone : ReadState::kFailed;
    if (ok) {
        ShowPvids();
    }
    UpdateApplyState();
}

void CKSXPVIDConfig::UpdateApplyState() {
    const bool ready = m_pvidRead == ReadState::kDone && m_trunk->Groups().Ended();
    EnableDlgItem(IDC_PVID_APPLY, ready);
    std::string text;
    if (m_pvidRead == ReadState::kFailed && !m_strUnread.empty()) {
        text = "The PVIDs of ports " + m_strUnread + " could not be read. Press Refresh to read them again.";
    } else if (m_pvidRead == ReadState::kFailed) {
        text = "The PVIDs could not be read. Press Refresh to read them again.";
    } else if (m_trunk->Groups().Failed()) {
        text = "The trunk membership of the ports could not be read. Press Refresh to read it again.";
    } else if (!ready) {
        text = "Reading the PVIDs...";
    }
    m_status->setText(ui::ToQ(text));
    m_status->setVisible(!text.empty());
}

void CKSXPVIDConfig::OnOK() {
    if (!IsDlgItemEnabled(IDC_PVID_APPLY)) {
        return;  // Enter before the reads ended
    }
    if (!CPvidSettingLogic::CheckTrunkPvids(m_pPvid, m_trunk->Groups())) {
        return;
    }
    if (!CPvidSettingLogic::CheckPvidVlans(m_vlans, m_pPvid)) {
        return;
    }
    if (m_run.Running()) {
        return;
    }
    // One SET per port, in order, off the window's thread; the first refused one ends the writes.
    EnableDlgItem(IDC_PVID_APPLY, false);
    m_run.Runner().SetCancel([this] { m_logic.CancelWrite(); });
    const std::vector<int> pvids = m_pPvid;
    const int ports = static_cast<int>(pvids.size());
    m_run.Start(
        ports,
        [this, pvids](int i) {
            const int port = i + 1;
            const SnmpAnswer answer = m_logic.WritePvid(pvids, port);
            return StepOutcome::Of(answer, AnswerText(answer, {"the PVID of port " + std::to_string(port)}));
        },
        [](int i, int n) { return CStepRun::PortText(1, i, n); },
        [this, ports](const StepsEnd& end) {
            if (end.stopped) {
                // Closed during the writes: the dialog is ending.
                AfxMessageBox(RunEndText(end, PortsNamer(1, ports)), MB_OK);
                return;
            }
            if (end.failed) {
                AfxMessageBox(
                    RunEndText(end, PortsNamer(1, ports)) + " The PVIDs the device holds are shown.",
                    MB_OK | MB_ICONERROR);
                OnRefresh();
                return;
            }
            EndDialog(IDOK);
        });
}

void CKSXPVIDConfig::OnRefresh() {
    m_pvidRead = ReadState::kPending;
    std::fill(m_pvidFound.begin(), m_pvidFound.end(), 0);
    UpdateApplyState();
    m_pvidWalk.Walk();
    m_trunk->Read([this](const CTrunkGroups&) { UpdateApplyState(); });
}
