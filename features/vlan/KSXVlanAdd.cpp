// VLAN add and edit dialog.
#include "features/vlan/KSXVlanAdd.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "features/common/AfterCloseRun.h"
#include "features/common/PortGridRows.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Form.h"
#include "platform/ui/Text.h"
#include "res/ids_vlan.h"

using namespace ksx;

namespace {

constexpr int kVidLength = 4;
constexpr int kNameLength = 20;

// What the progress line says of a step of the write.
std::string StepProgress(bool add, CVlanAddLogic::Step step) {
    switch (step) {
        case CVlanAddLogic::kPrepareRow:
            return add ? "creating its row" : "taking it out of service";
        case CVlanAddLogic::kAllPorts:
            return "making every port a member";
        case CVlanAddLogic::kActivate:
            return "activating it";
        default:
            return "writing the " + CVlanAddLogic::StepName(step);
    }
}

}  // namespace

CKSXVlanAdd::CKSXVlanAdd(QWidget* parent) : ClxDialog(IDD_VLAN_ADD, parent) {
    OwnSession(m_logic.m_cCommonSNMP);
    OwnSession(m_logic.m_cCommonSNMPEgrePort);
    OwnSession(m_cCommonSNMPForbidden);
    m_logic.SetRunHooks([this] { return m_run.Runner().Stopping(); },
                        [this](unsigned ms) { return m_run.Runner().Pause(ms); });
    m_run.Runner().SetCancel([this] { m_logic.CancelRequests(); });
    OnNotify(EN_CHANGE, IDC_VLANADD_VID, [this] {
        // Pasted text longer than the edit takes is cut, the caret kept where the change began.
        if (m_editVid->text().size() > kVidLength) {
            const int caret = std::min(m_editVid->cursorPosition(), kVidLength);
            m_editVid->setText(m_editVid->text().left(kVidLength));
            m_editVid->setCursorPosition(caret);
        }
    });
    OnCommandRange(IDC_VLANADD_TAGGED_BASE + 1, IDC_VLANADD_TAGGED_BASE + kVlanAddMaxPorts,
                   [this](int id) { OnPortClick(kTagged, id - IDC_VLANADD_TAGGED_BASE); });
    OnCommandRange(IDC_VLANADD_UNTAGGED_BASE + 1, IDC_VLANADD_UNTAGGED_BASE + kVlanAddMaxPorts,
                   [this](int id) { OnPortClick(kUntagged, id - IDC_VLANADD_UNTAGGED_BASE); });
    OnCommandRange(IDC_VLANADD_NOT_MEMBER_BASE + 1, IDC_VLANADD_NOT_MEMBER_BASE + kVlanAddMaxPorts,
                   [this](int id) { OnPortClick(kNotMember, id - IDC_VLANADD_NOT_MEMBER_BASE); });
    OnCommandRange(IDC_VLANADD_FORBIDDEN_BASE + 1, IDC_VLANADD_FORBIDDEN_BASE + kVlanAddMaxPorts,
                   [this](int id) { OnPortClick(kForbidden, id - IDC_VLANADD_FORBIDDEN_BASE); });
}

CKSXVlanAdd::~CKSXVlanAdd() = default;

void CKSXVlanAdd::SetAddMode(int portCount, VlanList list, int asymmetricMode) {
    m_bAdd = true;
    m_nPortNum = std::clamp(portCount, 0, kVlanAddMaxPorts);
    m_vlans = std::move(list);
    m_nAsymmetricMode = asymmetricMode;
}

void CKSXVlanAdd::SetEditMode(int portCount, VlanList list, int vid, int asymmetricMode) {
    SetAddMode(portCount, std::move(list), asymmetricMode);
    m_bAdd = false;
    m_nVid = vid;
}

