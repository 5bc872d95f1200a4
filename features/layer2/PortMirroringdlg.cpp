// Port mirroring dialog.
#include "features/layer2/PortMirroringdlg.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_mirroring.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_PORT_MIRRORING, [] {
    CPortMirroringdlg dlg;
    dlg.DoModal();
});

// Template units to client pixels.
int Dx(int x) {
    return x * 3 / 2;
}
int Dy(int y) {
    return y * 13 / 8;
}

const int kFirstIds[4] = {IDC_MIR_TX1, IDC_MIR_RX1, IDC_MIR_BOTH1, IDC_MIR_NONE1};

int PortCount() {
    return std::min(std::max(g_nPortNum, 0), kMirrorMaxPorts);
}

// A port number from 1 to the port count, 0 for any other text.
int ParsePort(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    size_t last = text.find_last_not_of(' ');
    if (first == std::string::npos) {
        return 0;
    }
    const std::string digits = text.substr(first, last - first + 1);
    if (digits.empty() || digits.size() > 3 || digits.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    const int port = std::stoi(digits);
    return port >= 1 && port <= PortCount() ? port : 0;
}

}  // namespace

CPortMirroringdlg::CPortMirroringdlg(QWidget* parent) : ClxDialog(IDD_PORT_MIRRORING, parent) {
    OwnSessions(m_logic.Sessions());  // closed when the window goes
}

CPortMirroringdlg::~CPortMirroringdlg() = default;

CBtnEXT* CPortMirroringdlg::Strip(int row) const {
    if (row >= 0 && row < 4) {
        return m_pRows[row].get();
    }
    return row == 4 ? m_pPortLabels.get() : nullptr;
}

void CPortMirroringdlg::CreateControls() {
    SetWindowText("PortMirroringConfiguration");
    AddGroupBox(IDC_MIR_STATE_GROUP, "", Dx(6), Dy(2), Dx(410), Dy(18));
    AddLabel(IDC_MIR_STATE_LABEL, "Port Mirroring", Dx(13), Dy(9), Dx(82), Dy(8));
    PlaceControl(IDC_MIR_ENABLED, new QRadioButton("Enabled"), Dx(106), Dy(8), Dx(52), Dy(10));
    PlaceControl(IDC_MIR_DISABLED, new QRadioButton("Disabled"), Dx(160), Dy(8), Dx(52), Dy(10));
    AddGroupBox(IDC_MIR_PORTS_GROUP, "", Dx(6), Dy(24), Dx(410), Dy(195));
    AddLabel(IDC_MIR_TARGET_LABEL, "TargetPort", Dx(9), Dy(34), Dx(42), Dy(8));
    QComboBox* target = AddComboBox(IDC_MIR_TARGET, Dx(106), Dy(31), Dx(48), Dy(12));
    target->setEditable(true);
    target->setMaxVisibleItems(12);
    AddLabel(IDC_MIR_SOURCE_LABEL, "Source Port Selection", Dx(9), Dy(43), Dx(85), Dy(8));
    AddLabel(IDC_MIR_SNIFFER_LABEL, "Sniffer\nMode", Dx(15), Dy(55), Dx(33), Dy(18));
    AddLabel(IDC_MIR_SELECT_ALL_LABEL, "Select\nAll", Dx(48), Dy(54), Dx(24), Dy(16));
    AddLabel(IDC_MIR_TX_LABEL, "TX", Dx(18), Dy(74), Dx(20), Dy(10));
    AddLabel(IDC_MIR_RX_LABEL, "RX", Dx(19), Dy(105), Dx(20), Dy(10));
    AddLabel(IDC_MIR_BOTH_LABEL, "Both", Dx(17), Dy(137), Dx(24), Dy(10));
    AddLabel(IDC_MIR_NONE_LABEL, "None", Dx(17), Dy(168), Dx(24), Dy(10));
    AddButton(IDC_MIR_ALL_TX, "All", Dx(48), Dy(72), Dx(24), Dy(11));
    AddButton(IDC_MIR_ALL_RX, "All", Dx(48), Dy(105), Dx(24), Dy(11));
    AddButton(IDC_MIR_ALL_BOTH, "All", Dx(48), Dy(136), Dx(24), Dy(11));
    AddButton(IDC_MIR_ALL_NONE, "All", Dx(48), Dy(168), Dx(24), Dy(11));
    AddButton(IDC_MIR_REFRESH, "Refresh", Dx(199), Dy(198), Dx(43), Dy(13));
    AddButton(IDC_MIR_APPLY, "Apply", Dx(262), Dy(198), Dx(43), Dy(13));
    AddButton(IDC_MIR_CLOSE, "Close", Dx(326), Dy(198), Dx(43), Dy(13));
    SetClientSize(Dx(423), Dy(230));

    OnMessage(WM_SNMP_RESULT, [this](WPARAM w, LPARAM l) { return OnMirrorResult(w, l); });
    OnCommand(IDC_MIR_APPLY, [this] { OnApply(); });
    OnCommand(IDC_MIR_REFRESH, [this] { OnRefresh(); });
    OnCommand(IDC_MIR_CLOSE, [this] { OnCancel(); });
    OnCommand(IDC_MIR_ENABLED, [this] { OnEnabled(); });
    OnCommand(IDC_MIR_DISABLED, [this] { OnDisabled(); });
    OnCommand(IDC_MIR_ALL_TX, [this] { OnAll(MODE_TX); });
    OnCommand(IDC_MIR_ALL_RX, [this] { OnAll(MODE_RX); });
    OnCommand(IDC_MIR_ALL_BOTH, [this] { OnAll(MODE_BOTH); });
    OnCommand(IDC_MIR_ALL_NONE, [this] { OnAll(MODE_NONE); });
    for (int first : kFirstIds) {
        OnCommandRange(first, first + kMirrorMaxPorts - 1, [this](int id) { OnPortCheck(id); });
    }
    OnNotify(CBN_SELCHANGE, IDC_MIR_TARGET, [this] { OnTargetPortChange(); });
    // Typing only: the text the dialog itself puts there is not a choice of the user's.
    QObject::connect(target->lineEdit(), &QLineEdit::textEdited, this, [this] { OnTargetTyped(); });
}

