// Traffic segmentation dialog.
#include "features/security/TrafficSegDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

#include <algorithm>

#include "controls/ListCtrlEx.h"
#include "core/RunText.h"
#include "core/Utils.h"
#include "features/common/PortGridRows.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "platform/ui/Text.h"
#include "res/ids_screening.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_TRAFFIC_SEGMENTATION, [] {
    CTrafficSegDlg dlg;
    dlg.DoModal();
});

// The device takes a moment to apply a forwarding set before it reads back.
const ksx::Tunable kReadBackDelayMs("trafficseg.read-back-ms", 50);
constexpr unsigned kReadBackTimer = 1;

std::string Join(const std::vector<std::string>& parts) {
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) {
        text += i == 0 ? "" : (i + 1 == parts.size() ? " and " : ", ");
        text += parts[i];
    }
    return text;
}

}  // namespace

CTrafficSegDlg::CTrafficSegDlg(QWidget* parent)
    : ClxDialog(IDD_TRAFFIC_SEG, parent),
      m_nPortNum(std::clamp(g_nPortNum, 0, kTrafficSegMaxPorts)),
      m_forwardWalk(m_cCommonSNMPTable, {CTrafficSeg::kForwardPort, CTrafficSeg::kForwardBitmap},
                    [](const WalkStep& step) -> std::optional<ForwardRow> {
                        ForwardRow row;
                        row.port = step.Index(0).empty() ? 0 : step.IndexInt(0, 0);
                        row.portValue = step.Integer(0);
                        row.bitmapPort = step.Index(1).empty() ? 0 : step.IndexInt(1, 0);
                        row.bitmap = step.Octets(1);
                        return row;
                    }) {
    OwnReader(m_forwardWalk);
    OwnSession(m_cCommonSNMPTable);
    OwnSessions(m_TrafficSeg.Sessions());
    m_forwardWalk.onRow = [this](const ForwardRow& row) { OnForwardRow(row); };
    m_forwardWalk.onEnd = [this](const WalkEnd& end) {
        m_bWalkEnded = true;
        m_bWalkRead = end.AtEnd();
        ReadEnded();
    };
    m_TrafficSeg.onStateRead = [this](bool ok) {
        m_bStateEnded = true;
        m_bStateRead = ok;
        if (ok) {
            CheckDlgButton(IDC_TSEG_ENABLE, m_TrafficSeg.m_strState == "1" ? 1 : 0);
        }
        // The table and the trunk membership after the state, in the order the device sees them.
        m_forwardWalk.Walk(OnForwardingWalk, this);
        m_TrafficSeg.ReadTrunkPorts();
        ReadEnded();
    };
    m_TrafficSeg.onTrunksRead = [this](bool ok) {
        m_bTrunksEnded = true;
        m_bTrunksRead = ok;
        ReadEnded();
    };
}

CTrafficSegDlg::~CTrafficSegDlg() = default;

void CTrafficSegDlg::CreateControls() {
    SetWindowText("Traffic Segmentation Settings ");
    ui::Form form(*this);

    auto global = form.Group("Global Settings", IDC_TSEG_GLOBAL_GROUP);
    global.Row({global.Check(IDC_TSEG_ENABLE, "Enable Forwarding Port Settings"), ui::Form::Stretch,
                global.Button(IDC_TSEG_APPLY_STATE, "&Apply"), global.Button(IDC_TSEG_REFRESH, "&Refresh")});

    auto ports = form.Group("", IDC_TSEG_PORT_GROUP);
    QComboBox* from = ports.Combo(IDC_TSEG_FROM_PORT);
    from->setMinimumWidth(from->fontMetrics().horizontalAdvance("000") + 40);
    ports.Row({ports.Label("From Port", IDC_TSEG_FROM_LABEL), from, ui::Form::Stretch});
    ports.Add(ports.Label("To Port", IDC_TSEG_TO_LABEL));
    auto* grid = new QGridLayout;
    ports.Layout()->addLayout(grid, ports.Layout()->rowCount(), 0, 1, -1);
    CreateStrip(grid);
    ports.Row({ui::Form::Stretch, ports.Button(IDC_TSEG_SELECT_ALL, "Select All"),
               ports.Button(IDC_TSEG_CLEAR, "&Clear"), ports.Button(IDC_TSEG_APPLY_PORTS, "&Apply")});

    auto table = form.Group("Forwarding Port Table", IDC_TSEG_TABLE_GROUP);
    m_ForwardingList = table.Fill(RegisterControl(IDC_TSEG_LIST, new CListCtrlEx));
    form.Layout()->setRowStretch(form.Layout()->rowCount() - 1, 1);

    OnCommand(IDC_TSEG_REFRESH, [this] { Refresh(); });
    OnCommand(IDC_TSEG_APPLY_STATE, [this] { OnApplyState(); });
    OnCommand(IDC_TSEG_APPLY_PORTS, [this] { OnApplyPorts(); });
    OnCommand(IDC_TSEG_SELECT_ALL, [this] { OnSelectAll(); });
    OnCommand(IDC_TSEG_CLEAR, [this] { OnClear(); });
    OnNotify(CBN_SELCHANGE, IDC_TSEG_FROM_PORT, [this] { ShowSelectedPort(); });
    OnCommandRange(IDC_TSEG_CHECK_BASE + 1, IDC_TSEG_CHECK_BASE + kTrafficSegMaxPorts,
                   [this](int id) { OnStripClick(id - IDC_TSEG_CHECK_BASE); });
}

