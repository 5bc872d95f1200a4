// Auto surveillance VLAN dialog: settings and device table.
#include "features/vlan/CameraVlanSetting.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <algorithm>
#include <atomic>
#include <memory>

#include "controls/ListCtrlEx.h"
#include "core/CodeConvert.h"
#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "features/common/AfterCloseRun.h"
#include "features/vlan/CameraDeviceTable.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_surveillance.h"
#include "res/resource.h"

using namespace ksx;
using namespace camvlan;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_SURVEILLANCE_VLAN, [] {
    CCameraVlanSetting dlg;
    dlg.DoModal();
});

const char* const kTextReadFailed = "Reading the device failed. Press Refresh to try again.";

enum DeviceListColumn { kColId, kColType, kColDescription, kColMac };

// The device's settle time after a write, before the re-read.
const ksx::Tunable kSettleMs("surveillance.settle-ms", 50);

// The six octets of a dotted MAC index ("0.17.34.0.0.0"); empty when it is not one.
std::string IndexOctets(const std::string& index) {
    std::string octets;
    size_t pos = 0;
    while (pos <= index.size()) {
        const size_t dot = index.find('.', pos);
        const std::string arc = index.substr(pos, dot == std::string::npos ? std::string::npos : dot - pos);
        if (arc.empty() || arc.size() > 3 || arc.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(arc) > 255) {
            return std::string();
        }
        octets.push_back(static_cast<char>(std::stoi(arc)));
        if (dot == std::string::npos) {
            break;
        }
        pos = dot + 1;
    }
    return octets.size() == 6 ? octets : std::string();
}

}  // namespace