int CPortMirroringdlg::OnInitDialog() {
    ClxDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    auto* combo = Item<QComboBox>(IDC_MIR_TARGET);
    for (int p = 1; p <= PortCount(); ++p) {
        combo->addItem(QString::number(p));
    }
    combo->setCurrentIndex(0);
    CreatePortStrips();
    // The bottom buttons end where the strips end.
    const int d = m_pRows[MODE_NONE]->GetStripRect().right() - GetDlgItem(IDC_MIR_CLOSE)->geometry().right();
    for (int id : {IDC_MIR_CLOSE, IDC_MIR_APPLY, IDC_MIR_REFRESH}) {
        QWidget* w = GetDlgItem(id);
        w->move(w->x() + d, w->y());
    }
    OnRefresh();
    return 1;
}

void CPortMirroringdlg::CreatePortStrips() {
    const int ports = PortCount();
    const int right = GetDlgItem(IDC_MIR_PORTS_GROUP)->geometry().right();
    auto make = [this, ports, right](unsigned style, int firstId, QWidget* anchor, int size, int rowGap,
                                     int placement) {
        auto strip = std::make_unique<CBtnEXT>(ports, size, rowGap);
        strip->SetParentWnd(this);
        const QRect a = anchor->geometry();
        strip->CalcSpacing(a.x() + a.width(), right);
        strip->Create(style, firstId, a, placement);
        return strip;
    };
    QWidget* allRx = GetDlgItem(IDC_MIR_ALL_RX);
    m_pRows[MODE_RX] = make(BS_AUTOCHECKBOX, IDC_MIR_RX1, allRx, allRx->height(), 10, 0);
    QWidget* allBoth = GetDlgItem(IDC_MIR_ALL_BOTH);
    m_pRows[MODE_BOTH] = make(BS_AUTOCHECKBOX, IDC_MIR_BOTH1, allBoth, allBoth->height(), 10, 0);
    QWidget* allNone = GetDlgItem(IDC_MIR_ALL_NONE);
    m_pRows[MODE_NONE] = make(BS_AUTOCHECKBOX, IDC_MIR_NONE1, allNone, allNone->height(), 10, 0);
    m_pPortLabels = make(CBTNEXT_LABELS, IDC_MIR_PORT_LABEL1, GetDlgItem(IDC_MIR_SELECT_ALL_LABEL),
                         allRx->height(), 20, 0);
    if (ports == 52) {
        // Under the port numbers: each row of boxes below its row of labels.
        QWidget* label1 = GetDlgItem(IDC_MIR_PORT_LABEL1);
        auto strip = std::make_unique<CBtnEXT>(ports, label1->height(), 20);
        strip->SetParentWnd(this);
        strip->CalcSpacing(label1->geometry().x() + label1->width(), right);
        strip->Create(BS_AUTOCHECKBOX, IDC_MIR_TX1, label1->geometry(), 1);
        m_pRows[MODE_TX] = std::move(strip);
    } else {
        QWidget* allTx = GetDlgItem(IDC_MIR_ALL_TX);
        m_pRows[MODE_TX] = make(BS_AUTOCHECKBOX, IDC_MIR_TX1, allTx, allTx->height(), 10, 0);
    }
}

