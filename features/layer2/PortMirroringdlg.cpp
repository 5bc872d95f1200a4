// Port mirroring dialog.
#include "features/layer2/PortMirroringdlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <functional>
#include <memory>

#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_mirroring.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_PORT_MIRRORING, [] {
    CPortMirroringdlg dlg;
    dlg.DoModal();
});

// Repositions the port strips whenever the layout has moved the control they are aligned to.
class GeometryWatch : public QObject {
public:
    GeometryWatch(QObject* parent, std::function<void()> fn) : QObject(parent), m_fn(std::move(fn)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
            m_fn();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_fn;
};

// Grid rows of a block of the port grid: the port numbers, then TX, RX, Both and None, then a gap
// before the next block (the ports past the first row of the strips).
constexpr int kHeadingRow = 0;
constexpr int kBlockRows = 6;
constexpr int kBlockGap = 10;  // between two blocks

const char* const kModeNames[4] = {"TX", "RX", "Both", "None"};

const int kFirstIds[4] = {IDC_MIR_TX1, IDC_MIR_RX1, IDC_MIR_BOTH1, IDC_MIR_NONE1};

// What a request of a write puts on the device, as the dialog's texts name it.
std::string StepName(CPortMirroringLogic::WriteStep step) {
    switch (step) {
        case CPortMirroringLogic::WRITE_CLEAR_SOURCES:
            return "the clearing of the source ports";
        case CPortMirroringLogic::WRITE_TARGET:
            return "the target port";
        case CPortMirroringLogic::WRITE_SOURCES:
            return "the source ports";
        case CPortMirroringLogic::WRITE_STATE:
            break;
    }
    return "the mirroring state";
}

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
    ui::Form form(*this);
    auto state = form.Group("", IDC_MIR_STATE_GROUP);
    state.Row({state.Label("Port Mirroring", IDC_MIR_STATE_LABEL), state.Radio(IDC_MIR_ENABLED, "Enabled"),
               state.Radio(IDC_MIR_DISABLED, "Disabled"), ui::Form::Stretch});
    auto ports = form.Group("", IDC_MIR_PORTS_GROUP);
    QComboBox* target = ports.Combo(IDC_MIR_TARGET, true);
    target->setMaxVisibleItems(12);
    // Room for any port number, whatever the list holds.
    target->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    target->setMinimumContentsLength(3);
    ports.Row({ports.Label("TargetPort", IDC_MIR_TARGET_LABEL), target, ui::Form::Stretch});
    ports.Add(ports.Label("Source Port Selection", IDC_MIR_SOURCE_LABEL));
    // Mode names and All buttons on the left; the strips take the rest of each row (see PlaceStrips).
    // With two rows of ports each block carries its own mode names, so every row of boxes is labelled;
    // the All buttons, which set a mode for every port, stand by the first block's names.
    m_pModes = new QGridLayout;
    m_pModes->addWidget(ports.Label("Sniffer\nMode", IDC_MIR_SNIFFER_LABEL), kHeadingRow, 0, Qt::AlignTop);
    m_pModes->addWidget(ports.Label("Select\nAll", IDC_MIR_SELECT_ALL_LABEL), kHeadingRow, 1, Qt::AlignTop);
    const int labelIds[4] = {IDC_MIR_TX_LABEL, IDC_MIR_RX_LABEL, IDC_MIR_BOTH_LABEL, IDC_MIR_NONE_LABEL};
    const int allIds[4] = {IDC_MIR_ALL_TX, IDC_MIR_ALL_RX, IDC_MIR_ALL_BOTH, IDC_MIR_ALL_NONE};
    for (int block = 0; block < Blocks(); ++block) {
        for (int r = 0; r < 4; ++r) {
            const int row = block * kBlockRows + kHeadingRow + 1 + r;
            m_pModes->addWidget(ports.Label(kModeNames[r], block == 0 ? labelIds[r] : 0), row, 0,
                                Qt::AlignVCenter);
            if (block == 0) {
                m_pModes->addWidget(ports.Button(allIds[r], "All"), row, 1, Qt::AlignVCenter);
            }
        }
    }
    m_pModes->setColumnStretch(2, 1);
    ports.Layout()->addLayout(m_pModes, ports.Layout()->rowCount(), 0, 1, 2);
    ports.Buttons({{IDC_MIR_REFRESH, "Refresh"}, {IDC_MIR_APPLY, "Apply"}, {IDC_MIR_CLOSE, "Close"}});