CCameraVlanSetting::CCameraVlanSetting(QWidget* parent)
    : CDialog(IDD_SURVEILLANCE_VLAN, parent),
      m_vlanIdWalk(m_cCommonSNMPVlanIds, {kVlanNameCol},
                   [](const WalkStep& step) { return std::optional<std::string>(step.Index(0)); }),
      m_globalsRead(m_cCommonSNMPGet, {kStateOid, kVlanIdOid, kPriorityOid, kPortsOid},
                    [](const WalkStep& step) -> std::optional<Globals> {
                        // All four are written back by Apply: one missing or of another type fails the read.
                        const auto state = step.Integer(0);
                        const auto vlanId = step.Integer(1);
                        const auto priority = step.Integer(2);
                        const auto ports = step.Octets(3);
                        if (!state || !vlanId || !priority || !ports) {
                            step.Reject();
                            return std::nullopt;
                        }
                        return Globals{std::to_string(*state), std::to_string(*vlanId),
                                       std::to_string(*priority), *ports};
                    }),
      m_deviceWalk(m_cCommonSNMPTable, {kDevTypeCol, kDevDescCol, kDevMacCol, kDevStatusCol},
                   [](const WalkStep& step) {
                       DeviceRow row;
                       row.type = step.Text(0);
                       std::string description;
                       CCodeConvert::UTF8ToAnsi(SameRowText(step, 1), &description);
                       row.description = description;
                       // A MAC value shorter than six octets is not formatted; the row's index holds
                       // the same six octets.
                       std::string octets = SameRowText(step, 2);
                       if (octets.size() < 6) {
                           octets = IndexOctets(step.Index(0));
                       }
                       row.mac = DeviceTableMacText(octets);
                       return std::optional<DeviceRow>(row);
                   }),
      m_voiceOuiWalk(m_cCommonSNMPVoiceOui, {kVoiceOuiCol, kVoiceOuiFourthCol}, [](const WalkStep& step) {
          const std::string octets = step.Text(0);
          if (octets.size() < 3) {
              return std::optional<VoiceOui>();  // no OUI to compare with
          }
          std::string padded = octets.substr(0, 3) + std::string(3, '\0');
          std::string digits = FormatMac(padded);
          digits.erase(std::remove(digits.begin(), digits.end(), '-'), digits.end());
          return std::optional<VoiceOui>(VoiceOui{digits.substr(0, 6), SameRowText(step, 1)});
      }) {
    OwnSessions(m_trunk.Sessions());
    OwnReader(m_vlanIdWalk);
    OwnReader(m_globalsRead);
    OwnReader(m_deviceWalk);
    OwnReader(m_voiceOuiWalk);
    for (CCommonSNMP* session : {&m_cCommonSNMP, &m_cCommonSNMPSet, &m_cCommonSNMPGet, &m_cCommonSNMPTable,
                                 &m_cCommonSNMPVoiceOui, &m_cCommonSNMPVlanIds}) {
        OwnSession(*session);
    }
    m_trunk.onEnd = [this](const WalkEnd& end) {
        if (!end.stale) {
            ReadEnded(end.AtEnd(), &m_bTrunkRead);
        }
    };
    OnCommand(IDC_SURV_ENABLE, [this] { OnEnableClicked(); });
    OnCommand(IDC_SURV_APPLY, [this] { OnApply(); });
    OnCommand(IDC_SURV_ADD, [this] { OnAdd(); });
    OnCommand(IDC_SURV_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_SURV_REFRESH, [this] { RefreshAll(); });
    OnCommand(IDC_SURV_CLOSE, [this] { EndDialog(IDCANCEL); });
    ui::OnAfterCloseRunEnd(this, kDevStatusCol, [this] {
        if (isVisible()) {
            RefreshAll();
        }
    });
    OnNotify(CBN_SELCHANGE, IDC_SURV_MODE, Handler([this] { OnModeChange(); }));

    m_vlanIdWalk.onRow = [this](const std::string& id) { m_aVlanIds.push_back(id); };
    m_vlanIdWalk.onEnd = [this](const WalkEnd& end) {
        if (end.stale) {
            return;
        }
        ReadEnded(end.AtEnd(), &m_bVlanIdsRead);
        // The settings are read once the VLAN ids are known; a failed walk skips them.
        if (end.AtEnd()) {
            ReadSurveillanceGlobals();
        } else {
            ReadEnded(false, &m_bGlobalsRead);
        }
    };
    m_globalsRead.onRow = [this](const Globals& g) { ShowGlobals(g); };
    m_globalsRead.onEnd = [this](const WalkEnd& end) {
        if (!end.stale) {
            ReadEnded(end.Ok() && end.rows > 0, &m_bGlobalsRead);
        }
    };
    m_deviceWalk.onRow = [this](const DeviceRow& row) { AddDeviceRow(row); };
    m_deviceWalk.onEnd = [this](const WalkEnd& end) {
        if (!end.stale) {
            m_bTableWalking = false;
            ReadEnded(end.AtEnd(), &m_bTableRead);
        }
    };
    m_voiceOuiWalk.onRow = [this](const VoiceOui& v) { m_aVoiceOuis.push_back(v); };
    m_voiceOuiWalk.onEnd = [this](const WalkEnd& end) {
        if (!end.stale) {
            ReadEnded(end.AtEnd(), &m_bVoiceOuisRead);
        }
    };
}

CCameraVlanSetting::~CCameraVlanSetting() = default;