void CKSXVlanAdd::CreateControls() {
    ui::Form form(*this);
    auto id = form.Group("802.1Q VLAN Name and ID", IDC_VLANADD_ID_GROUP);
    m_editVid = id.Edit(IDC_VLANADD_VID);
    m_editVid->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), m_editVid));
    m_editVid->setMaxLength(kVidLength);
    m_editVid->setMinimumWidth(m_editVid->fontMetrics().horizontalAdvance("00000") + 16);
    m_editName = id.Edit(IDC_VLANADD_NAME);
    m_editName->setMaxLength(kNameLength);
    m_editName->setMinimumWidth(m_editName->fontMetrics().horizontalAdvance(QString(kNameLength, 'W')) / 2);
    auto* advertisement = id.Check(IDC_VLANADD_ADVERTISEMENT, "Enabled Advertisement");
    advertisement->hide();
    id.Row({"VID:", m_editVid, "VLAN Name:", m_editName, advertisement});

    auto ports = form.Group("VLAN Port Member", IDC_VLANADD_PORT_GROUP);
    form.Layout()->setRowStretch(form.Layout()->rowCount() - 1, 1);
    m_portGrid = new QGridLayout;
    ports.Layout()->addLayout(m_portGrid, 0, 0, 1, 2);

    m_status = form.Note("", IDC_VLANADD_STATUS);
    m_status->setWordWrap(true);
    form.Buttons({{IDOK, "OK"}, {IDCANCEL, "Cancel"}}, IDOK);
}

void CKSXVlanAdd::CreatePortGrid() {
    QGridLayout* grid = m_portGrid;
    grid->setHorizontalSpacing(2);
    const auto n = static_cast<size_t>(m_nPortNum);
    m_pTaggedBox.assign(n, nullptr);
    m_pUntaggedBox.assign(n, nullptr);
    m_pNotMemberBox.assign(n, nullptr);
    m_pForbiddenBox.assign(n, nullptr);
    m_pPortLabel.assign(n, nullptr);

    // Ports in the first block of the grid: past it the ports form a second block below.
    const int firstBlock = ui::PortsPerGridRow(m_nPortNum);
    const struct {
        const char* text;
        int labelId;
    } rows[] = {{"Tagged:", IDC_VLANADD_TAGGED_LABEL},
                {"Untagged:", IDC_VLANADD_UNTAGGED_LABEL},
                {"Not Member:", IDC_VLANADD_NOT_MEMBER_LABEL},
                {"Forbidden:", IDC_VLANADD_FORBIDDEN_LABEL}};
    constexpr int kRowsPerBlock = 6;  // numbers, four choices, a gap
    for (int block = 0; block < (m_nPortNum > firstBlock ? 2 : 1); ++block) {
        const int top = block * kRowsPerBlock;
        for (int r = 0; r < 4; ++r) {
            auto* label = new QLabel(rows[r].text);
            if (block == 0) {
                RegisterControl(rows[r].labelId, label);
            }
            label->setVisible(r != kForbidden);
            grid->addWidget(label, top + 1 + r, 0);
        }
        if (block == 1) {
            grid->setRowMinimumHeight(top - 1, 8);
        }
    }
    for (int k = 1; k <= m_nPortNum; ++k) {
        const int block = k > firstBlock ? 1 : 0;
        const int column = 1 + (block == 0 ? k - 1 : k - 1 - firstBlock);
        const int top = block * kRowsPerBlock;
        const auto i = static_cast<size_t>(k - 1);
        auto* label = RegisterControl(IDC_VLANADD_PORT_LABEL_BASE + k, new QLabel(QString::number(k)));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance("00") + 6);
        grid->addWidget(label, top, column);
        m_pPortLabel[i] = label;
        auto makeBox = [&](int id, int row) {
            auto* box = RegisterControl(id, new QCheckBox);
            grid->addWidget(box, top + row, column, Qt::AlignCenter);
            return box;
        };
        m_pTaggedBox[i] = makeBox(IDC_VLANADD_TAGGED_BASE + k, 1);
        m_pUntaggedBox[i] = makeBox(IDC_VLANADD_UNTAGGED_BASE + k, 2);
        m_pNotMemberBox[i] = makeBox(IDC_VLANADD_NOT_MEMBER_BASE + k, 3);
        m_pForbiddenBox[i] = makeBox(IDC_VLANADD_FORBIDDEN_BASE + k, 4);
        m_pForbiddenBox[i]->hide();
    }
    grid->setColumnStretch(grid->columnCount(), 1);
}

int CKSXVlanAdd::OnInitDialog() {
    SetWindowText(m_bAdd ? "Add VLAN" : "Edit VLAN");
    SetIcon(QApplication::windowIcon());
    if (!m_bAdd) {
        EnableDlgItem(IDC_VLANADD_VID, false);
        if (m_nVid == 1) {
            EnableDlgItem(IDC_VLANADD_NAME, false);
        }
    }
    m_trunk = std::make_unique<CTrunkMembership>(m_nPortNum);
    OwnSessions(m_trunk->Sessions());
    CreatePortGrid();
    InitPortFlags();
    ShowPortFlags();
    m_strUntaggedAll = CVlanAddLogic::JoinUntaggedLists(m_vlans);
    ClxDialog::OnInitDialog();
    StartReads();
    return 1;
}

