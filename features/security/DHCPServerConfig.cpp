// DHCP server screening port settings dialog.
#include "features/security/DHCPServerConfig.h"

#include <QApplication>
#include <QComboBox>
#include <algorithm>
#include <memory>

#include "controls/ListCtrlEx.h"
#include "core/RunText.h"
#include "core/SnmpReply.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/Form.h"
#include "res/ids_legacy.h"

using namespace ksx;

namespace {

const std::string kScreenedPorts = "1.3.6.1.4.1.7393.10.76.20.1.14.7.1.0";

const char kBackward[] = "'To Port' can not be smaller than 'From Port'";
const char kTrunkStates[] =
    "Cannot add ports with different DHCP Server Screening Port Settings to an aggregated link.";
const char kReadFailed[] = "Failed to read the DHCP server screening state of the ports.";
const char kShortRead[] = "The device did not send the DHCP server screening state of every port.";
const char kTrunkReadFailed[] = "Failed to read the trunk membership.";
const char kWriteFailed[] = "Failed to write the DHCP server screening ports: ";

}  // namespace

CDHCPServerConfig::TrunkInfo::TrunkInfo() {
    m_trunkRead.onEnd = [this](const WalkEnd& end) {
        if (onTrunkEnd) {
            onTrunkEnd(end);
        }
    };
}

CDHCPServerConfig::CDHCPServerConfig(QWidget* parent)
    : CDialog(IDD_LEGACY_DHCP_SCREEN, parent), m_range(*this, IDC_LDS_FROM, IDC_LDS_TO, kBackward) {
    OwnSession(m_run.Runner());  // stopped before the session its steps use is closed
    OwnSession(m_cCommonSNMP);
    OwnSessions(m_trunkInfo.Sessions());
    m_run.Runner().SetCancel([this] { m_cCommonSNMP.Cancel(); });
    m_trunkInfo.onTrunkEnd = [this](const WalkEnd& end) { OnTrunkEnd(end); };
    OnCommand(IDC_LDS_REFRESH, [this] {
        if (!m_run.Running()) {
            Refresh();
        }
    });
    OnCommand(IDC_LDS_APPLY, [this] { OnApply(); });
    OnCommand(IDC_LDS_CLOSE, [this] { OnCancel(); });
}

CDHCPServerConfig::~CDHCPServerConfig() = default;

void CDHCPServerConfig::CreateControls() {
    SetWindowText("DHCP Server Screening Port Settings");
    ui::Form form(*this);
    ui::Form group = form.Group("");
    group.Row({"From Port", group.Combo(IDC_LDS_FROM), "To Port", group.Combo(IDC_LDS_TO), "State",
               group.Combo(IDC_LDS_STATE), ui::Form::Stretch, group.Button(IDC_LDS_APPLY, "&Apply")});
    m_list = form.Fill(RegisterControl(IDC_LDS_LIST, new CListCtrlEx));
    form.Buttons({{IDC_LDS_REFRESH, "&Refresh"}, {IDC_LDS_CLOSE, "&Close"}});
}

int CDHCPServerConfig::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    m_list->InsertColumn(0, "Port", LVCFMT_CENTER, 100);
    m_list->InsertColumn(1, "State", LVCFMT_CENTER, 400);
    m_list->SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | 0x100);  // and flat scroll bars
    m_list->setMinimumHeight(300);
    m_nPortCount = std::max(g_nPortNum, 0);
    m_pPortState.assign(static_cast<size_t>(m_nPortCount), 0);
    m_range.Fill(m_nPortCount);
    auto* to = Item<QComboBox>(IDC_LDS_TO);
    to->setCurrentIndex(to->count() - 1);
    auto* state = Item<QComboBox>(IDC_LDS_STATE);
    state->addItems({"Disabled", "Enabled"});
    state->setCurrentIndex(0);
    Refresh();
    return 1;
}

void CDHCPServerConfig::Refresh() {
    m_bTrunkEnded = false;
    m_bTrunkOk = false;
    m_trunkInfo.ReadTrunkPorts();
    ReadStates();
}

void CDHCPServerConfig::ReadStates() {
    m_list->DeleteAllItems();
    EnableDlgItem(IDC_LDS_APPLY, false);
    EnableDlgItem(IDC_LDS_REFRESH, false);
    ShowStates(FetchBitmap());
}

std::optional<std::string> CDHCPServerConfig::FetchBitmap() {
    m_cCommonSNMP.Open(CCommonSNMP::REQUEST_GET);
    m_cCommonSNMP.AddVarBind(kScreenedPorts, 4, "");
    return SendRequest(m_cCommonSNMP).Octets(0);
}

