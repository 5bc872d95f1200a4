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
#include <QVBoxLayout>
#include <algorithm>

#include "core/TextNumbers.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Text.h"
#include "res/ids_vlan.h"

using namespace ksx;

CKSXPVIDConfig::CKSXPVIDConfig(QWidget* parent) : ClxDialog(IDD_PVID, parent) {}

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
    auto* outer = new QVBoxLayout(Client());
    auto* group = RegisterControl(IDC_PVID_GROUP, new QGroupBox("PVID Configuration"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(new QLabel("Port VID:"));
    groupLayout->addLayout(new QGridLayout);
    groupLayout->addStretch(1);
    outer->addWidget(group, 1);

    m_status = RegisterControl(IDC_PVID_STATUS, new QLabel);
    m_status->setWordWrap(true);
    outer->addWidget(m_status);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(RegisterControl(IDC_PVID_REFRESH, new QPushButton("&Refresh")));
    buttons->addStretch(1);
    auto* apply = RegisterControl(IDC_PVID_APPLY, new QPushButton("Apply"));
    apply->setDefault(true);
    buttons->addWidget(apply);
    buttons->addWidget(RegisterControl(IDC_PVID_CANCEL, new QPushButton("Cancel")));
    outer->addLayout(buttons);

    OnCommand(IDC_PVID_REFRESH, [this] { OnRefresh(); });
    OnNotifyRange(EN_CHANGE, IDC_PVID_EDIT_BASE + 1, IDC_PVID_EDIT_BASE + kPvidMaxPorts,
                  [this](int id) { OnPvidChange(id - IDC_PVID_EDIT_BASE); });
}

void CKSXPVIDConfig::LayoutPortControls() {
    auto* groupLayout = static_cast<QVBoxLayout*>(GetDlgItem(IDC_PVID_GROUP)->layout());
    auto* grid = static_cast<QGridLayout*>(groupLayout->itemAt(1)->layout());
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
    m_trunks = CTrunkGroups(m_nPortNum);
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
        SetDlgItemText(IDC_PVID_EDIT_BASE + p, std::to_string(m_pPvid[static_cast<size_t>(p - 1)]));
    }
    m_bFilling = false;
}

void CKSXPVIDConfig::OnPvidRow(const std::string& suffix, const std::string& value) {
    const int port = CPvidSettingLogic::PortOfRow(suffix, m_nPortNum);
    if (port != 0) {
        m_pPvid[static_cast<size_t>(port - 1)] = ksx::text::LeadingInt(value);
    }
}

void CKSXPVIDConfig::OnPvidEnd(int status) {
    if (status == -2) {
        m_pvidRead = ReadState::kDone;
        ShowPvids();
    } else {
        m_pvidRead = ReadState::kFailed;
    }
    UpdateApplyState();
}

void CKSXPVIDConfig::OnTrunkRow(const std::string& suffix, const std::string& members) {
    m_trunks.AddRow(suffix, members);
}

void CKSXPVIDConfig::OnTrunkEnd(int status) {
    m_trunks.EndRead(status);
    UpdateApplyState();
}

void CKSXPVIDConfig::UpdateApplyState() {
    const bool ready = m_pvidRead == ReadState::kDone && m_trunks.Ended();
    EnableDlgItem(IDC_PVID_APPLY, ready);
    std::string text;
    if (m_pvidRead == ReadState::kFailed) {
        text = "The PVIDs could not be read. Press Refresh to read them again.";
    } else if (m_trunks.Failed()) {
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
    if (!CPvidSettingLogic::CheckTrunkPvids(m_pPvid, m_trunks)) {
        return;
    }
    if (!CPvidSettingLogic::CheckPvidVlans(m_vlans, m_pPvid)) {
        return;
    }
    const int failed = m_logic.WritePvids(m_pPvid);
    if (failed != 0) {
        std::string text = "The device did not accept the PVID of port " + std::to_string(failed) + ".";
        if (failed < m_nPortNum) {
            text += " Ports " + std::to_string(failed) + " to " + std::to_string(m_nPortNum) +
                    " were not written.";
        }
        AfxMessageBox(text, MB_OK | MB_ICONERROR);
        return;
    }
    EndDialog(IDOK);
}

int CKSXPVIDConfig::DestroyWindow() {
    m_logic.m_cCommonSNMPSet.Close();
    m_readPvid.Close();
    m_readTrunk.Close();
    return ClxDialog::DestroyWindow();
}

void CKSXPVIDConfig::OnRefresh() {
    m_pvidRead = ReadState::kPending;
    m_trunks.BeginRead();
    UpdateApplyState();
    m_readPvid.Start(
        {vlan::kPvidColumn},
        [this](const std::string& suffix, const std::vector<std::string>& values) {
            OnPvidRow(suffix, values[0]);
        },
        [this](int status) { OnPvidEnd(status); });
    m_readTrunk.Start(
        {ksx::trunk::kMemberColumn},
        [this](const std::string& suffix, const std::vector<std::string>& values) {
            OnTrunkRow(suffix, values[0]);
        },
        [this](int status) { OnTrunkEnd(status); });
}