void CTrafficSegDlg::CreateStrip(QGridLayout* grid) {
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    const auto n = static_cast<size_t>(m_nPortNum);
    m_pPortLabels.assign(n, nullptr);
    m_pPortChecks.assign(n, nullptr);
    m_portValue.assign(n, 0);
    m_arrForwardPorts.assign(n, std::nullopt);
    const int perRow = std::max(ui::PortsPerGridRow(m_nPortNum), 1);
    for (int p = 1; p <= m_nPortNum; ++p) {
        const int block = (p - 1) / perRow;
        const int column = (p - 1) % perRow;
        const int top = block * 3;  // number, box, a gap before the next row of ports
        const auto i = static_cast<size_t>(p - 1);
        auto* label = RegisterControl(IDC_TSEG_LABEL_BASE + p, new QLabel(QString::number(p)));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance("00") + 6);
        grid->addWidget(label, top, column);
        auto* box = RegisterControl(IDC_TSEG_CHECK_BASE + p, new QCheckBox);
        grid->addWidget(box, top + 1, column, Qt::AlignCenter);
        if (block > 0) {
            grid->setRowMinimumHeight(top - 1, 8);
        }
        m_pPortLabels[i] = label;
        m_pPortChecks[i] = box;
    }
    grid->setColumnStretch(grid->columnCount(), 1);
}

int CTrafficSegDlg::OnInitDialog() {
    SetIcon(QApplication::windowIcon());
    m_ForwardingList->SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    m_ForwardingList->InsertColumn(0, "Port", LVCFMT_LEFT, 150);
    m_ForwardingList->InsertColumn(1, "Forwarding Port", LVCFMT_LEFT, 300);
    auto* from = Item<QComboBox>(IDC_TSEG_FROM_PORT);
    for (int p = 1; p <= m_nPortNum; ++p) {
        from->addItem(QString::number(p));
    }
    from->setCurrentIndex(0);
    ClxDialog::OnInitDialog();
    Refresh();
    return 1;
}

std::optional<std::string> CTrafficSegDlg::ForwardPorts(int port) const {
    if (port < 1 || port > m_nPortNum) {
        return std::nullopt;
    }
    return m_arrForwardPorts[static_cast<size_t>(port - 1)];
}

int CTrafficSegDlg::SelectedPort() const {
    return Item<QComboBox>(IDC_TSEG_FROM_PORT)->currentIndex() + 1;
}

void CTrafficSegDlg::Refresh() {
    m_bStateEnded = m_bWalkEnded = m_bTrunksEnded = false;
    m_bStateRead = m_bWalkRead = m_bTrunksRead = false;
    UpdateControls();
    m_ForwardingList->DeleteAllItems();
    m_arrForwardPorts.assign(static_cast<size_t>(m_nPortNum), std::nullopt);
    m_rowText.assign(static_cast<size_t>(m_nPortNum), std::nullopt);
    m_rangeText.assign(static_cast<size_t>(m_nPortNum), std::string());
    ShowSelectedPort();
    m_TrafficSeg.GetTrafficSegState();
}

