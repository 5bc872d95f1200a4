// Trunk member picker.
#include "features/layer2/KSXTrunkPort.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "features/common/PortGridRows.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Form.h"
#include "res/ids_trunk.h"

using namespace ksx;

namespace {

constexpr int kMinMembers = 2;
constexpr int kMaxMembers = 8;

// Window size by port count; other counts take the size of their contents.
QSize WindowSize(int ports) {
    switch (ports) {
        case 10:
            return {520, 275};
        case 16:
            return {447, 275};
        case 20:
            return {550, 255};
        case 24:
            return {550, 275};
        case 28:
            return {580, 275};
        case 48:
            return {520, 330};
        case 52:
            return {560, 330};
        default:
            return {};
    }
}

}  // namespace

CKSXTrunkPort::CKSXTrunkPort(QWidget* parent) : ClxDialog(IDD_TRUNK_PORT, parent) {
    OnCommandRange(IDC_TRUNKPORT_CHECK_FIRST, IDC_TRUNKPORT_CHECK_LAST,
                   [this](int id) { OnPortClicked(id); });
    OnCommand(IDC_TRUNKPORT_REFRESH, [this] { OnRefresh(); });
    OnMessage(WM_TRUNK_LOAD_RESULT, [this](WPARAM, LPARAM) {
        ShowLoadProgress();
        return LRESULT{0};
    });
}

CKSXTrunkPort::~CKSXTrunkPort() {
    m_logic.CloseSessions();
}

void CKSXTrunkPort::CreateControls() {
    m_nPortNum = g_nPortNum;
    ui::Form form(*this);
    auto trunk = form.Group("Trunk", IDC_TRUNKPORT_GROUP);
    auto* id = trunk.Edit(IDC_TRUNKPORT_ID);
    auto* mode = trunk.Edit(IDC_TRUNKPORT_MODE);
    for (QLineEdit* edit : {id, mode}) {
        edit->setEnabled(false);
        edit->setMaximumWidth(100);
    }
    trunk.Row({"Trunk ID:", id, ui::Form::Stretch, trunk.Label("PortChannelMode:", IDC_TRUNKPORT_MODE_LABEL),
               mode});

    // One number label over one check box per port: one row, or two from 48 ports on.
    auto members = form.Group("Port Member", IDC_TRUNKPORT_MEMBER_GROUP);
    auto* ports = new QWidget;
    auto* grid = new QGridLayout(ports);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(2);
    const int perRow = std::max(ui::PortsPerGridRow(m_nPortNum), 1);
    for (int n = 1; n <= m_nPortNum && n <= IDC_TRUNKPORT_CHECK_LAST - 2000; ++n) {
        const int row = ((n - 1) / perRow) * 2;
        const int column = (n - 1) % perRow;
        auto* label = RegisterControl(2500 + n, new QLabel(QString::number(n)));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance("52") + 6);
        grid->addWidget(label, row, column);
        grid->addWidget(RegisterControl(2000 + n, new QCheckBox), row + 1, column, Qt::AlignHCenter);
    }
    grid->setRowStretch(grid->rowCount(), 1);
    members.Fill(ports);

    form.Note("", IDC_TRUNKPORT_STATUS)->setWordWrap(true);
    form.Buttons({{IDC_TRUNKPORT_REFRESH, "&Refresh"}, {IDOK, "OK"}, {IDCANCEL, "Cancel"}}, IDOK);
}

int CKSXTrunkPort::OnInitDialog() {
    const QSize size = WindowSize(m_nPortNum);
    if (size.isValid()) {
        resize(size.expandedTo(sizeHint()));
        move(200, 200);
    }
    ClxDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    SetWindowText("Trunk member");
    m_aPortFlags.assign(static_cast<size_t>(std::max(m_nPortNum, 0)), 0);
    EnableDlgItem(IDOK, false);
    EnableDlgItem(IDC_TRUNKPORT_REFRESH, false);

    m_logic.SetOwnerWnd(this);
    if (!m_logic.Init()) {
        m_bInitFailed = true;
        AfxMessageBox("TrunkValid Init Error !", MB_OK);
        EnableDlgItem(IDOK, true);  // OK answers that nothing can be checked
        return 1;
    }
    SetDlgItemText(IDC_TRUNKPORT_ID, m_strTrunkId);
    SetDlgItemText(IDC_TRUNKPORT_MODE, m_strMode);
    size_t begin = 0;
    while (begin < m_strMembers.size()) {
        size_t end = m_strMembers.find(',', begin);
        if (end == std::string::npos) {
            end = m_strMembers.size();
        }
        const int p = text::LeadingInt(std::string_view(m_strMembers).substr(begin, end - begin));
        if (p >= 1 && p <= m_nPortNum) {
            m_aPortFlags[static_cast<size_t>(p - 1)] = 1;
        }
        begin = end + 1;
    }
    for (int p = 1; p <= m_nPortNum; ++p) {
        CheckDlgButton(2000 + p, m_aPortFlags[static_cast<size_t>(p - 1)]);
    }
    ShowLoadProgress();
    return 1;
}