void CCameraVlanSetting::CreateControls() {
    SetWindowText("Auto Surveillance VLAN Settings");
    ui::Form form(*this);

    auto global = form.Group("Auto Surveillance VLAN Global Settings", IDC_SURV_GLOBAL_GROUP);
    m_chkEnable = global.Check(IDC_SURV_ENABLE, "Enable Auto Surveillance VLAN");
    global.Row({m_chkEnable, ui::Form::Stretch});
    m_editVlanId = global.Edit(IDC_SURV_VLAN_ID);
    m_editVlanId->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), m_editVlanId));
    m_cbPriority = global.Combo(IDC_SURV_PRIORITY);
    for (int i = 0; i <= 7; ++i) {
        m_cbPriority->addItem(QString::number(i));
    }
    m_cbPriority->setCurrentIndex(-1);
    global.Row({global.Label("Vlan ID", IDC_SURV_VLAN_ID_LABEL), m_editVlanId,
                global.Label("Priority", IDC_SURV_PRIORITY_LABEL), m_cbPriority, ui::Form::Stretch});
    m_editPorts = global.Edit(IDC_SURV_PORTS);
    m_editPorts->setMinimumWidth(200);
    global.Row({global.Label("Tagged Uplink/Downlink Port", IDC_SURV_PORTS_LABEL), m_editPorts,
                global.Label("ex:(1,2,4-6)", IDC_SURV_PORTS_HINT), ui::Form::Stretch,
                global.Button(IDC_SURV_APPLY, "&Apply")});

    auto user = form.Group("User-defined MAC Settings ", IDC_SURV_USER_GROUP);
    user.Note("To add more device(s) for Auto Surveillance VLAN by user-defined configuration as below ",
              IDC_SURV_USER_TEXT);
    m_cbType = user.Combo(IDC_SURV_COMPONENT_TYPE);
    for (const std::string& text : OfferedComponentTypes()) {
        m_cbType->addItem(QString::fromStdString(text));
    }
    m_cbType->setCurrentIndex(0);
    m_editDescription = user.Edit(IDC_SURV_DESCRIPTION);
    m_editDescription->setMaxLength(20);
    user.Row({user.Label("Component Type ", IDC_SURV_TYPE_LABEL), m_cbType,
              user.Label("Description", IDC_SURV_DESCRIPTION_LABEL), m_editDescription, ui::Form::Stretch});
    m_cbMode = user.Combo(IDC_SURV_MODE, true);
    m_cbMode->addItems({"MAC", "OUI"});
    m_cbMode->setCurrentIndex(0);
    m_editMac = user.Edit(IDC_SURV_MAC);
    m_editMac->setMaxLength(17);
    m_editMac->setMinimumWidth(160);
    user.Row({m_cbMode, m_editMac, user.Label("(XX-XX-XX-XX-XX-XX)", IDC_SURV_MAC_HINT), ui::Form::Stretch,
              user.Button(IDC_SURV_ADD, "&Add")});
    m_list = RegisterControl(IDC_SURV_LIST, new CListCtrlEx);
    m_list->InsertColumn(kColId, "ID", LVCFMT_CENTER, 50);
    m_list->InsertColumn(kColType, "Component Type", LVCFMT_CENTER, 200);
    m_list->InsertColumn(kColDescription, "Description", LVCFMT_CENTER, 200);
    m_list->InsertColumn(kColMac, "MAC Address", LVCFMT_CENTER, 200);
    m_list->ModifyListStyle(0, LVS_SINGLESEL);
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_list->setMinimumSize(680, 190);
    user.Fill(m_list);
    user.Row({user.Label("Note : Maximum number of user-defined MAC is 5 entries", IDC_SURV_NOTE),
              ui::Form::Stretch, user.Button(IDC_SURV_DELETE, "&Delete")});

    form.Note("", IDC_SURV_READ_STATUS);
    form.Buttons({{IDC_SURV_REFRESH, "&Refresh"}, {IDC_SURV_CLOSE, "&Close"}});
}

int CCameraVlanSetting::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_PortFlags.assign(static_cast<size_t>(std::max(g_nPortNum, 0)), 0);
    m_strReadState = "2";
    RefreshAll();
    return 1;
}

std::vector<std::string> CCameraVlanSetting::ListMacTexts() const {
    std::vector<std::string> out;
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        out.push_back(m_list->GetItemText(row, kColMac).toStdString());
    }
    return out;
}

// ---- Reading ----

void CCameraVlanSetting::RefreshAll() {
    if (m_run.Running()) {
        return;
    }
    m_bVlanIdsRead = m_bGlobalsRead = m_bVoiceRead = m_bTrunkRead = m_bTableRead = m_bVoiceOuisRead = false;
    m_pendingReads = 6;      // VLAN ids, settings, trunks, voice VLAN, device table, voice OUIs
    m_globalsRead.Detach();  // a read of the last refresh does not count for this one
    SetDlgItemText(IDC_SURV_READ_STATUS, std::string());
    m_trunk.ReadTrunkPorts();
    ReadVlanIds();
    ReadVoiceAndAsymmetric();
    m_list->DeleteAllItems();
    ReadDeviceTable();
    ReadVoiceOuiTable();
    UpdateControls();
}

void CCameraVlanSetting::ReadEnded(bool ok, bool* flag) {
    *flag = ok;
    if (m_pendingReads > 0 && --m_pendingReads == 0) {
        ++m_refreshesEnded;
    }
    if (!ok) {
        SetDlgItemText(IDC_SURV_READ_STATUS, kTextReadFailed);
    }
    UpdateControls();
}

