// Auto surveillance VLAN port settings.
#include "features/vlan/CameraVlanPortSetting.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <algorithm>
#include <memory>

#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "core/TextNumbers.h"
#include "core/Utils.h"
#include "features/vlan/CameraVlanRules.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/Form.h"
#include "res/ids_surveillance.h"

using namespace ksx;
using namespace camvlan;

namespace {

const char* const kTextReadFailed = "Reading the device failed. Press Refresh to try again.";

// The device's pause between two batches of the auto detection write.
const ksx::Tunable kBatchPauseMs("surveillance-ports.batch-pause-ms", 100);
constexpr int kBatchPorts = 30;  // ports a request, as AutoDetectionBatches makes them

std::string SameRowText(const WalkStep& step, int i) {
    return step.Has(i) && step.Index(i) == step.Index(0) ? step.Text(i) : std::string();
}

std::string DetectionText(const std::string& value) {
    return value == "2" ? "Disabled" : "Enabled";
}

std::string StatusText(const std::string& value) {
    if (value == "1") {
        return "Static";
    }
    if (value == "2") {
        return "Dynamic";
    }
    if (value == "3") {
        return "None";
    }
    return value;
}

}  // namespace

CCameraVlanPortSetting::CCameraVlanPortSetting(QWidget* parent)
    : CTableDialog(
          IDD_SURVEILLANCE_PORTS,
          {
              {kPortEntry + ".1", "Port", ColumnWidth::Fixed(100), nullptr, LVCFMT_CENTER},
              {kPortEntry + ".2", "Auto Detection", ColumnWidth::Fixed(200),
               [](const WalkStep& step, int b) { return DetectionText(SameRowText(step, b)); },
               LVCFMT_CENTER},
              {kPortEntry + ".3", "Status", ColumnWidth::Fixed(200),
               [](const WalkStep& step, int b) { return StatusText(SameRowText(step, b)); }, LVCFMT_CENTER},
          },
          parent),
      m_range(*this, IDC_SPORT_FROM, IDC_SPORT_TO, kTextToBelowFrom),
      m_trunks(g_nPortNum),
      m_trunkWalk(m_cCommonSNMPTableGetTrunk, {kTrunkMembersCol}, [](const WalkStep& step) {
          return std::optional<TrunkRow>(TrunkRow{"." + step.Index(0), step.Text(0)});
      }) {
    OwnReader(m_trunkWalk);
    OwnSession(m_run.Runner());  // stopped before the session its steps use is closed
    m_run.Runner().SetCancel([this] { m_cCommonSNMPSet.Cancel(); });
    OwnSession(m_cCommonSNMPTableGetTrunk);
    OwnSession(m_cCommonSNMPSet);
    OnCommand(IDC_SPORT_APPLY, [this] { OnApply(); });
    OnCommand(IDC_SPORT_REFRESH, [this] { RefreshPorts(); });
    m_trunkWalk.onRow = [this](const TrunkRow& row) { m_trunks.AddRow(row.suffix, row.members); };
    m_trunkWalk.onEnd = [this](const WalkEnd& end) {
        if (!end.stale) {
            m_trunks.EndRead(end.status);
            UpdateApply();
        }
    };
}

CCameraVlanPortSetting::~CCameraVlanPortSetting() = default;

void CCameraVlanPortSetting::CreateControls() {
    SetWindowText("Auto Camera Vlan Port Settings");
    ui::Form form(*this);
    auto* vlan = form.Field("Vlan ID", form.Edit(IDC_SPORT_VLAN_ID), IDC_SPORT_VLAN_ID_LABEL);
    vlan->setReadOnly(true);
    vlan->setMaximumWidth(120);
    form.Row({form.Label("From Port", IDC_SPORT_FROM_LABEL), form.Combo(IDC_SPORT_FROM),
              form.Label("To Port", IDC_SPORT_TO_LABEL), form.Combo(IDC_SPORT_TO),
              form.Label("Auto Detection", IDC_SPORT_DETECTION_LABEL), form.Combo(IDC_SPORT_AUTO_DETECTION),
              ui::Form::Stretch, form.Button(IDC_SPORT_APPLY, "&Apply")});
    auto* list = MakeList(IDC_SPORT_LIST);
    list->setMinimumHeight(300);
    form.Fill(list);
    form.Note("", IDC_SPORT_READ_STATUS);
    form.Buttons({{IDC_SPORT_REFRESH, "&Refresh"}});
    SetBusyControls({IDC_SPORT_APPLY, IDC_SPORT_REFRESH});
}