int CPortMirroringdlg::TargetPort() const {
    return ParsePort(GetDlgItemText(IDC_MIR_TARGET));
}

void CPortMirroringdlg::UpdateApply() {
    EnableDlgItem(IDC_MIR_APPLY, m_bConfigRead && m_bTrunksRead);
}

void CPortMirroringdlg::OnRefresh() {
    EnableAllBoxes(true);
    // A walk of the previous refresh may still be reading the owner: store it only once.
    if (m_logic.OwnerWnd() != this && !m_logic.SetOwnerWnd(this)) {
        return;
    }
    // Apply waits for both reads: the state decides the write, the trunks decide what is allowed.
    m_bConfigRead = false;
    m_bTrunksRead = false;
    UpdateApply();
    m_logic.ReadTrunkMembers();
    m_logic.ReadMirrorConfig();
}

LRESULT CPortMirroringdlg::OnMirrorResult(WPARAM wParam, LPARAM lParam) {
    if (wParam == kMirrorTrunksRead) {
        m_bTrunksRead = lParam == 1;
        if (!m_bTrunksRead) {
            AfxMessageBox("Failed to read the link aggregation members; press Refresh to try again.", MB_OK);
        }
        UpdateApply();
        return 0;
    }
    if (wParam != 0 || lParam == 0) {
        return 0;
    }
    ShowRecord(*reinterpret_cast<const MirrorConfigRecord*>(lParam));
    m_bConfigRead = true;
    UpdateApply();
    return 0;
}

void CPortMirroringdlg::ShowRecord(const MirrorConfigRecord& record) {
    if (record.enabled == 1) {
        CheckDlgButton(IDC_MIR_ENABLED, 1);
        CheckDlgButton(IDC_MIR_DISABLED, 0);
    } else {
        CheckDlgButton(IDC_MIR_ENABLED, 0);
        CheckDlgButton(IDC_MIR_DISABLED, 1);
        EnableDlgItem(IDC_MIR_TARGET, false);
        EnableAllBoxes(false);
    }
    // A target the device reports outside the ports is not shown, and disables no box.
    const int target = ParsePort(record.target);
    auto* combo = Item<QComboBox>(IDC_MIR_TARGET);
    combo->setEditText(target != 0 ? QString::fromStdString(record.target) : QString());
    if (target != 0) {
        EnablePortBoxes(target, false);
    }
    for (int p = 1; p <= PortCount() && static_cast<size_t>(p) <= record.ports.size(); ++p) {
        const MirrorPortEntry& e = record.ports[static_cast<size_t>(p - 1)];
        SetPortMode(p, e.rx && e.tx ? MODE_BOTH : e.rx ? MODE_RX : e.tx ? MODE_TX : MODE_NONE);
    }
}

void CPortMirroringdlg::SetPortMode(int port, int mode) {
    for (int row = 0; row < 4; ++row) {
        if (m_pRows[row]) {
            m_pRows[row]->SetCheck(row == mode ? 1 : 0, port - 1);
        }
    }
}

int CPortMirroringdlg::PortMode(int port) const {
    if (m_pRows[MODE_BOTH]->GetCheck(port - 1)) {
        return MODE_BOTH;
    }
    if (m_pRows[MODE_TX]->GetCheck(port - 1)) {
        return MODE_TX;
    }
    if (m_pRows[MODE_RX]->GetCheck(port - 1)) {
        return MODE_RX;
    }
    return MODE_NONE;
}