void CCameraVlanSetting::ReadVlanIds() {
    m_aVlanIds.clear();
    m_vlanIdWalk.Walk();
}

void CCameraVlanSetting::ReadSurveillanceGlobals() {
    m_globalsRead.Read();
}

void CCameraVlanSetting::ReadVoiceAndAsymmetric() {
    struct Voice {
        bool read = false;
        long long asymmetric = 0, state = 0, vlanId = 0;
    };
    auto voice = std::make_shared<Voice>();
    m_run.Runner().SetCancel([this] { m_cCommonSNMP.Cancel(); });
    auto step = [this, voice](int) {
        m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
        m_cCommonSNMP.AddVarBind(kAsymmetricOid, 4, nullptr);
        m_cCommonSNMP.AddVarBind(kVoiceStateOid, 4, nullptr);
        m_cCommonSNMP.AddVarBind(kVoiceVlanIdOid, 4, nullptr);
        const SnmpReply reply = GetNextRequest(m_cCommonSNMP);
        if (!reply.Accepted()) {
            TRACE("--------iStatus = %d, error status %d", reply.status, reply.ErrorStatus());
            return StepOutcome::Done();
        }
        // The refusals of Apply are decided by these: each must be read as a number.
        const auto asymmetric = reply.Integer(0);
        const auto state = reply.Integer(1);
        const auto vlanId = reply.Integer(2);
        if (asymmetric && state && vlanId) {
            *voice = {true, *asymmetric, *state, *vlanId};
        }
        return StepOutcome::Done();
    };
    m_run.Start(
        1, step, [](int, int) { return QString("Reading the voice and asymmetric VLAN..."); },
        [this, voice](const StepsEnd& end) {
            if (end.stopped) {
                return;  // the dialog is ending
            }
            if (voice->read) {
                m_nAsymmetricState = voice->asymmetric == 1 ? 1 : 2;
                m_nVoiceState = voice->state == 1 ? 1 : 2;
                m_nVoiceVlanId = static_cast<int>(voice->vlanId);
            }
            ReadEnded(voice->read, &m_bVoiceRead);
        });
}

void CCameraVlanSetting::ReadDeviceTable() {
    m_bTableWalking = true;
    m_deviceWalk.Walk();
}

void CCameraVlanSetting::ReadVoiceOuiTable() {
    m_aVoiceOuis.clear();
    m_voiceOuiWalk.Walk();
}

void CCameraVlanSetting::ShowGlobals(const Globals& g) {
    m_strReadState = g.state;
    m_chkEnable->setChecked(g.state == "1");
    m_editVlanId->setText(QString::fromStdString(g.vlanId));
    const int priority = text::LeadingInt(g.priority);
    m_cbPriority->setCurrentIndex(priority >= 0 && priority < m_cbPriority->count() ? priority : -1);
    std::string ranges;
    const int octets = std::min(static_cast<int>(g.ports.size()), 8);
    CUtils::BitmapToRangeText(reinterpret_cast<const unsigned char*>(g.ports.data()), octets, 1, g_nPortNum,
                              &ranges);
    m_editPorts->setText(QString::fromStdString(ranges));
    UpdateControls();
}

void CCameraVlanSetting::AddDeviceRow(const DeviceRow& row) {
    const int n = m_list->GetItemCount();
    m_list->SetItemTextEx(n, kColId, QString::number(n + 1));
    m_list->SetItemTextEx(n, kColType, QString::fromStdString(ComponentTypeText(row.type)));
    m_list->SetItemTextEx(n, kColDescription, QString::fromStdString(row.description));
    m_list->SetItemTextEx(n, kColMac, QString::fromStdString(row.mac));
}

