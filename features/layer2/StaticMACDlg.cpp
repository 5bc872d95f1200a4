// Static MAC dialog.
#include "features/layer2/StaticMACDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <algorithm>
#include <memory>
#include <vector>

#include "controls/ListCtrlEx.h"
#include "core/RowCreate.h"
#include "core/RunText.h"
#include "core/Utils.h"
#include "platform/snmplib/Tripwire.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_static_mac.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_STATIC_MAC, [] {
    CStaticMACDlg dlg;
    dlg.DoModal();
});

constexpr int kMaxEntries = 256;
const char kUplinkNeeded[] = "Please choose at least one uplink port when disabling auto learning.";
const char kVlanListFailed[] = "Failed to read the VLAN list.";
const char kLearningReadFailed[] = "Failed to read the MAC address learning state.";
const char kTrunkReadFailed[] = "Failed to read the trunk membership.";

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

}  // namespace

CStaticMACDlg::CStaticMACDlg(QWidget* parent) : CDialog(IDD_STATIC_MAC, parent) {
    OwnSessions(m_logic.Sessions());
}

CStaticMACDlg::~CStaticMACDlg() = default;

void CStaticMACDlg::CreateControls() {
    SetWindowText("Static MAC Configuration");
    ui::Form form(*this);

    ui::Form learning = form.Group("MAC Address Learning");
    learning.Row({learning.Radio(IDC_SMAC_LEARN_ENABLED, "Enabled"),
                  learning.Radio(IDC_SMAC_LEARN_DISABLED, "Disabled"), ui::Form::Stretch});
    QLineEdit* uplink = learning.Edit(IDC_SMAC_UPLINK);
    uplink->setMinimumWidth(160);
    learning.Row({"Uplink Port", uplink, "ex:(1,2,4-6) ", ui::Form::Stretch,
                  learning.Button(IDC_SMAC_APPLY, "&Apply")});

    ui::Form add = form.Group("Static MAC Address Add", IDC_SMAC_ADD_GROUP);
    QComboBox* port = add.Combo(IDC_SMAC_PORT);
    QLineEdit* mac = add.Edit(IDC_SMAC_MAC);
    mac->setMaxLength(17);
    mac->setMinimumWidth(150);
    QComboBox* vid = add.Combo(IDC_SMAC_VID);
    vid->setMinimumWidth(80);
    add.Row({"Port", port, "MAC Address", mac, "VID", vid, ui::Form::Stretch});
    add.Row({ui::Form::Stretch, add.Button(IDC_SMAC_ADD, "Add"), add.Button(IDC_SMAC_DELETE, "Delete"),
             add.Button(IDC_SMAC_REFRESH, "Refresh")});

    ui::Form lists = form.Group("Static MAC Address Lists ( Maximum Entries : 256 )", IDC_SMAC_LIST_GROUP);
    m_list = lists.Fill(RegisterControl(IDC_SMAC_LIST, new CListCtrlEx));
    form.Buttons({{IDC_SMAC_CLOSE, "Close"}});

    OnCommand(IDC_SMAC_ADD, [this] { OnAdd(); });
    OnCommand(IDC_SMAC_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_SMAC_REFRESH, [this] { Refresh(); });
    OnCommand(IDC_SMAC_APPLY, [this] { OnApplyLearning(); });
    OnCommand(IDC_SMAC_LEARN_ENABLED, [this] { OnLearningEnabled(); });
    OnCommand(IDC_SMAC_LEARN_DISABLED, [this] { OnLearningDisabled(); });
    OnCommand(IDC_SMAC_CLOSE, [this] { OnCancel(); });
    OnMessage(WM_STATICMAC_RESULT, [this](WPARAM w, LPARAM l) { return OnStaticMacResult(w, l); });
    OnMessage(WM_VLANLIST_DONE, [this](WPARAM w, LPARAM l) { return OnVlanListDone(w, l); });
    OnMessage(WM_STATICMAC_TRUNKS_DONE, [this](WPARAM w, LPARAM l) { return OnTrunksDone(w, l); });
}