void CPortMirroringdlg::EnablePortBoxes(int port, bool enable) {
    for (auto& row : m_pRows) {
        if (row) {
            row->EnablePort(enable, port - 1);
        }
    }
}

void CPortMirroringdlg::EnableAllBoxes(bool enable) {
    for (int p = 1; p <= PortCount(); ++p) {
        EnablePortBoxes(p, enable);
    }
}

void CPortMirroringdlg::OnPortCheck(int id) {
    for (int row = 0; row < 4; ++row) {
        const int port = id - kFirstIds[row] + 1;
        if (port >= 1 && port <= kMirrorMaxPorts) {
            if (port <= PortCount()) {
                SetPortMode(port, row);
            }
            return;
        }
    }
}

void CPortMirroringdlg::OnAll(int mode) {
    const int target = TargetPort();
    for (int p = 1; p <= PortCount(); ++p) {
        if (mode == MODE_NONE || p != target) {
            SetPortMode(p, mode);
        }
    }
}

void CPortMirroringdlg::OnTargetPortChange() {
    EnableAllBoxes(true);
    const int target = TargetPort();
    if (target != 0) {
        EnablePortBoxes(target, false);
        SetPortMode(target, MODE_NONE);
    }
}

void CPortMirroringdlg::OnTargetTyped() {
    // A typed target follows the rules of a chosen one; its mode becomes None when it is applied, so
    // that the ports passed while typing keep theirs.
    EnableAllBoxes(true);
    const int target = TargetPort();
    if (target != 0) {
        EnablePortBoxes(target, false);
    }
}

void CPortMirroringdlg::OnEnabled() {
    EnableDlgItem(IDC_MIR_TARGET, true);
    const int target = TargetPort();
    for (int p = 1; p <= PortCount(); ++p) {
        EnablePortBoxes(p, p != target);
    }
}

void CPortMirroringdlg::OnDisabled() {
    EnableDlgItem(IDC_MIR_TARGET, false);
    EnableAllBoxes(false);
}

void CPortMirroringdlg::OnApply() {
    if (!m_bConfigRead || !m_bTrunksRead) {
        return;  // nothing read yet to write against
    }
    CPortMirroringLogic::WriteStep failed = CPortMirroringLogic::WRITE_OK;
    const std::string last = m_logic.LastReadState();
    if (IsDlgButtonChecked(IDC_MIR_ENABLED) == 1) {
        const int target = TargetPort();
        if (target == 0) {
            AfxMessageBox("Target Port should be 1-" + std::to_string(PortCount()), MB_OK);
            return;
        }
        if (m_logic.TrunkGroupOf(target) != 0) {
            AfxMessageBox("Target Port is Trunking Port!", MB_OK);
            return;
        }
        SetPortMode(target, MODE_NONE);  // the target mirrors nothing itself
        bool anySource = false;
        for (int p = 1; p <= PortCount(); ++p) {
            MirrorPortEntry& e = m_logic.m_aPorts[static_cast<size_t>(p - 1)];
            const int mode = PortMode(p);
            e.rx = mode == MODE_BOTH || mode == MODE_RX;
            e.tx = mode == MODE_BOTH || mode == MODE_TX;
            e.trunkGroup = m_logic.TrunkGroupOf(p);
            e.done = e.trunkGroup == 0 ? 1 : 0;
            anySource = anySource || e.rx || e.tx;
        }
        if (!anySource) {
            AfxMessageBox("Must at least select one source port.", MB_OK);
            OnRefresh();
            return;
        }
        if (!m_logic.CheckTrunkSourceModes()) {
            AfxMessageBox(
                "Must select whole ports of the aggregated link with the same Sniffer Mode to source port.",
                MB_OK);
            OnRefresh();
            return;
        }
        failed = m_logic.WriteMirrorConfig(last, "1", std::to_string(target));
    } else {
        failed = m_logic.WriteMirrorConfig(last, "2", "");
    }
    if (failed != CPortMirroringLogic::WRITE_OK) {
        AfxMessageBox(
            "The device did not accept the port mirroring settings; the settings it holds are shown.", MB_OK);
    }
    OnRefresh();
}