void CCameraVlanSetting::UpdateControls() {
    const bool checked = m_chkEnable->isChecked();
    for (int id : {IDC_SURV_PRIORITY, IDC_SURV_COMPONENT_TYPE, IDC_SURV_DESCRIPTION, IDC_SURV_MAC,
                   IDC_SURV_PORTS, IDC_SURV_VLAN_ID, IDC_SURV_MODE}) {
        EnableDlgItem(id, checked);
    }
    // The checks of Apply compare with the VLAN ids, the voice and asymmetric VLAN, the trunks and what
    // the device holds now; those of Add with the device table and the voice OUIs.
    // None of them while a read or write of the run is under way.
    // An entry left half-made by a stopped add is removed after its dialog has gone: Add and Delete wait
    // for that.
    const bool idle = !m_run.Running();
    const bool removing = ui::AfterCloseRunWriting(kDevStatusCol);
    EnableDlgItem(IDC_SURV_APPLY, idle && m_bVlanIdsRead && m_bGlobalsRead && m_bVoiceRead && m_bTrunkRead);
    EnableDlgItem(IDC_SURV_ADD, idle && !removing && checked && m_bTableRead && m_bVoiceOuisRead);
    EnableDlgItem(IDC_SURV_DELETE,
                  idle && !removing && m_strReadState == "1" && !m_bTableWalking && m_bTableRead);
    EnableDlgItem(IDC_SURV_REFRESH, idle && !m_bTableWalking);
}

// ---- Settings ----

void CCameraVlanSetting::OnEnableClicked() {
    UpdateControls();
}

void CCameraVlanSetting::OnApply() {
    if (m_run.Running()) {
        return;
    }
    const std::string state = m_chkEnable->isChecked() ? "1" : "2";
    const int priority = m_cbPriority->currentIndex();
    const std::string vlanIdText = m_editVlanId->text().toStdString();
    const std::string portsText = m_editPorts->text().toStdString();

    SettingsInput in;
    in.asymmetricState = m_nAsymmetricState;
    in.voiceState = m_nVoiceState;
    in.voiceVlanId = m_nVoiceVlanId;
    in.vlanIdText = vlanIdText;
    in.portsText = portsText;
    bool refresh = false;
    const std::string refusal = CheckSettings(in, &refresh);
    if (!refusal.empty()) {
        AfxMessageBox(refusal, MB_OK);
        if (refresh) {
            RefreshAll();
        }
        return;
    }
    std::fill(m_PortFlags.begin(), m_PortFlags.end(), 0);
    if (!CUtils::ParsePortList(portsText, m_PortFlags.data())) {
        RefreshAll();
        return;
    }
    if (!m_trunk.CheckTrunkConsistency(m_PortFlags.data())) {
        AfxMessageBox(kTextTrunk, MB_OK);
        RefreshAll();
        return;
    }
    std::string hex;
    CUtils::PortArrayToHex(m_PortFlags.data(), hex);
    CUtils::PadPortHex(hex);
    const std::vector<unsigned char> octets = CUtils::HexToBytes(hex);
    m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);

    if (state == "1") {
        // Without a chosen priority there is nothing sound to write.
        if (priority < 0) {
            AfxMessageBox(kTextSelectPriority, MB_OK);
            return;
        }
        const int vlanId = text::LeadingInt(vlanIdText);
        for (const std::string& id : m_aVlanIds) {
            if (text::LeadingInt(id) != vlanId) {
                continue;
            }
            char question[256];
            std::snprintf(question, sizeof question, kTextVlanExists.c_str(), vlanId, vlanId);
            if (AfxMessageBox(question, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
                RefreshAll();
                return;
            }
        }
        if (m_strReadState == "2" && g_strDeviceName.find_first_of("pP") != std::string::npos) {
            AfxMessageBox(kTextPoeNotice, MB_OK);
        }
        const std::string priorityText = std::to_string(priority);
        m_cCommonSNMPSet.AddVarBind(kVlanIdOid, 1, vlanIdText.c_str());
        m_cCommonSNMPSet.AddVarBind(kPriorityOid, 1, priorityText.c_str());
        m_cCommonSNMPSet.AddVarBind(kPortsOid, 2, reinterpret_cast<const char*>(octets.data()),
                                    static_cast<int>(octets.size()));
    }
    m_cCommonSNMPSet.AddVarBind(kStateOid, 1, state.c_str());
    // The write off the window's thread; the device settles before everything is read again.
    m_run.Runner().SetCancel([this] { m_cCommonSNMPSet.Cancel(); });
    m_run.Start(
        1,
        [this](int) {
            const SnmpReply reply = SendRequest(m_cCommonSNMPSet);
            if (!reply.Accepted()) {
                TRACE("--------iStatus = %d, error status %d", reply.status, reply.ErrorStatus());
                return StepOutcome::Of(reply.Answer());
            }
            m_run.Runner().Pause(static_cast<unsigned>(std::max(kSettleMs.Get(), 0)));
            return StepOutcome::Done();
        },
        [](int, int) { return QString("Writing the surveillance VLAN settings..."); },
        [this](const StepsEnd& end) {
            const std::string text = RunEndText(end, ListNamer({{"the surveillance VLAN settings", true}}));
            if (end.stopped) {
                // Closed during the write: the dialog is ending.
                if (end.done == 0) {
                    AfxMessageBox(text, MB_OK);
                }
                return;
            }
            if (end.failed) {
                AfxMessageBox(text + " The settings it holds are shown.", MB_OK);
            }
            if (isVisible()) {
                RefreshAll();
            }
        });
    UpdateControls();
}