int CTrafficSegDlg::OnForwardingWalk(CSnmp* response, int requestId, void* userData, int status) {
    return static_cast<CTrafficSegDlg*>(userData)->m_forwardWalk.Step(response, requestId, status);
}

void CTrafficSegDlg::OnForwardRow(const ForwardRow& row) {
    if (row.port >= 1 && row.port <= m_nPortNum) {
        m_rowText[static_cast<size_t>(row.port - 1)] =
            row.portValue ? std::to_string(*row.portValue) : std::to_string(row.port);
    } else if (row.port != 0) {
        TRACE("forwarding row of port %d ignored (%d ports)", row.port, m_nPortNum);
    }
    if (row.bitmapPort >= 1 && row.bitmapPort <= m_nPortNum && row.bitmap) {
        const auto i = static_cast<size_t>(row.bitmapPort - 1);
        // Only the octets that arrived, and only the device's ports: a short value lists no more.
        std::string range;
        const int octets = std::min(static_cast<int>(row.bitmap->size()), (m_nPortNum + 7) / 8);
        if (octets > 0) {
            CUtils::BitmapToRangeText(reinterpret_cast<const unsigned char*>(row.bitmap->data()), octets, 1,
                                      m_nPortNum, &range);
        }
        int count = 0;
        const std::string list = CUtils::PortBitmapToList(*row.bitmap, &count);
        m_arrForwardPorts[i] = count > 0 ? list : std::string();
        m_rangeText[i] = range;
        if (!m_rowText[i]) {
            m_rowText[i] = std::to_string(row.bitmapPort);
        }
    }
    FillList();
}

void CTrafficSegDlg::FillList() {
    // Rows in port order, each with its own set (an empty cell for a set that did not read).
    m_ForwardingList->DeleteAllItems();
    int n = 0;
    for (int p = 1; p <= m_nPortNum; ++p) {
        const auto i = static_cast<size_t>(p - 1);
        if (!m_rowText[i]) {
            continue;
        }
        m_ForwardingList->SetItemTextEx(n, 0, ui::ToQ(*m_rowText[i]));
        m_ForwardingList->SetItemTextEx(n, 1, ui::ToQ(m_arrForwardPorts[i] ? m_rangeText[i] : std::string()));
        ++n;
    }
}

std::vector<int> CTrafficSegDlg::UnreadSets() const {
    std::vector<int> ports;
    for (int p = 1; p <= m_nPortNum; ++p) {
        const auto i = static_cast<size_t>(p - 1);
        if (m_rowText[i] && !m_arrForwardPorts[i]) {
            ports.push_back(p);
        }
    }
    return ports;
}

void CTrafficSegDlg::ReadEnded() {
    UpdateControls();
    if (!m_bStateEnded || !m_bWalkEnded || !m_bTrunksEnded) {
        return;
    }
    ++m_refreshesEnded;
    ShowSelectedPort();
    std::vector<std::string> failed;
    if (!m_bStateRead) {
        failed.push_back("the traffic segmentation state");
    }
    if (!m_bWalkRead) {
        failed.push_back("the forwarding port table");
    } else if (const std::vector<int> unread = UnreadSets(); !unread.empty()) {
        std::vector<std::string> ports;
        for (int p : unread) {
            ports.push_back(std::to_string(p));
        }
        failed.push_back(std::string(unread.size() == 1 ? "the forwarding ports of port "
                                                        : "the forwarding ports of ports ") +
                         Join(ports));
    }
    if (!m_bTrunksRead) {
        failed.push_back("the link aggregation groups");
    }
    if (!failed.empty()) {
        AfxMessageBox("Failed to read " + Join(failed) + ".", MB_OK);
    }
}

void CTrafficSegDlg::UpdateControls() {
    const bool ended = m_bStateEnded && m_bWalkEnded && m_bTrunksEnded;
    EnableDlgItem(IDC_TSEG_REFRESH, ended);
    EnableDlgItem(IDC_TSEG_APPLY_STATE, ended && m_bStateRead);
    EnableDlgItem(IDC_TSEG_APPLY_PORTS, ended && m_bStateRead && m_TrafficSeg.m_strState == "1" &&
                                            m_bWalkRead && m_bTrunksRead && SelectedSetRead());
}