void CKSXVlanAdd::InitPortFlags() {
    const auto n = static_cast<size_t>(m_nPortNum);
    m_pEgress.assign(n, 0);
    m_pUntagged.assign(n, 0);
    m_pNotMember.assign(n, 1);
    m_pForbidden.assign(n, 0);
    if (!m_bAdd) {
        if (const VlanEntry* entry = CVlanAddLogic::FindVlanEntry(m_vlans, m_nVid)) {
            m_szName = entry->szName;
            m_strAdvertisement = entry->strAdvertisement;
            CVlanAddLogic::LoadPortFlags(*entry, m_nPortNum, m_pEgress, m_pUntagged, m_pNotMember,
                                         m_pForbidden);
        }
        SetDlgItemText(IDC_VLANADD_VID, std::to_string(m_nVid));
        SetDlgItemText(IDC_VLANADD_NAME, m_szName);
        CheckDlgButton(IDC_VLANADD_ADVERTISEMENT, m_strAdvertisement == "1" ? 1 : 0);
        m_original = {m_pEgress, m_pUntagged, m_pForbidden, m_szName};
    }
}

void CKSXVlanAdd::ShowPortFlags() {
    for (int k = 1; k <= m_nPortNum; ++k) {
        const auto i = static_cast<size_t>(k - 1);
        Box(kUntagged, k)->setChecked(m_pUntagged[i] != 0);
        Box(kTagged, k)->setChecked(m_pEgress[i] != 0 && m_pUntagged[i] == 0);
        Box(kNotMember, k)->setChecked(m_pNotMember[i] != 0);
        Box(kForbidden, k)->setChecked(m_pForbidden[i] != 0);
    }
}

QCheckBox* CKSXVlanAdd::Box(Choice choice, int port) const {
    const auto i = static_cast<size_t>(port - 1);
    switch (choice) {
        case kTagged:
            return m_pTaggedBox[i];
        case kUntagged:
            return m_pUntaggedBox[i];
        case kNotMember:
            return m_pNotMemberBox[i];
        case kForbidden:
            return m_pForbiddenBox[i];
    }
    return nullptr;
}

bool CKSXVlanAdd::KeepChecked(QCheckBox* box) {
    if (box != nullptr && !box->isChecked()) {
        box->setChecked(true);
        return true;
    }
    return false;
}

void CKSXVlanAdd::OnPortClick(Choice choice, int port) {
    if (port < 1 || port > m_nPortNum) {
        return;
    }
    if (KeepChecked(Box(choice, port))) {
        return;
    }
    const auto i = static_cast<size_t>(port - 1);
    switch (choice) {
        case kTagged:
        case kNotMember:
        case kForbidden:
            if (!m_bAdd && m_pUntagged[i] != 0) {
                CVlanAddLogic::RemovePortFromList(port, m_strUntaggedAll);
            }
            break;
        case kUntagged:
            // With the asymmetric VLAN off a port is untagged in one VLAN only.
            if (m_nAsymmetricMode == 2 && !CVlanAddLogic::IsPortNotInList(port, m_strUntaggedAll)) {
                Box(kUntagged, port)->setChecked(false);
                return;
            }
            break;
    }
    SetChoice(port, choice);
}

void CKSXVlanAdd::SetChoice(int port, Choice choice) {
    const auto i = static_cast<size_t>(port - 1);
    m_pEgress[i] = choice == kTagged || choice == kUntagged ? 1 : 0;
    m_pUntagged[i] = choice == kUntagged ? 1 : 0;
    m_pNotMember[i] = choice == kNotMember ? 1 : 0;
    m_pForbidden[i] = choice == kForbidden ? 1 : 0;
    for (Choice c : {kTagged, kUntagged, kNotMember, kForbidden}) {
        Box(c, port)->setChecked(c == choice);
    }
}