// ---- Device table ----

void CCameraVlanSetting::OnModeChange() {
    m_editMac->clear();
    m_editMac->setMaxLength(m_cbMode->currentText() == "OUI" ? 8 : 17);
}

bool CCameraVlanSetting::ValidateDeviceEntry(const std::string& description, const std::string& mac) {
    const std::string refusal = CheckDeviceEntry(description, mac, m_aVoiceOuis, ListMacTexts());
    if (!refusal.empty()) {
        AfxMessageBox(refusal, MB_OK);
        return false;
    }
    return true;
}

void CCameraVlanSetting::OnAdd() {
    if (m_run.Running()) {
        return;
    }
    const std::string type = std::to_string(m_cbType->currentIndex());
    const std::string description = m_editDescription->text().toStdString();
    std::string mac = m_editMac->text().toStdString();
    const bool oui = m_cbMode->currentText() == "OUI";
    if (oui) {
        mac += "-00-00-00";
    }
    if (!ValidateDeviceEntry(description, mac)) {
        return;
    }
    StartDeviceAdd(type, description, mac, oui);
}

void CCameraVlanSetting::StartDeviceAdd(const std::string& type, const std::string& description,
                                        const std::string& mac, bool oui) {
    const std::string index = MacIndex(mac);
    const auto typeAndMask = [type, oui, index](CCommonSNMP& session) {
        static const unsigned char kOuiMask[6] = {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00};
        session.AddVarBind(kDevTypeCol + index, 1, type.c_str());
        if (oui) {
            session.AddVarBind(kDevMaskCol + index, 2, reinterpret_cast<const char*>(kOuiMask), 6);
        }
    };
    // Off the window's thread: the row created, then filled; each accepted write lets the device settle.
    // A row whose columns were refused would count toward the limit, so it is removed again.
    auto halfMade = std::make_shared<bool>(false);
    auto progress = std::make_shared<AddProgress>();
    m_other.Begin();
    const unsigned settleMs = static_cast<unsigned>(std::max(kSettleMs.Get(), 0));
    m_run.Runner().SetCancel([this] { m_cCommonSNMP.Cancel(); });
    auto finished = std::make_shared<bool>(false);
    auto step = [this, index, description, typeAndMask, halfMade, finished, progress, settleMs](int i) {
        if (i == 1 && *finished) {
            return StepOutcome::Done();  // the create's own check wrote the settings
        }
        const auto fill = [&] { return FillDeviceRow(m_cCommonSNMP, index, description, typeAndMask); };
        const auto stopping = [this] { return m_run.Runner().Stopping(); };
        if (i == 0) {
            const RowAdded made = CreateDeviceRow(
                m_cCommonSNMP, index,
                [&] {
                    const bool written = fill().Accepted();
                    if (written) {
                        progress->Confirm();
                    }
                    return written;
                },
                stopping, progress.get(), &m_other);
            *finished = made == RowAdded::kFinished;
            const bool accepted = made == RowAdded::kCreated || *finished;
            if (m_run.Runner().Stopping()) {
                return accepted ? StepOutcome::Done() : StepOutcome::Failed("");
            }
            if (made == RowAdded::kCreated) {
                progress->Enter(AddStage::kColumns);  // active with the device's defaults: not added yet
            }
            if (!accepted) {
                // A create nobody answered may have changed the table.
                *halfMade =
                    made != RowAdded::kRefused && made != RowAdded::kNotMade && made != RowAdded::kActive;
                return StepOutcome::Failed(CreateFailureText(made));
            }
        } else if (const SnmpAnswer written = fill(); !written.Accepted()) {
            StepOutcome out = StepOutcome::Of(written);
            if (!m_run.Runner().Stopping()) {
                progress->Refuse();  // the row it made is removed now
                *halfMade = true;
                out.failure =
                    FillFailureText(written, RemoveAddedDeviceRow(m_cCommonSNMP, index, progress->Owner()));
            }
            return out;
        }
        m_run.Runner().Pause(settleMs);
        return StepOutcome::Done();
    };
    auto text = [](int i, int) {
        return QString(i == 0 ? "Adding the device: creating its row..."
                              : "Adding the device: writing its settings...");
    };
    m_run.Start(
        2, step, text,
        [this, halfMade, finished, progress, index, type, description, mac, oui](const StepsEnd& end) {
            if (end.stopped) {
                // Closed during the add: the dialog is ending. The create-and-go may have made the entry
                // active without its settings: row creation removes it, once the run has ended, when it is
                // this add's own, and what the device holds is said then.
                if (end.done == 0 && !end.inFlight) {
                    AfxMessageBox(RunEndText(end, ListNamer({{"the entry"}}), "added"), MB_OK);
                } else if (*finished) {
                    AfxMessageBox(StoppedAddText("the entry", *progress), MB_OK);  // its settings are written
                } else {
                    ui::RemoveUnfinishedAfterClose(kDevStatusCol, index, "the entry", *progress);
                }
                return;
            }
            if (m_other.Found()) {
                // Another entry of this address, not active: replaced only on the user's Yes.
                if (AskReplace(m_other, "the entry") && isVisible()) {
                    StartDeviceAdd(type, description, mac, oui);
                } else {
                    UpdateControls();
                }
                return;
            }
            if (end.failed) {
                AfxMessageBox(end.failure, MB_OK);
                if (!*halfMade) {
                    UpdateControls();  // nothing changed: the entry stays in the fields
                    return;
                }
            } else {
                if (*finished) {
                    AfxMessageBox(RowAddedText(RowAdded::kFinished, "the entry"), MB_OK);
                }
                m_editDescription->clear();
                m_editMac->clear();
            }
            if (isVisible()) {
                RefreshAll();
            }
        });
    UpdateControls();
}