int CStaticMACDlg::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_list->InsertColumn(0, "ID", LVCFMT_CENTER, 80);
    m_list->InsertColumn(1, "Port", LVCFMT_CENTER, 100);
    m_list->InsertColumn(2, "MAC Address", LVCFMT_CENTER, 200);
    m_list->InsertColumn(3, "VID", LVCFMT_CENTER, 140);
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_list->ModifyListStyle(0, LVS_SINGLESEL);
    m_list->setMinimumWidth(80 + 100 + 200 + 140 + 24);
    auto* port = Item<QComboBox>(IDC_SMAC_PORT);
    for (int p = 1; p <= g_nPortNum; ++p) {
        port->addItem(QString::number(p));
    }
    port->setCurrentIndex(0);
    m_logic.m_hOwner = this;
    m_logic.SetOwnerWnd(this);  // the base's reads report here too
    m_logic.onGlobals = [this](bool stateRead, bool uplinkRead) { OnGlobals(stateRead, uplinkRead); };
    Refresh();
    return 1;
}

void CStaticMACDlg::Refresh() {
    if (m_run.Running()) {
        return;
    }
    // Add and Delete check against the VLAN list, the table and the trunk membership: unavailable until
    // all three reads have ended. Apply waits for the learning state and the trunk membership.
    EnableDlgItem(IDC_SMAC_ADD, false);
    EnableDlgItem(IDC_SMAC_DELETE, false);
    EnableDlgItem(IDC_SMAC_REFRESH, false);
    m_bVlanListRead = false;
    m_bTableRead = false;
    m_bTrunksRead = false;
    m_logic.ReadVlanList();

    // The learning settings are read without holding the window; Apply waits for them.
    m_bLearningRead = false;
    m_bGlobalsDone = false;
    EnableDlgItem(IDC_SMAC_APPLY, false);
    m_logic.GetStaticMacGlobals();
}

void CStaticMACDlg::OnGlobals(bool stateRead, bool uplinkRead) {
    m_nLearningRadio = !stateRead ? -1 : (m_logic.m_strLearningState == "1" ? 0 : 1);
    SetDlgItemText(IDC_SMAC_UPLINK, m_logic.m_strUplinkPorts);
    EnableDlgItem(IDC_SMAC_UPLINK, m_nLearningRadio == 0);
    UpdateRadios();
    // A state or uplink set not read must not be written back by the next Apply, and Apply's trunk
    // check waits for the trunk membership.
    m_bLearningRead = stateRead && uplinkRead;
    EnableDlgItem(IDC_SMAC_APPLY, m_bLearningRead && m_bTrunksRead && !m_run.Running());
    if (!stateRead) {
        AfxMessageBox(kLearningReadFailed, MB_OK);
    } else if (!uplinkRead) {
        AfxMessageBox("Failed to read the uplink ports.", MB_OK);
    }
    m_bGlobalsDone = true;
    ReadsEnded();
}

void CStaticMACDlg::UpdateRadios() {
    CheckDlgButton(IDC_SMAC_LEARN_ENABLED, m_nLearningRadio == 0 ? 1 : 0);
    CheckDlgButton(IDC_SMAC_LEARN_DISABLED, m_nLearningRadio == 1 ? 1 : 0);
}

LRESULT CStaticMACDlg::OnVlanListDone(WPARAM wParam, LPARAM /*lParam*/) {
    auto* vid = Item<QComboBox>(IDC_SMAC_VID);
    vid->clear();
    m_bVlanListRead = wParam == 2;
    if (m_bVlanListRead) {
        for (const CModuleBase::VlanRow& row : m_logic.VlanListSnapshot()) {
            if (row.rowStatus == "1") {
                vid->addItem(QString::fromStdString(row.id));
            }
        }
        vid->setCurrentIndex(0);
    }
    // The table and the trunk membership after the list: the trunk read shares its session.
    m_list->DeleteAllItems();
    m_logic.StartStaticMacWalk();
    m_logic.ReadTrunkPorts();
    if (!m_bVlanListRead) {
        AfxMessageBox(kVlanListFailed, MB_OK);
    }
    return 0;
}