void CTrafficSegDlg::ShowSelectedPort() {
    const int port = SelectedPort();
    if (port < 1 || port > m_nPortNum) {
        return;
    }
    const std::optional<std::string>& list = m_arrForwardPorts[static_cast<size_t>(port - 1)];
    std::fill(m_portValue.begin(), m_portValue.end(), 0);
    if (list) {
        CUtils::PortListToArray(*list, m_portValue.data(), 1);
    }
    m_portValue[static_cast<size_t>(port - 1)] = 0;  // never its own forwarding port
    for (int p = 1; p <= m_nPortNum; ++p) {
        // A set that did not read shows no port as on or off, and cannot be edited.
        QCheckBox* box = m_pPortChecks[static_cast<size_t>(p - 1)];
        box->setEnabled(list && p != port);
        box->setTristate(!list);
        box->setCheckState(
            !list ? Qt::PartiallyChecked
                  : (m_portValue[static_cast<size_t>(p - 1)] != 0 ? Qt::Checked : Qt::Unchecked));
    }
    UpdateControls();
}

void CTrafficSegDlg::OnStripClick(int port) {
    if (port < 1 || port > m_nPortNum) {
        return;
    }
    const auto i = static_cast<size_t>(port - 1);
    m_portValue[i] = m_pPortChecks[i]->isChecked() ? 1 : 0;
}

bool CTrafficSegDlg::SelectedSetRead() const {
    const int port = SelectedPort();
    return port >= 1 && port <= m_nPortNum && m_arrForwardPorts[static_cast<size_t>(port - 1)];
}

void CTrafficSegDlg::OnSelectAll() {
    if (!SelectedSetRead()) {
        return;
    }
    const int own = SelectedPort();
    for (int p = 1; p <= m_nPortNum; ++p) {
        m_pPortChecks[static_cast<size_t>(p - 1)]->setChecked(p != own);
    }
}

void CTrafficSegDlg::OnClear() {
    if (!SelectedSetRead()) {
        return;
    }
    const int own = SelectedPort();
    for (int p = 1; p <= m_nPortNum; ++p) {
        if (p != own) {
            m_pPortChecks[static_cast<size_t>(p - 1)]->setChecked(false);
        }
    }
}

void CTrafficSegDlg::OnApplyState() {
    if (!IsDlgItemEnabled(IDC_TSEG_APPLY_STATE)) {
        return;
    }
    const SnmpAnswer answer =
        m_TrafficSeg.SetTrafficSegState(IsDlgButtonChecked(IDC_TSEG_ENABLE) == 1 ? "1" : "2");
    if (!answer.Accepted()) {
        AfxMessageBox(AnswerText(answer, {"it"}, "Failed to write the traffic segmentation state: "), MB_OK);
    }
    Refresh();
}

void CTrafficSegDlg::OnApplyPorts() {
    if (!IsDlgItemEnabled(IDC_TSEG_APPLY_PORTS)) {
        return;
    }
    const std::string port = GetDlgItemText(IDC_TSEG_FROM_PORT);
    const int own = SelectedPort();
    for (int p = 1; p <= m_nPortNum; ++p) {
        m_portValue[static_cast<size_t>(p - 1)] =
            p != own && m_pPortChecks[static_cast<size_t>(p - 1)]->isChecked();
    }
    if (!m_TrafficSeg.CheckTrunkConsistency(m_portValue.data())) {
        AfxMessageBox("The link aggregation member port can not be configured.", MB_OK);
        return;
    }
    std::string hex;
    CUtils::PortArrayToHex(m_portValue.data(), hex);
    CUtils::PadPortHexWide(hex);
    const std::vector<unsigned char> bytes = CUtils::HexToBytes(hex);
    const SnmpAnswer answer =
        m_TrafficSeg.SetForwardingPorts(port, bytes.data(), static_cast<int>(bytes.size()));
    if (answer.Accepted()) {
        SetTimer(kReadBackTimer, static_cast<unsigned>(std::max(kReadBackDelayMs.Get(), 0)));
        return;
    }
    AfxMessageBox(
        AnswerText(answer, {"them", true}, "Failed to write the forwarding ports of port " + port + ": "),
        MB_OK);
    Refresh();
}

void CTrafficSegDlg::OnTimer(unsigned id) {
    if (id == kReadBackTimer) {
        KillTimer(kReadBackTimer);
        Refresh();
    }
}