void CCameraVlanSetting::OnDelete() {
    if (m_run.Running()) {
        return;
    }
    const int row = m_list->GetFirstSelectedItem();
    if (row < 0) {
        AfxMessageBox(kTextSelectToDelete, MB_OK);
        return;
    }
    const std::string mac = m_list->GetItemText(row, kColMac).toStdString();
    if (IsBuiltInListText(mac)) {
        AfxMessageBox(kTextDefaultNoDelete, MB_OK);
        return;
    }
    const std::string index = MacIndex(mac);
    if (index.empty()) {
        return;  // a row whose address did not arrive whole has no index to address
    }
    const unsigned settleMs = static_cast<unsigned>(std::max(kSettleMs.Get(), 0));
    m_run.Runner().SetCancel([this] { m_cCommonSNMP.Cancel(); });
    m_run.Start(
        1,
        [this, index, settleMs](int) {
            return StepOutcome::Of(
                DeleteDeviceRow(m_cCommonSNMP, index, [this, settleMs] { m_run.Runner().Pause(settleMs); }));
        },
        [](int, int) { return QString("Deleting the device..."); },
        [this](const StepsEnd& end) {
            if (!end.Complete()) {
                AfxMessageBox(RunEndText(end, DeletedEntryNamer(), "deleted"), MB_OK);
            }
            if (end.stopped) {
                return;
            }
            if (isVisible()) {
                RefreshAll();
            }
        });
    UpdateControls();
}
