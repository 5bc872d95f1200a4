// SNMP trap host dialog.
#include "features/snmp_agent/SNMPHost.h"

#include <QComboBox>
#include <QLineEdit>
#include <chrono>
#include <thread>

#include "controls/EditEXIPV6.h"
#include "controls/ListCtrlEx.h"
#include "core/Utils.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "platform/ui/WaitCursor.h"
#include "res/ids_snmp_agent.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_SNMP_HOST, [] {
    CSNMPHost dlg;
    dlg.DoModal();
});

enum HostColumn { kColAddress, kColVersion, kColName };
constexpr int kMaxHosts = 10;

// The pause before each read of the table.
const ksx::Tunable kPauseMs("snmp-host.refresh-pause-ms", 50);

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n\f\v");
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n\f\v") - first + 1);
}

bool IsLinkLocal(const std::string& address) {
    return address.rfind("fe8", 0) == 0 || address.rfind("fe9", 0) == 0 || address.rfind("fea", 0) == 0 ||
           address.rfind("feb", 0) == 0;
}

std::string WithoutInterface(const std::string& cell) {
    return cell.substr(0, cell.find('%'));
}

}  // namespace

CSNMPHost::CSNMPHost(QWidget* parent)
    : CSNMPTableDialog(
          IDD_SNMP_HOST,
          {IDC_HOST_LIST, IDC_HOST_APPLY, IDC_HOST_DELETE, IDC_HOST_REFRESH, IDC_HOST_CLOSE, IDC_HOST_CANCEL,
           IDC_HOST_ADD, IDC_HOST_READ_STATUS},
          {{"Host IP Address", 150}, {"SNMP Version", 130}, {"Community Name/SNMPv3 User Name ", 250}},
          parent) {
    OnCommand(IDC_HOST_APPLY, [this] { OnApply(); });
    OnCommand(IDC_HOST_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_HOST_CANCEL, [this] { OnCancelEdit(); });
    OnCommand(IDC_HOST_CLOSE, [this] { EndDialog(IDOK); });
    m_config.onHostRow = [this](const SNMP_HOST_ROW& r) {
        std::string cell = r.address;
        if (cell.find(':') != std::string::npos && IsLinkLocal(cell)) {
            cell += "%" + r.interfaceName;
        }
        AddRow(r.rowStatus, {cell, r.version, r.name});
    };
}

CSNMPHost::~CSNMPHost() = default;

void CSNMPHost::CreateControls() {
    SetWindowText("SNMP Host Table");
    ui::Form form(*this);
    auto entry = form.Group("");
    m_editAddress = entry.Field("Host IPV4/IPV6", RegisterControl(IDC_HOST_ADDRESS, new CEditEXIPV6));
    m_cbVersion = entry.Field("SNMP Version", entry.Combo(IDC_HOST_VERSION));
    entry.Field("Community String/SNMPv3 User Name", entry.Edit(IDC_HOST_NAME));
    AddTable(form, "Host Table Info", true);
}

void CSNMPHost::InitFields() {
    m_cbVersion->addItems({"V1", "V2c", "V3-NoAuthNoPriv", "V3-AuthNoPriv", "V3-AuthPriv"});
    m_cbVersion->setCurrentIndex(0);
    Item<QLineEdit>(IDC_HOST_NAME)->setMaxLength(32);
    TRACE("refresh ...............................");
}

void CSNMPHost::StartRead() {
    std::this_thread::sleep_for(std::chrono::milliseconds(kPauseMs.Get()));
    m_config.ReadHostTable();
}

void CSNMPHost::OnApply() {
    if (!IsDlgItemEnabled(IDC_HOST_APPLY) || Writing()) {
        return;
    }
    CWaitCursor wait;
    // The text as it stands now is checked (one the edit never saw leave it, or one emptied after the
    // last add, would otherwise pass on an earlier address); an edit never used gives nothing.
    const bool neverChecked = m_editAddress->m_bValid == 0 && m_editAddress->m_nValidCode == 1;
    if (!(neverChecked && m_editAddress->text().isEmpty())) {
        m_editAddress->OnKillFocus();
    }
    if (m_editAddress->m_bValid != 1) {
        m_editAddress->ShowAddressError();
        return;
    }
    std::string address = m_editAddress->m_strAddress;
    if (m_editAddress->m_strAddrType == "2") {
        address = CUtils::CompressIPv6(address);
    }
    if (IsLinkLocal(address) && !CSNMPConfig::IsValidName(m_editAddress->m_strInterface)) {
        AfxMessageBox(kTextInterface, MB_OK);
        return;
    }
    for (int row = 0; row < RowCount(); ++row) {
        if (WithoutInterface(Cell(row, kColAddress)) == address) {
            AfxMessageBox(kTextUsed, MB_OK);
            return;
        }
    }
    const std::string name = Trimmed(GetDlgItemText(IDC_HOST_NAME));
    if (name.empty()) {
        AfxMessageBox(kTextEmptyName, MB_OK);
        return;
    }
    if (!CSNMPConfig::IsValidName(name)) {
        AfxMessageBox(kTextInvalidName, MB_OK);
        return;
    }
    const std::string version = std::to_string(m_cbVersion->currentIndex() + 1);
    if (RowCount() == kMaxHosts) {
        AfxMessageBox(kTextMaximum, MB_OK);
        return;
    }
    // The address as plain data: the request is made off the window's thread.
    const SNMP_HOST_ADDRESS host = CSNMPConfig::HostAddressOf(*m_editAddress);
    const std::string object = kStatusColumn + CSNMPConfig::MakeHostKey(host.length, host.index, host.type);
    RunCreate(
        object, "host",
        [this, name, host, version]() -> ksx::StepsName {
            return m_config.SetHost(name, host, version)
                       ? ksx::StepsName{}
                       : ksx::StepsName{"its community or user name and version", true};
        },
        [this] {
            m_editAddress->setText("");
            m_cbVersion->setCurrentIndex(0);
            SetDlgItemText(IDC_HOST_NAME, "");
        });
}

void CSNMPHost::OnDelete() {
    if (Writing()) {
        return;
    }
    const int row = SelectedRow();
    if (row < 0) {
        AfxMessageBox(kTextSelect, MB_OK);
        return;
    }
    const std::string address = WithoutInterface(Cell(row, kColAddress));
    std::string object;
    if (address.find(':') == std::string::npos) {
        object = std::string(kStatusColumn) + ".4." + address + ".1";
    } else {
        std::string hex = CUtils::ExpandIPv6(address);
        hex.erase(std::remove(hex.begin(), hex.end(), ':'), hex.end());
        object = std::string(kStatusColumn) + ".16" + CUtils::HexToOidIndex(hex) + ".2";
    }
    RunDelete(object, "host");
}

void CSNMPHost::OnCancelEdit() {
    m_editAddress->setText("");
    m_cbVersion->setCurrentIndex(0);
    SetDlgItemText(IDC_HOST_NAME, "");
    OnRefresh();
}
