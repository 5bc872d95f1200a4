// GVRP port settings dialog.
#include "features/vlan/GVRPSettings.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "controls/ListCtrlEx.h"
#include "core/RunText.h"
#include "core/TextNumbers.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "res/ids_gvrp.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_GVRP_SETTINGS, [] {
    CGVRPSettings dlg;
    dlg.DoModal();
});

constexpr int kWalks = 3;

}  // namespace

CGVRPSettings::CGVRPSettings(QWidget* parent) : CDialog(IDD_GVRP_SETTINGS, parent) {
    OwnSessions(m_logic.Sessions());  // closed when the window goes
    m_logic.onState = [this](std::optional<long long> state) { OnGvrpState(state); };
    m_logic.onPortRow = [this](const GvrpPortRow& row) { OnPortRow(row); };
    m_logic.onTrunkFailed = [this] { m_bTrunkFailed = true; };
    m_logic.onPortsFailed = [this] { m_bReadFailed = true; };
    m_logic.onWalkFinished = [this] { OnWalkFinished(); };
    m_logic.onWriteFinished = [this] {
        EnableDlgItem(IDC_GVRP_APPLY, true);
        OnRefresh();
    };
}

CGVRPSettings::~CGVRPSettings() = default;

void CGVRPSettings::CreateControls() {
    SetWindowText("GVRP Settings");
    auto* outer = new QVBoxLayout(Client());
    m_list = RegisterControl(IDC_GVRP_LIST, new CListCtrlEx);
    m_list->setMinimumSize(540, 300);
    outer->addWidget(m_list, 1);
    auto* group = RegisterControl(IDC_GVRP_GROUP, new QGroupBox("GVRP Port Setting"));
    outer->addWidget(group);
    auto* grid = new QGridLayout(group);
    auto label = [this](int id, const char* text) { return RegisterControl(id, new QLabel(text)); };
    auto combo = [this](int id, bool editable) {
        auto* c = RegisterControl(id, new QComboBox);
        c->setEditable(editable);
        return c;
    };
    grid->addWidget(label(IDC_GVRP_FROM_LABEL, "From Port"), 0, 0);
    grid->addWidget(combo(IDC_GVRP_FROM, true), 1, 0);
    grid->addWidget(label(IDC_GVRP_TO_LABEL, "To Port"), 0, 1);
    grid->addWidget(combo(IDC_GVRP_TO, true), 1, 1);
    grid->addWidget(label(IDC_GVRP_PVID_LABEL, "PVID(1-4094)"), 0, 2);
    auto* pvid = RegisterControl(IDC_GVRP_PVID, new QLineEdit);
    pvid->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), pvid));
    grid->addWidget(pvid, 1, 2);
    grid->addWidget(label(IDC_GVRP_STATE_LABEL, "GVRP"), 0, 3);
    grid->addWidget(combo(IDC_GVRP_STATE, false), 1, 3);
    grid->addWidget(label(IDC_GVRP_INGRESS_LABEL, "Ingree Checking"), 0, 4);
    grid->addWidget(combo(IDC_GVRP_INGRESS, false), 1, 4);
    grid->addWidget(label(IDC_GVRP_FRAME_TYPE_LABEL, "Acceptable Frame Type"), 0, 5);
    grid->addWidget(combo(IDC_GVRP_FRAME_TYPE, false), 1, 5);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(RegisterControl(IDC_GVRP_APPLY, new QPushButton("Apply")));
    buttons->addWidget(RegisterControl(IDC_GVRP_REFRESH, new QPushButton("Refresh")));
    outer->addLayout(buttons);

    OnCommand(IDC_GVRP_APPLY, [this] { OnApply(); });
    OnCommand(IDC_GVRP_REFRESH, [this] { OnRefresh(); });
    OnNotify(CBN_SELCHANGE, IDC_GVRP_FROM, Handler([this] { OnFromPortChange(); }));
    OnNotify(CBN_SELCHANGE, IDC_GVRP_TO, Handler([this] { OnToPortChange(); }));
}

int CGVRPSettings::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_list->InsertColumn(0, "Port", LVCFMT_LEFT, 50);
    m_list->InsertColumn(1, "PVID", LVCFMT_LEFT, 80);
    m_list->InsertColumn(2, "GVRP", LVCFMT_LEFT, 110);
    m_list->InsertColumn(3, "Ingress Checking", LVCFMT_LEFT, 130);
    m_list->InsertColumn(4, "Acceptable Frame Type", LVCFMT_LEFT, 140);
    m_list->SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);

    auto* gvrp = Item<QComboBox>(IDC_GVRP_STATE);
    gvrp->addItems({"Disabled", "Enabled"});
    gvrp->setCurrentIndex(0);
    auto* ingress = Item<QComboBox>(IDC_GVRP_INGRESS);
    ingress->addItems({"Disabled", "Enabled"});
    ingress->setCurrentIndex(1);
    auto* frame = Item<QComboBox>(IDC_GVRP_FRAME_TYPE);
    frame->addItems({"Admit All", "Tagged Only"});
    frame->setCurrentIndex(0);
    auto* from = Item<QComboBox>(IDC_GVRP_FROM);
    auto* to = Item<QComboBox>(IDC_GVRP_TO);
    for (int p = 1; p <= g_nPortNum; ++p) {
        from->addItem(QString::number(p));
        to->addItem(QString::number(p));
    }
    from->setCurrentIndex(0);
    to->setCurrentIndex(to->count() - 1);
    OnRefresh();
    return 1;
}

// The state is read first and the three walks start after it, as the requests always went; none of
// them holds the window while the device does not answer.
void CGVRPSettings::ReadGvrpState() {
    m_logic.ReadState();
}