    m_logic.onConfig = [this](const std::optional<MirrorConfigRecord>& record) { OnConfigRead(record); };
    m_logic.onTrunks = [this](bool complete) { OnTrunksRead(complete); };
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
    OnRefresh();
    return 1;
}

void CPortMirroringdlg::CreatePortStrips() {
    const int ports = PortCount();
    // Square controls large enough for a check box and for the widest port number at this font.
    QLabel probe(QString::number(std::max(ports, 1)));
    probe.setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QCheckBox box;
    const QSize label = probe.minimumSizeHint();
    const QSize check = box.minimumSizeHint();
    m_nBoxSize = std::max({label.width() + 4, label.height(), check.width(), check.height()});
    QWidget* host = GetDlgItem(IDC_MIR_PORTS_GROUP);
    auto make = [this, ports, host](unsigned style, int firstId, int rowGap) {
        auto strip = std::make_unique<CBtnEXT>(ports, m_nBoxSize, rowGap);
        strip->SetParentWnd(this);
        const int perRow = strip->GetFirstRowCount();
        strip->CalcSpacing(0, perRow * m_nBoxSize + std::max(perRow - 1, 0) * 4);
        strip->Create(style, firstId, QRect(), 0);
        // Into the group with the buttons they line up with; PlaceStrips gives the positions.
        for (int i = 0; i < ports; ++i) {
            if (QWidget* w = strip->GetControl(i)) {
                w->setParent(host);
                w->show();
            }
        }
        return strip;
    };
    // PlaceStrips puts every control; the strips' own row gap is not used.
    m_pPortLabels = make(CBTNEXT_LABELS, IDC_MIR_PORT_LABEL1, 0);
    m_pRows[MODE_TX] = make(BS_AUTOCHECKBOX, IDC_MIR_TX1, 0);
    m_pRows[MODE_RX] = make(BS_AUTOCHECKBOX, IDC_MIR_RX1, 0);
    m_pRows[MODE_BOTH] = make(BS_AUTOCHECKBOX, IDC_MIR_BOTH1, 0);
    m_pRows[MODE_NONE] = make(BS_AUTOCHECKBOX, IDC_MIR_NONE1, 0);

    // The layout keeps room for the strips: the column as wide as a row of boxes, each row as tall as
    // a box, the numbers of a block right above its TX row.
    const int perRow = m_pPortLabels->GetFirstRowCount();
    // A little room between the All buttons and the first box.
    m_pModes->setColumnMinimumWidth(
        2, 8 + perRow * m_nBoxSize + std::max(perRow - 1, 0) * m_pPortLabels->GetSpacing());
    for (int block = 0; block < Blocks(); ++block) {
        const int top = block * kBlockRows;
        m_pModes->setRowMinimumHeight(top + kHeadingRow, m_nBoxSize);
        for (int r = 0; r < 4; ++r) {
            m_pModes->setRowMinimumHeight(top + kHeadingRow + 1 + r, m_nBoxSize);
        }
        if (block + 1 < Blocks()) {
            m_pModes->setRowMinimumHeight(top + kBlockRows - 1, kBlockGap);
        }
    }
    auto* watch = new GeometryWatch(this, [this] { PlaceStrips(); });
    GetDlgItem(IDC_MIR_CLOSE)->installEventFilter(watch);
    host->installEventFilter(watch);
    PlaceStrips();
}

int CPortMirroringdlg::Blocks() const {
    return PortCount() > 28 ? 2 : 1;
}

void CPortMirroringdlg::PlaceStrips() {
    if (m_pPortLabels == nullptr) {
        return;
    }
    // Right-aligned with the bottom buttons; port i of a strip in its block's row of that strip.
    const int right = GetDlgItem(IDC_MIR_CLOSE)->geometry().right() + 1;
    const int perRow = m_pPortLabels->GetFirstRowCount();
    const int step = m_nBoxSize + m_pPortLabels->GetSpacing();
    const int x0 = right - (perRow * m_nBoxSize + std::max(perRow - 1, 0) * m_pPortLabels->GetSpacing());
    auto place = [&](CBtnEXT& strip, int mode) {
        for (int i = 0; i < strip.GetCount(); ++i) {
            QWidget* w = strip.GetControl(i);
            if (w == nullptr) {
                continue;
            }
            const int block = i < perRow ? 0 : 1;
            // Each mode's boxes in the middle of their row, beside the mode's name; the numbers right
            // above the TX boxes.
            auto rowY = [&](int r) {
                const QRect cell = m_pModes->cellRect(block * kBlockRows + kHeadingRow + 1 + r, 2);
                return cell.top() + std::max(cell.height() - m_nBoxSize, 0) / 2;
            };
            const int y = mode < 0 ? rowY(MODE_TX) - m_nBoxSize : rowY(mode);
            w->setGeometry(QRect(QPoint(x0 + step * (i % perRow), y), QSize(m_nBoxSize, m_nBoxSize)));
        }
    };
    place(*m_pPortLabels, -1);
    for (int r = 0; r < 4; ++r) {
        place(*m_pRows[r], r);
    }
}