void CDHCPServerConfig::ShowStates(const std::optional<std::string>& bitmap) {
    // Every port the bitmap covers gets its state from it; a port it does not reach has none.
    std::fill(m_pPortState.begin(), m_pPortState.end(), 0);
    if (bitmap) {
        const auto* octets = reinterpret_cast<const unsigned char*>(bitmap->data());
        const int covered = std::min(m_nPortCount, static_cast<int>(bitmap->size()) * 8);
        for (int p = 1; p <= covered; ++p) {
            const bool set = (octets[(p - 1) / 8] & (0x80 >> ((p - 1) % 8))) != 0;
            m_pPortState[static_cast<size_t>(p - 1)] = set ? 1 : 2;
        }
    }
    m_bStatesRead = bitmap && std::find(m_pPortState.begin(), m_pPortState.end(), 0) == m_pPortState.end();
    FillList();
    EnableDlgItem(IDC_LDS_REFRESH, true);
    UpdateButtons();
    if (!bitmap) {
        AfxMessageBox(kReadFailed, MB_OK);
    } else if (!m_bStatesRead) {
        AfxMessageBox(kShortRead, MB_OK);
    }
}

void CDHCPServerConfig::FillList() {
    m_list->DeleteAllItems();
    for (int p = 1; p <= m_nPortCount; ++p) {
        const int state = m_pPortState[static_cast<size_t>(p - 1)];
        const int row = m_list->GetItemCount();
        m_list->SetItemTextEx(row, 0, QString::number(row + 1));
        m_list->SetItemTextEx(row, 1, state == 1 ? "Enabled" : state == 2 ? "Disabled" : "");
    }
}

void CDHCPServerConfig::OnTrunkEnd(const WalkEnd& end) {
    if (end.stale) {
        return;
    }
    m_bTrunkEnded = true;
    m_bTrunkOk = end.Ok();
    ++m_refreshesEnded;
    UpdateButtons();
    if (!m_bTrunkOk) {
        AfxMessageBox(kTrunkReadFailed, MB_OK);
    }
}

void CDHCPServerConfig::UpdateButtons() {
    EnableDlgItem(IDC_LDS_APPLY, m_bStatesRead && m_bTrunkEnded && m_bTrunkOk);
}

void CDHCPServerConfig::OnApply() {
    if (!IsDlgItemEnabled(IDC_LDS_APPLY)) {
        return;
    }
    const int from = m_range.From();
    const int to = m_range.To();
    if (from < 1 || to < from || to > m_nPortCount) {
        return;
    }
    const int state = GetDlgItemText(IDC_LDS_STATE) == "Enabled" ? 1 : 2;
    // The states as they would be: kept only once the device has taken them.
    std::vector<int> states = m_pPortState;
    for (int p = from; p <= to; ++p) {
        states[static_cast<size_t>(p - 1)] = state;
    }
    const std::vector<int> trunks = m_trunkInfo.TrunkPortsSnapshot();
    for (size_t i = 0; i < trunks.size(); ++i) {
        TRACE("m_TrunkPorts[%d] = %d", static_cast<int>(i), trunks[i]);
    }
    if (!m_trunkInfo.CheckTrunkConsistency(states.data())) {
        AfxMessageBox(kTrunkStates, MB_OK);
        return;
    }
    std::vector<int> enabled(states.size(), 0);
    for (size_t i = 0; i < states.size(); ++i) {
        enabled[i] = states[i] == 1 ? 1 : 0;
    }
    std::string hex;
    CUtils::PortArrayToHex(enabled.data(), hex);
    CUtils::PadPortHex(hex);
    const std::vector<unsigned char> bytes = CUtils::HexToBytes(hex);
    // The write, then the read of the bitmap, on the run's worker; shown once it ends.
    EnableDlgItem(IDC_LDS_APPLY, false);
    EnableDlgItem(IDC_LDS_REFRESH, false);
    const StepsName what{"them", true};
    m_run.StartWriteAndReadBack<std::optional<std::string>>(
        {"the DHCP server screening ports", true}, "Writing the DHCP server screening ports...",
        "Reading the DHCP server screening ports...",
        [this, bytes] {
            m_cCommonSNMP.Open(CCommonSNMP::REQUEST_SET);
            m_cCommonSNMP.AddVarBind(kScreenedPorts, 2, reinterpret_cast<const char*>(bytes.data()),
                                     static_cast<int>(bytes.size()));
            return SendRequest(m_cCommonSNMP).Answer();
        },
        [this] { return FetchBitmap(); },
        [what](const SnmpAnswer& answer) { return AnswerText(answer, what, kWriteFailed); },
        [this, what, states](const SnmpAnswer& answer, const std::optional<std::string>& bitmap) {
            if (answer.Accepted()) {
                m_pPortState = states;
            } else {
                AfxMessageBox(AnswerText(answer, what, kWriteFailed), MB_OK);
            }
            // The trunk membership and the states again, as Refresh reads them.
            m_bTrunkEnded = false;
            m_bTrunkOk = false;
            m_trunkInfo.ReadTrunkPorts();
            m_list->DeleteAllItems();
            ShowStates(bitmap);
        });
}

int CDHCPServerConfig::DestroyWindow() {
    TRACE("==================DestroyWindow===============");
    TRACE("==================m_cCommonSNMP.Close===============");
    TRACE("==================m_cCommonSNMPTable.Close===============");
    return CDialog::DestroyWindow();
}