int CCameraVlanPortSetting::OnInitDialog() {
    SetTopmost(true);
    SetIcon(QApplication::windowIcon());
    m_range.Fill(g_nPortNum);
    Item<QComboBox>(IDC_SPORT_TO)->setCurrentIndex(g_nPortNum - 1);
    Item<QComboBox>(IDC_SPORT_AUTO_DETECTION)->addItems({"Enable", "Disable"});
    Item<QComboBox>(IDC_SPORT_AUTO_DETECTION)->setCurrentIndex(1);
    SetDlgItemText(IDC_SPORT_VLAN_ID, m_strVlanId);
    ReadTrunkGroups();
    return CTableDialog::OnInitDialog();  // the first port walk
}

void CCameraVlanPortSetting::RefreshPorts() {
    ReadTrunkGroups();
    Refresh();
}

void CCameraVlanPortSetting::ReadTrunkGroups() {
    // Membership is taken whole from each read: a port that left its trunk is free again.
    m_trunks.Reset();
    m_trunks.BeginRead();
    m_trunkWalk.Walk();
}

void CCameraVlanPortSetting::OnReadEnd(const WalkEnd& end) {
    if (!end.stale) {
        ++m_walksEnded;
    }
    UpdateApply();
}

void CCameraVlanPortSetting::UpdateApply() {
    // Apply refuses trunk ports: it waits for a whole trunk read as well as the port list.
    EnableDlgItem(IDC_SPORT_APPLY, m_strState == "1" && m_trunks.Ended() && !Reading());
    SetDlgItemText(IDC_SPORT_READ_STATUS, m_trunks.Failed() ? kTextReadFailed : "");
}

void CCameraVlanPortSetting::OnApply() {
    if (m_run.Running()) {
        return;
    }
    const int from = m_range.From();
    const int to = m_range.To();
    const std::string value = GetDlgItemText(IDC_SPORT_AUTO_DETECTION) == "Enable" ? "1" : "2";
    int trunkPort = 0;
    auto batches = std::make_shared<const std::vector<std::vector<std::string>>>(
        AutoDetectionBatches(from, to, value, m_trunks.Groups(), &trunkPort));
    // Every port is checked before the first request: a trunk port refuses the whole range.
    if (trunkPort != 0) {
        AfxMessageBox(kTextLaPort, MB_OK);
        return;
    }
    // Off the window's thread, a fresh request per batch (no batch carries the bindings of the one
    // before) and a pause after each; the first batch not written ends the range.
    EnableDlgItem(IDC_SPORT_APPLY, false);
    auto step = [this, batches, value](int i) {
        if (m_run.Runner().Stopping()) {
            return StepOutcome::NothingSent();
        }
        m_cCommonSNMPSet.Open(CCommonSNMP::REQUEST_SET);
        for (const std::string& oid : (*batches)[static_cast<size_t>(i)]) {
            m_cCommonSNMPSet.AddVarBind(oid, 1, value.c_str());
        }
        const SnmpAnswer answer = GetNextRequest(m_cCommonSNMPSet).Answer();
        if (!answer.Accepted()) {
            return StepOutcome::Of(answer);
        }
        m_run.Runner().Pause(static_cast<unsigned>(std::max(kBatchPauseMs.Get(), 0)));
        return StepOutcome::Done();
    };
    m_run.Start(
        static_cast<int>(batches->size()), step,
        [](int i, int n) { return QString("Writing the ports: batch %1 of %2...").arg(i + 1).arg(n); },
        [this, from, to](const StepsEnd& end) {
            if (!end.Complete()) {
                AfxMessageBox(RunEndText(end, PortsNamer(from, to, kBatchPorts)), MB_OK);
            }
            if (!end.stopped) {
                Refresh();
            }
        });
}