int CPortMirroringdlg::TargetPort() const {
    return ParsePort(GetDlgItemText(IDC_MIR_TARGET));
}

void CPortMirroringdlg::UpdateApply() {
    EnableDlgItem(IDC_MIR_APPLY, m_bConfigRead && m_bTrunksRead && !m_run.Running());
    EnableDlgItem(IDC_MIR_REFRESH, !m_run.Running());
}

void CPortMirroringdlg::OnRefresh() {
    if (m_run.Running()) {
        return;
    }
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

void CPortMirroringdlg::OnTrunksRead(bool complete) {
    m_bTrunksRead = complete;
    if (!m_bTrunksRead) {
        AfxMessageBox("Failed to read the link aggregation members; press Refresh to try again.", MB_OK);
    }
    UpdateApply();
}

// Settings not read whole (no answer, a value missing or of another type) are not shown as values and
// keep Apply unavailable: Apply writes the state, the target and both source sets back.
void CPortMirroringdlg::OnConfigRead(const std::optional<MirrorConfigRecord>& record) {
    if (!record) {
        AfxMessageBox("Failed to read the port mirroring settings; press Refresh to try again.", MB_OK);
        return;
    }
    ShowRecord(*record);
    m_bConfigRead = true;
    UpdateApply();
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
    if (m_run.Running()) {
        return;
    }
    const std::string last = m_logic.LastReadState();
    std::string state = "2";
    std::string target;
    if (IsDlgButtonChecked(IDC_MIR_ENABLED) == 1) {
        const int targetPort = TargetPort();
        if (targetPort == 0) {
            AfxMessageBox("Target Port should be 1-" + std::to_string(PortCount()), MB_OK);
            return;
        }
        if (m_logic.TrunkGroupOf(targetPort) != 0) {
            AfxMessageBox("Target Port is Trunking Port!", MB_OK);
            return;
        }
        SetPortMode(targetPort, MODE_NONE);  // the target mirrors nothing itself
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
        state = "1";
        target = std::to_string(targetPort);
    }
    StartWrite(m_logic.PlanWrite(last, state, target));
}

void CPortMirroringdlg::StartWrite(const CPortMirroringLogic::WritePlan& plan) {
    // Off the window's thread, one request a step; the first one not accepted ends the write.
    m_run.Runner().SetCancel([this] { m_logic.CancelWrite(); });
    auto step = [this, plan](int i) {
        if (m_run.Runner().Stopping()) {
            return StepOutcome::NothingSent();
        }
        // A refusal is named by the end, from the step refused.
        return StepOutcome::Of(m_logic.SendWrite(plan, plan.steps[static_cast<size_t>(i)]));
    };
    auto text = [steps = plan.steps](int i, int n) {
        return QString("Writing %1 (%2 of %3)...")
            .arg(QString::fromStdString(StepName(steps[static_cast<size_t>(i)])))
            .arg(i + 1)
            .arg(n);
    };
    std::vector<StepsName> names;
    for (const CPortMirroringLogic::WriteStep s : plan.steps) {
        names.push_back({StepName(s), s == CPortMirroringLogic::WRITE_SOURCES});
    }
    m_run.Start(static_cast<int>(plan.steps.size()), step, text,
                [this, name = ListNamer(std::move(names))](const StepsEnd& end) { OnWriteEnd(end, name); });
    UpdateApply();
}

void CPortMirroringdlg::OnWriteEnd(const StepsEnd& end, const StepsNamer& name) {
    if (end.stopped) {
        // Closed during the write: the dialog is ending.
        AfxMessageBox(RunEndText(end, name), MB_OK);
        return;
    }
    if (end.failed) {
        AfxMessageBox(RunEndText(end, name) + " The settings it holds are shown.", MB_OK);
    }
    UpdateApply();
    if (isVisible()) {
        OnRefresh();
    }
}