LRESULT CStaticMACDlg::OnStaticMacResult(WPARAM wParam, LPARAM lParam) {
    if (wParam == 0 && lParam != 0) {
        const auto& entry = *ksx::Record<StaticMacEntryText>(lParam);
        const int n = m_list->GetItemCount();
        m_list->SetItemTextEx(n, 0, QString::number(n + 1));
        m_list->SetItemTextEx(n, 1, QString::fromStdString(entry.port));
        m_list->SetItemTextEx(n, 2, QString::fromStdString(entry.mac));
        m_list->SetItemTextEx(n, 3, QString::fromStdString(entry.vlanId));
    } else if (wParam == 1) {
        m_bTableRead = true;
        ReadsEnded();
    }
    return 0;
}

LRESULT CStaticMACDlg::OnTrunksDone(WPARAM wParam, LPARAM /*lParam*/) {
    m_bTrunksRead = true;
    EnableDlgItem(IDC_SMAC_APPLY, m_bLearningRead && !m_run.Running());
    ReadsEnded();
    if (wParam != 1) {
        AfxMessageBox(kTrunkReadFailed, MB_OK);
    }
    return 0;
}

void CStaticMACDlg::ReadsEnded() {
    // A run of Add, Delete or Apply keeps them unavailable until it ended.
    if (!m_bTableRead || !m_bTrunksRead || !m_bGlobalsDone || m_run.Running()) {
        return;
    }
    EnableDlgItem(IDC_SMAC_ADD, m_bVlanListRead);
    EnableDlgItem(IDC_SMAC_DELETE, true);
    EnableDlgItem(IDC_SMAC_REFRESH, true);
}

void CStaticMACDlg::ResetInputs() {
    Item<QComboBox>(IDC_SMAC_VID)->setCurrentIndex(0);
    Item<QComboBox>(IDC_SMAC_PORT)->setCurrentIndex(0);
    SetDlgItemText(IDC_SMAC_MAC, "");
}

void CStaticMACDlg::DisableButtons() {
    for (int id : {IDC_SMAC_ADD, IDC_SMAC_DELETE, IDC_SMAC_APPLY, IDC_SMAC_REFRESH}) {
        EnableDlgItem(id, false);
    }
}

void CStaticMACDlg::RestoreButtons() {
    EnableDlgItem(IDC_SMAC_APPLY, m_bLearningRead && m_bTrunksRead);
    ReadsEnded();
}

void CStaticMACDlg::OnAdd() {
    if (m_run.Running()) {
        return;
    }
    if (m_list->GetItemCount() >= kMaxEntries) {
        AfxMessageBox("Only support 256  Static Mac entries.", MB_OK);
        ResetInputs();
        return;
    }
    StaticMacEntryText entry;
    entry.mac = GetDlgItemText(IDC_SMAC_MAC);
    entry.vlanId = GetDlgItemText(IDC_SMAC_VID);
    entry.port = GetDlgItemText(IDC_SMAC_PORT);
    DisableButtons();
    auto asymmetric = std::make_shared<std::string>();
    m_run.Runner().SetCancel([this] { m_logic.CancelRequests(); });
    m_run.Start(
        1,
        [this, asymmetric](int) {
            *asymmetric = m_logic.GetAsymmetricVlanState();
            return m_run.Runner().Stopping() ? StepOutcome::Failed("") : StepOutcome::Done();
        },
        [](int, int) { return QString("Reading the asymmetric VLAN state..."); },
        [this, asymmetric, entry](const StepsEnd& end) {
            if (end.stopped) {
                AfxMessageBox(StoppedAddText("the static MAC entry", AddProgress()), MB_OK);
                return;
            }
            if (*asymmetric == "1" && entry.vlanId != "1") {
                AfxMessageBox("The VLAN ID must equal to 1 when asymmetric VLAN enable.", MB_OK);
                ResetInputs();
                RestoreButtons();
                return;
            }
            if (!CUtils::ValidateMacText(entry.mac, false)) {
                ResetInputs();
                RestoreButtons();
                return;
            }
            AddEntry(entry);
        });
}