void CKSXTrunkPort::ShowLoadProgress() {
    if (m_bInitFailed) {
        return;
    }
    const bool pending = m_logic.AnyLoadPending();
    EnableDlgItem(IDOK, m_logic.AllLoaded());
    EnableDlgItem(IDC_TRUNKPORT_REFRESH, !pending);
    std::string text;
    if (m_logic.AnyLoadFailed()) {
        std::string names;
        for (int load = 0; load < CTrunkSettingLogic::LOAD_COUNT; ++load) {
            if (m_logic.GetLoadState(load) == CTrunkSettingLogic::LOAD_FAILED) {
                names += std::string(names.empty() ? "" : "; ") + CTrunkSettingLogic::LoadName(load);
            }
        }
        text = "Could not read the " + names + ". The members cannot be checked" +
               (pending ? "." : ": press Refresh to read again.");
    } else if (pending) {
        text = "Reading the port settings that the members are checked against...";
    }
    SetDlgItemText(IDC_TRUNKPORT_STATUS, text);
}

void CKSXTrunkPort::OnRefresh() {
    if (m_bInitFailed || m_logic.AnyLoadPending()) {
        return;
    }
    EnableDlgItem(IDOK, false);
    EnableDlgItem(IDC_TRUNKPORT_REFRESH, false);
    m_logic.LoadSettings();
    ShowLoadProgress();
}

void CKSXTrunkPort::OnPortClicked(int id) {
    const int port = id - 2000;
    if (port >= 1 && port <= m_nPortNum && static_cast<size_t>(port) <= m_aPortFlags.size()) {
        m_aPortFlags[static_cast<size_t>(port - 1)] = IsDlgButtonChecked(id) ? 1 : 0;
    }
}

void CKSXTrunkPort::OnOK() {
    if (m_bInitFailed) {
        // There are no tables to check the members against.
        AfxMessageBox("TrunkValid Init Error !", MB_OK);
        return;
    }
    if (!m_logic.AllLoaded()) {
        return;  // OK is unavailable until every read has ended well
    }
    const std::string mode = GetDlgItemText(IDC_TRUNKPORT_MODE) == "LACP" ? "1" : "2";
    int count = 0;
    for (int flag : m_aPortFlags) {
        count += flag == 1 ? 1 : 0;
    }
    if (count < kMinMembers) {
        AfxMessageBox("The mininum port members for an aggregated link is 2 !", MB_OK);
        return;
    }
    if (count > kMaxMembers) {
        AfxMessageBox("The maxinum port member for an aggregated link is exceeded !", MB_OK);
        return;
    }
    m_logic.SetMembers(m_aPortFlags.data(), m_strMembers);
    const int passed = m_logic.CheckMembers();
    m_logic.ReleaseMembers();
    if (!passed) {
        TRACE("ture or faulse");
        return;
    }
    if (m_logic.SetTrunkGroup(mode, MemberBitmapHex(m_aPortFlags), m_strTrunkId) != 1) {
        // Nothing was written, or the device refused it: the picker stays open with the user's ticks.
        return;
    }
    EndDialog(IDOK);
}

std::string CKSXTrunkPort::MemberBitmapHex(const std::vector<int>& flags) {
    std::vector<int> all(flags);
    all.resize(static_cast<size_t>(std::max(g_nPortNum, 0)), 0);
    std::string hex;
    CUtils::PortArrayToHex(all.data(), hex);
    CUtils::PadPortHex(hex);
    return hex;
}

int CKSXTrunkPort::DestroyWindow() {
    TRACE("==================DestroyWindow===============");
    m_logic.CloseSessions();
    return ClxDialog::DestroyWindow();
}