void CKSXVlanAdd::UpdateOkState() {
    const bool trunksRead = m_trunk->Groups().Ended();
    const bool forbiddenRead = m_forbiddenRead == ReadState::kDone;
    EnableDlgItem(IDOK, trunksRead && forbiddenRead && !m_run.Running());
    std::string text;
    if (m_trunk->Groups().Failed()) {
        text = "The trunk membership of the ports could not be read. Close the dialog and open it again.";
    } else if (m_forbiddenRead == ReadState::kFailed) {
        text = "The forbidden ports of this VLAN could not be read. Close the dialog and open it again.";
    } else if (!trunksRead || !forbiddenRead) {
        text = "Reading the trunk membership of the ports...";
    }
    m_status->setText(ui::ToQ(text));
    m_status->setVisible(!text.empty());
}

void CKSXVlanAdd::OnForbiddenRead(bool ok, const std::string& bitmap) {
    if (!ok) {
        m_forbiddenRead = ReadState::kFailed;
        UpdateOkState();
        return;
    }
    m_forbiddenRead = ReadState::kDone;
    int count = 0;
    VlanEntry entry;
    entry.szForbiddenPorts = CUtils::PortBitmapToList(bitmap, &count);
    CVlanAddLogic::PortFlags egress, untagged, notMember;
    CVlanAddLogic::LoadPortFlags(entry, m_nPortNum, egress, untagged, notMember, m_pForbidden);
    for (size_t i = 0; i < m_pForbidden.size(); ++i) {
        m_pNotMember[i] = m_pEgress[i] == 0 && m_pUntagged[i] == 0 && m_pForbidden[i] == 0 ? 1 : 0;
    }
    ShowPortFlags();
    m_original.forbidden = m_pForbidden;
    UpdateOkState();
}

void CKSXVlanAdd::OnOK() {
    if (!IsDlgItemEnabled(IDOK)) {
        return;  // Enter before the reads ended
    }
    const std::string vidText = GetDlgItemText(IDC_VLANADD_VID);
    m_nVid = ksx::text::LeadingInt(vidText);
    if (m_bAdd && ui::AfterCloseRunWriting(vlan::kRowStatusColumn, std::to_string(m_nVid))) {
        AfxMessageBox("VLAN " + std::to_string(m_nVid) +
                      " is being put back as it was: it can be added again once that has ended.");
        return;
    }
    if (m_bAdd && !CVlanAddLogic::ValidateVlanId(m_vlans, m_nVid)) {
        return;
    }
    m_szName = GetDlgItemText(IDC_VLANADD_NAME);
    if (m_szName.empty()) {
        AfxMessageBox("Vlan name is not allow empty.");
        return;
    }
    if (!CUtils::HasNoSpecialChar(m_szName)) {
        AfxMessageBox("Invalid Vlan name.");
        return;
    }
    const CTrunkGroups& trunks = m_trunk->Groups();
    if (!CVlanAddLogic::CheckTrunkMembers(trunks, m_pEgress) ||
        !CVlanAddLogic::CheckTrunkMembers(trunks, m_pUntagged) ||
        !CVlanAddLogic::CheckTrunkMembers(trunks, m_pForbidden)) {
        AfxMessageBox("Members in VLAN have to be in the same trunk !");
        return;
    }
    if (!m_bAdd && std::none_of(m_pEgress.begin(), m_pEgress.end(), [](int f) { return f != 0; })) {
        const bool otherHasMembers = std::any_of(m_vlans.begin(), m_vlans.end(), [this](const VlanEntry& e) {
            return e.nVid != m_nVid && e.nEgressCount != 0;
        });
        if (!otherHasMembers) {
            AfxMessageBox("You have to include at least one member in the vlan");
            return;
        }
    }
    if (CVlanAddLogic::PortBitmap(CVlanAddLogic::PortFlags(m_pEgress.size(), 1)).empty()) {
        AfxMessageBox("Parameter Error !");
        return;
    }
    StartWrite({m_bAdd, vidText, m_szName, m_pEgress, m_pUntagged, m_pForbidden});
}