void CStaticMACDlg::AddEntry(const StaticMacEntryText& entry) {
    // What the checks after the device MAC compare with, taken here on the window's thread.
    const int port = std::atoi(entry.port.c_str());
    const bool trunkPort = m_logic.TrunkLoaded() && !m_logic.TrunkPortsInRange(port, port).empty();
    bool listed = false;
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        listed = listed || (Upper(m_list->GetItemText(row, 2).toStdString()) == Upper(entry.mac) &&
                            m_list->GetItemText(row, 3).toStdString() == entry.vlanId);
    }
    struct Outcome {
        bool resetInputs = false;  // a refusal of the entry empties the fields
        bool written = false;      // the device accepted the row
        RowAdded made = RowAdded::kStopped;
    };
    auto outcome = std::make_shared<Outcome>();
    auto progress = std::make_shared<AddProgress>();
    m_other.Begin();
    auto step = [this, entry, trunkPort, listed, outcome, progress](int i) {
        if (i == 0) {
            std::string deviceMac;
            m_logic.GetSystemMac(deviceMac);
            if (m_run.Runner().Stopping()) {
                return StepOutcome::Failed("");
            }
            if (!deviceMac.empty() && Upper(entry.mac) == Upper(deviceMac)) {
                return StepOutcome::Failed("Could not be device MAC.");
            }
            outcome->resetInputs = true;
            if (trunkPort) {
                return StepOutcome::Failed(
                    "Cannot add  ports with different FDB-destination-hit configurations to an aggregated "
                    "link.");
            }
            if (listed) {
                return StepOutcome::Failed("The entry is already in the Static MAC Address List.");
            }
            return StepOutcome::Done();
        }
        const RowAdded made = m_logic.AddStaticMacEntry(
            entry, [this] { return m_run.Runner().Stopping(); }, progress.get(), &m_other);
        outcome->made = made;
        switch (made) {
            case RowAdded::kCreated:
            case RowAdded::kFinished:
                progress->Confirm();
                outcome->written = true;
                return StepOutcome::Done();
            case RowAdded::kStopped:
                return StepOutcome::Unanswered();  // said by the add's progress
            case RowAdded::kRefused:
                return StepOutcome::Done();  // told below
            default:
                return StepOutcome::Failed(
                    RowAddedText(made, "the static MAC entry", "Failed to add the static MAC entry: "));
        }
    };
    auto text = [](int i, int) {
        return QString(i == 0 ? "Reading the device MAC..." : "Adding the static MAC entry...");
    };
    m_run.Start(2, step, text, [this, outcome, progress, entry](const StepsEnd& end) {
        if (end.stopped) {
            AfxMessageBox(StoppedAddText("the static MAC entry", *progress), MB_OK);
            return;
        }
        if (m_other.Found()) {
            // Another entry of that index, not active: replaced only on the user's Yes.
            if (AskReplace(m_other, "the static MAC entry") && isVisible()) {
                AddEntry(entry);
            } else {
                RestoreButtons();
            }
            return;
        }
        if (end.failed) {
            AfxMessageBox(end.failure, MB_OK);
            if (outcome->resetInputs) {
                ResetInputs();
            }
            RestoreButtons();
            return;
        }
        if (!outcome->written) {
            AfxMessageBox(
                RowAddedText(outcome->made, "the static MAC entry", "Failed to add the static MAC entry: "),
                MB_OK);
        }
        ResetInputs();
        if (isVisible()) {
            Refresh();
        }
    });
}

void CStaticMACDlg::OnDelete() {
    if (m_run.Running()) {
        return;
    }
    const int row = m_list->GetFirstSelectedItem();
    if (row < 0) {
        AfxMessageBox("Please select the entry to delete.", MB_OK);
        return;
    }
    // Deleting an entry has nothing to do with the learning settings: no uplink check here.
    StaticMacEntryText entry;
    entry.port = m_list->GetItemText(row, 1).toStdString();
    entry.mac = m_list->GetItemText(row, 2).toStdString();
    entry.vlanId = m_list->GetItemText(row, 3).toStdString();
    DisableButtons();
    m_run.Runner().SetCancel([this] { m_logic.CancelRequests(); });
    m_run.Start(
        1,
        [this, entry](int) {
            if (m_run.Runner().Stopping()) {
                return StepOutcome::NothingSent();
            }
            const SnmpAnswer answer = tripwire::AsUserDelete(
                [&] { return m_logic.SetStaticMacEntry(entry, CStaticMACLogic::ACTION_DELETE); });
            StepOutcome out = StepOutcome::Of(answer);
            out.failure = AnswerText(answer, {"it"}, "Failed to delete the static MAC entry:", "deleted");
            return out;
        },
        [](int, int) { return QString("Deleting the static MAC entry..."); },
        [this](const StepsEnd& end) {
            if (!end.Complete()) {
                AfxMessageBox(RunEndText(end, ListNamer({{"the static MAC entry"}}), "deleted"), MB_OK);
            }
            if (end.stopped) {
                return;
            }
            if (isVisible()) {
                Refresh();
            }
        });
}