// The setting combos follow the state; a state not read (no answer, a value that is no number) keeps
// them unavailable, as a disabled one does.
void CGVRPSettings::OnGvrpState(std::optional<long long> state) {
    if (!state) {
        m_bReadFailed = true;
    }
    for (int id : {IDC_GVRP_STATE, IDC_GVRP_INGRESS, IDC_GVRP_FRAME_TYPE}) {
        EnableDlgItem(id, state && *state == 1);
    }
    m_logic.ReadPortTable();
    m_logic.ReadVlanIds();
    m_logic.ReadTrunkPorts();
}

void CGVRPSettings::OnRefresh() {
    m_list->DeleteAllItems();
    EnableDlgItem(IDC_GVRP_REFRESH, false);
    // The range check needs the whole trunk membership: Apply waits for the walks to end.
    EnableDlgItem(IDC_GVRP_APPLY, false);
    m_nFinished = 0;
    m_bTrunkFailed = false;
    m_bReadFailed = false;
    ReadGvrpState();
}

void CGVRPSettings::OnPortRow(const GvrpPortRow& row) {
    const int n = m_list->GetItemCount();
    m_list->SetItemTextEx(n, 0, QString::fromStdString(row.port));
    m_list->SetItemTextEx(n, 1, QString::fromStdString(row.pvid));
    m_list->SetItemTextEx(n, 2, QString::fromStdString(row.gvrp));
    m_list->SetItemTextEx(n, 3, QString::fromStdString(row.ingress));
    m_list->SetItemTextEx(n, 4, QString::fromStdString(row.frameType));
}

void CGVRPSettings::OnWalkFinished() {
    EnableDlgItem(IDC_GVRP_REFRESH, true);
    if (++m_nFinished != kWalks) {
        return;
    }
    m_nFinished = 0;
    EnableDlgItem(IDC_GVRP_APPLY, !m_bTrunkFailed);
    if (m_bReadFailed) {
        AfxMessageBox("Failed to read the GVRP port settings; press Refresh to try again.", MB_OK);
    }
    if (m_bTrunkFailed) {
        AfxMessageBox("Failed to read the link aggregation members; press Refresh to try again.", MB_OK);
    }
}

int CGVRPSettings::PortOf(int comboId) const {
    const std::string text = ksx::text::Trimmed(GetDlgItemText(comboId));
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    const int port = std::stoi(text);
    return port >= 1 && port <= g_nPortNum ? port : 0;
}

void CGVRPSettings::OnFromPortChange() {
    auto* from = Item<QComboBox>(IDC_GVRP_FROM);
    Item<QComboBox>(IDC_GVRP_TO)->setCurrentIndex(from->currentIndex());
}

void CGVRPSettings::OnToPortChange() {
    const int from = ksx::text::LeadingInt(GetDlgItemText(IDC_GVRP_FROM));
    const int to = ksx::text::LeadingInt(GetDlgItemText(IDC_GVRP_TO));
    if (to < from) {
        AfxMessageBox("'To Port' can not be smaller than 'From Port'", MB_OK);
        Item<QComboBox>(IDC_GVRP_TO)->setCurrentIndex(Item<QComboBox>(IDC_GVRP_FROM)->currentIndex());
    }
}

void CGVRPSettings::OnApply() {
    if (!IsDlgItemEnabled(IDC_GVRP_APPLY)) {
        return;
    }
    const std::string pvid = GetDlgItemText(IDC_GVRP_PVID);
    // Typed ports are checked before anything is looked up by them.
    const int from = PortOf(IDC_GVRP_FROM);
    const int to = PortOf(IDC_GVRP_TO);
    if (from == 0 || to == 0) {
        AfxMessageBox("Port Range is 1-" + std::to_string(g_nPortNum), MB_OK);
        return;
    }
    if (to < from) {
        AfxMessageBox("'To Port' can not be smaller than 'From Port'", MB_OK);
        return;
    }
    const int value = ksx::text::LeadingInt(pvid);
    if (pvid.empty() || value < 1 || value > 4094) {
        AfxMessageBox("PVID Range is 1-4094", MB_OK);
        return;
    }
    if (m_logic.CheckTrunkRange(from, to) == 0) {
        return;
    }
    auto index = [this](int id) { return Item<QComboBox>(id)->currentIndex(); };
    const std::string gvrp = index(IDC_GVRP_STATE) == 1 ? "1" : "2";
    const std::string ingress = index(IDC_GVRP_INGRESS) == 1 ? "1" : "2";
    const std::string frame = index(IDC_GVRP_FRAME_TYPE) == 0 ? "1" : "2";
    EnableDlgItem(IDC_GVRP_APPLY, false);
    // One SET per port, in order, off the window's thread; the first refused one ends the write.
    m_run.Runner().SetCancel([this] { m_logic.CancelWrite(); });
    m_run.StartPortWrites(
        from, to,
        [this, from, pvid, gvrp, ingress, frame](int i) {
            const SnmpAnswer answer = m_logic.SetPortSetting(from + i, pvid, gvrp, ingress, frame);
            return StepOutcome::Of(
                answer,
                AnswerText(answer, {"the GVRP port settings of port " + std::to_string(from + i), true}));
        },
        [this, from, to](const StepsEnd& end) {
            if (end.failed) {
                // What the device holds now is read again and shown.
                AfxMessageBox(RunEndText(end, PortsNamer(from, to)) +
                                  (end.inFlight ? "" : " The settings it holds are shown."),
                              MB_OK);
                OnRefresh();
                return;
            }
            m_logic.WriteFinished();
        });
}