void CKSXVlanAdd::StartWrite(const CVlanAddLogic::VlanWrite& write) {
    const std::vector<CVlanAddLogic::Step> steps = CVlanAddLogic::Steps(write);
    auto result = std::make_shared<CVlanAddLogic::WriteResult>();
    // The entries stay as they are while the write lasts; Cancel (or the close box) stops it.
    EnableDlgItem(IDOK, false);
    EnableDlgItem(IDC_VLANADD_ID_GROUP, false);
    EnableDlgItem(IDC_VLANADD_PORT_GROUP, false);
    m_writeSent = true;
    m_logic.ResetProgress();
    const std::string prefix = (write.add ? "Adding VLAN " : "Writing VLAN ") + write.vidText + ": ";
    m_run.Start(
        static_cast<int>(steps.size()),
        [this, steps, write, original = m_original, result](int i) {
            return m_logic.RunStep(steps[static_cast<size_t>(i)], write, original, *result);
        },
        [steps, prefix, add = write.add](int i, int n) {
            return ui::ToQ(prefix + StepProgress(add, steps[static_cast<size_t>(i)]) + " (" +
                           std::to_string(i + 1) + " of " + std::to_string(n) + ")...");
        },
        [this, write, steps, result](const StepsEnd& end) { OnWriteEnd(write, steps, *result, end); });
}

void CKSXVlanAdd::OnWriteEnd(const CVlanAddLogic::VlanWrite& write,
                             const std::vector<CVlanAddLogic::Step>& steps,
                             const CVlanAddLogic::WriteResult& result, const StepsEnd& end) {
    if (end.stopped) {
        // Closed during the write: the dialog is ending. An edit that may have changed the VLAN puts it
        // back as it was read, on sessions of its own after the dialog has gone, and says then what the
        // device holds.
        const std::string stopped = CVlanAddLogic::StoppedText(write, m_logic.Progress(), steps, end);
        const std::vector<CVlanAddLogic::Step> back =
            CVlanAddLogic::PutBackSteps(write, end.done + (end.inFlight ? 1 : 0));
        if (back.empty()) {
            AfxMessageBox(stopped, MB_OK);
            return;
        }
        auto logic = std::make_shared<CVlanAddLogic>();
        ui::StartAfterCloseRun(
            {vlan::kRowStatusColumn, std::to_string(m_nVid)},
            "Putting VLAN " + write.vidText + " back as it was", logic,
            {&logic->m_cCommonSNMP, &logic->m_cCommonSNMPEgrePort}, static_cast<int>(back.size()),
            [l = logic.get(), back, write, original = m_original](int i) {
                return l->PutBackStep(back[static_cast<size_t>(i)], write, original);
            },
            [stopped, write, back](const StepsEnd& putBackEnd) {
                const CVlanAddLogic::PutBack putBack{back, RunTally::Of(putBackEnd)};
                return stopped + " " + CVlanAddLogic::PutBackText(write, putBack);
            });
        return;
    }
    if (end.Complete()) {
        EndDialog(IDOK);
        return;
    }
    if (write.add && m_logic.Other().Found()) {
        // Another row of that VID, not active: replaced only on the user's Yes.
        if (AskReplace(m_logic.Other(), "VLAN " + write.vidText) && isVisible()) {
            StartWrite(write);
            return;
        }
        EnableDlgItem(IDC_VLANADD_ID_GROUP, true);
        EnableDlgItem(IDC_VLANADD_PORT_GROUP, true);
        UpdateOkState();
        return;
    }
    EnableDlgItem(IDC_VLANADD_ID_GROUP, true);
    EnableDlgItem(IDC_VLANADD_PORT_GROUP, true);
    UpdateOkState();
    AfxMessageBox(CVlanAddLogic::FailureText(write, result), MB_OK | MB_ICONERROR);
}

void CKSXVlanAdd::StartReads() {
    m_forbiddenRead = m_bAdd ? ReadState::kDone : ReadState::kPending;
    m_trunk->Read([this](const CTrunkGroups&) { UpdateOkState(); });
    if (!m_bAdd) {
        // The list does not carry the forbidden ports: read them, so that OK writes them back.
        m_forbiddenReader = std::make_unique<ksx::TableRead<std::string>>(
            m_cCommonSNMPForbidden,
            std::vector<std::string>{std::string(vlan::kForbiddenColumn) + "." + std::to_string(m_nVid)},
            [](const ksx::WalkStep& step) { return step.Text(0); });
        OwnReader(*m_forbiddenReader);
        m_forbiddenReader->onRow = [this](const std::string& bitmap) { m_forbiddenBitmap = bitmap; };
        m_forbiddenReader->onEnd = [this](const ksx::WalkEnd& end) {
            OnForbiddenRead(end.Ok(), m_forbiddenBitmap);
        };
        m_forbiddenReader->Read();
    }
    UpdateOkState();
}