void CStaticMACDlg::OnApplyLearning() {
    if (m_run.Running()) {
        return;
    }
    if (m_nLearningRadio < 0 && IsDlgButtonChecked(IDC_SMAC_LEARN_ENABLED) != 1 &&
        IsDlgButtonChecked(IDC_SMAC_LEARN_DISABLED) != 1) {
        return;  // neither chosen: the state was never read
    }
    const bool enabled = IsDlgButtonChecked(IDC_SMAC_LEARN_ENABLED) == 1;
    const std::string state = enabled ? "1" : "2";
    const std::string uplink = GetDlgItemText(IDC_SMAC_UPLINK);
    if (!CUtils::IsPortListText(uplink)) {
        AfxMessageBox("Invalid Portlist.", MB_OK);
        Refresh();
        return;
    }
    std::vector<int> flags(static_cast<size_t>(std::max(g_nPortNum, 0)), 0);
    if (!CUtils::ParsePortList(uplink, flags.data())) {
        Refresh();
        return;
    }
    const std::vector<int> trunks = m_logic.TrunkPortsSnapshot();
    for (size_t i = 0; i < trunks.size() && i < flags.size(); ++i) {
        if (trunks[i] != 0 && flags[i] == 0) {
            AfxMessageBox("Cannot add a Auto-learn disabled port to an aggregated link.", MB_OK);
            Refresh();
            return;
        }
    }
    if (enabled && m_list->GetItemCount() == 0 && uplink.empty()) {
        AfxMessageBox(kUplinkNeeded, MB_OK);
        Refresh();
        return;
    }
    // The state, then for "1" the uplink ports; a write not accepted ends the run.
    const int writes = enabled && !uplink.empty() ? 2 : 1;
    DisableButtons();
    m_run.Runner().SetCancel([this] { m_logic.CancelRequests(); });
    auto step = [this, state, uplink](int i) {
        if (m_run.Runner().Stopping()) {
            return StepOutcome::NothingSent();
        }
        return StepOutcome::Of(i == 0 ? m_logic.SetLearningState(state) : m_logic.SetUplinkPorts(uplink));
    };
    auto text = [](int i, int) {
        return QString(i == 0 ? "Writing the MAC address learning state..." : "Writing the uplink ports...");
    };
    m_run.Start(writes, step, text, [this, enabled, uplink](const StepsEnd& end) {
        const StepsNamer names = ListNamer({{"the MAC address learning state"}, {"the uplink ports", true}});
        if (end.stopped) {
            AfxMessageBox(RunEndText(end, names), MB_OK);
            return;
        }
        if (end.failed) {
            AfxMessageBox(RunEndText(end, names) + " The settings it holds are shown.", MB_OK);
        } else if (enabled && uplink.empty()) {
            // Learning on with no uplink port: the state alone was written.
            AfxMessageBox("Please input port value.", MB_OK);
        }
        if (isVisible()) {
            Refresh();
        }
    });
}

void CStaticMACDlg::OnRadio() {
    m_nLearningRadio = IsDlgButtonChecked(IDC_SMAC_LEARN_ENABLED) == 1 ? 0 : 1;
    EnableDlgItem(IDC_SMAC_UPLINK, m_nLearningRadio == 0);
}

void CStaticMACDlg::OnLearningEnabled() {
    OnRadio();
}

void CStaticMACDlg::OnLearningDisabled() {
    OnRadio();
}

int CStaticMACDlg::DestroyWindow() {
    m_logic.CloseSessions();
    return CDialog::DestroyWindow();
}
