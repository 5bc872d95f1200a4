// Auto surveillance VLAN OUI editor.
#include "features/vlan/CameraVLANOUISetting.h"

#include <QApplication>
#include <QLineEdit>
#include <chrono>
#include <thread>

#include "core/CodeConvert.h"
#include "core/SnmpReply.h"
#include "features/vlan/CameraDeviceTable.h"
#include "features/vlan/CameraVlanRules.h"
#include "platform/sys/Debug.h"
#include "platform/sys/MessageBox.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_surveillance.h"
#include "res/resource.h"

using namespace ksx;
using namespace camvlan;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_SURVEILLANCE_OUI, [] {
    CCameraVLANOUISetting dlg;
    dlg.DoModal();
});

const char* const kTextReadFailed = "Reading the device failed. Press Refresh to try again.";

enum OuiListColumn { kColId, kColDescription, kColOui, kColMask };

// The device's settle time after a write, before the re-read.
const ksx::Tunable kSettleMs("surveillance-oui.settle-ms", 50);

void Settle() {
    std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs.Get()));
}

}  // namespace

CCameraVLANOUISetting::CCameraVLANOUISetting(QWidget* parent)
    : CTableDialog(
          IDD_SURVEILLANCE_OUI,
          {
              {"", "ID", ColumnWidth::Fixed(50), nullptr, LVCFMT_CENTER},
              {kDevDescCol, "Description", ColumnWidth::Fixed(150),
               [](const WalkStep& step, int b) {
                   std::string text;
                   CCodeConvert::UTF8ToAnsi(step.Text(b), &text);
                   return text;
               },
               LVCFMT_CENTER},
              // Values shorter than six octets are shown empty rather than read past their end.
              {kDevMacCol, "Surveillance OUI", ColumnWidth::Fixed(200),
               [](const WalkStep& step, int b) { return FormatMac(SameRowText(step, b)); }, LVCFMT_CENTER},
              {kDevMaskCol, "OUI Mask", ColumnWidth::Fixed(200),
               [](const WalkStep& step, int b) { return FormatMac(SameRowText(step, b)); }, LVCFMT_CENTER},
              // Walked with the row but not shown.
              {kDevStatusCol, "", ColumnWidth::Fixed(0), nullptr, LVCFMT_CENTER},
          },
          parent) {
    OwnSession(m_cCommonSNMP);
    OnCommand(IDC_OUI_ADD, [this] { OnAdd(); });
    OnCommand(IDC_OUI_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_OUI_CLOSE, [this] { EndDialog(IDCANCEL); });
}

CCameraVLANOUISetting::~CCameraVLANOUISetting() = default;

void CCameraVLANOUISetting::CreateControls() {
    SetWindowText("Auto Surveillance VLAN OUI Settings");
    ui::Form form(*this);
    auto entry = form.Group("");
    auto* description = entry.Edit(IDC_OUI_DESCRIPTION);
    description->setMaxLength(20);
    auto* mac = entry.Edit(IDC_OUI_MAC);
    mac->setMaxLength(17);
    mac->setMinimumWidth(160);
    entry.Row({entry.Label("User defined OUI \n(Camera or Server)", IDC_OUI_USER_TEXT),
               entry.Label("Description", IDC_OUI_DESCRIPTION_LABEL), description,
               entry.Label("( Maximum user defined OUI:5)", IDC_OUI_MAX_TEXT), ui::Form::Stretch});
    entry.Row({entry.Label("Surveillance OUI", IDC_OUI_MAC_LABEL), mac,
               entry.Label("(XX-XX-XX-XX-XX-XX)", IDC_OUI_MAC_HINT), ui::Form::Stretch,
               entry.Button(IDC_OUI_ADD, "&Add")});
    auto* list = MakeList(IDC_OUI_LIST);
    list->ModifyListStyle(0, LVS_SINGLESEL);
    form.Group("Auto Surveillance VLAN OUI Info", IDC_OUI_GROUP).Fill(list);
    form.Note("", IDC_OUI_READ_STATUS);
    form.Buttons({{IDC_OUI_DELETE, "&Delete"}, {IDC_OUI_REFRESH, "&Refresh"}, {IDC_OUI_CLOSE, "&Close"}});
    SetRefreshButton(IDC_OUI_REFRESH);
    SetBusyControls({IDC_OUI_ADD, IDC_OUI_DELETE, IDC_OUI_REFRESH});
}

int CCameraVLANOUISetting::OnInitDialog() {
    SetTopmost(true);
    SetIcon(QApplication::windowIcon());
    const int result = CTableDialog::OnInitDialog();
    List()->setColumnHidden(4, true);
    return result;
}

std::vector<std::string> CCameraVLANOUISetting::ListOuiTexts() const {
    std::vector<std::string> out;
    for (int row = 0; row < List()->GetItemCount(); ++row) {
        out.push_back(List()->GetItemText(row, kColOui).toStdString());
    }
    return out;
}

void CCameraVLANOUISetting::RefreshOuiTable() {
    m_bTableRead = false;
    Refresh();
}

void CCameraVLANOUISetting::OnRow(const TableRow& row) {
    TableRow numbered = row;
    numbered.cells[kColId] = std::to_string(List()->GetItemCount() + 1);
    AppendRow(numbered);
}

void CCameraVLANOUISetting::OnReadEnd(const WalkEnd& end) {
    if (end.stale) {
        return;
    }
    ++m_walksEnded;
    m_bTableRead = end.AtEnd();
    EnableDlgItem(IDC_OUI_ADD, m_bTableRead);
    SetDlgItemText(IDC_OUI_READ_STATUS, m_bTableRead ? "" : kTextReadFailed);
}

bool CCameraVLANOUISetting::ValidateOuiEntry(const std::string& description, const std::string& mac) {
    const std::string refusal = CheckOuiEntry(description, mac, ListOuiTexts());
    if (!refusal.empty()) {
        AfxMessageBox(refusal, MB_OK);
        return false;
    }
    return true;
}

void CCameraVLANOUISetting::OnAdd() {
    const std::string description = GetDlgItemText(IDC_OUI_DESCRIPTION);
    const std::string mac = GetDlgItemText(IDC_OUI_MAC);
    if (!ValidateOuiEntry(description, mac)) {
        return;
    }
    switch (camvlan::AddDeviceRow(m_cCommonSNMP, MacIndex(mac), description, nullptr, Settle)) {
        case DeviceRowAdd::kNotCreated:
            return;
        case DeviceRowAdd::kHalfMade:
            RefreshOuiTable();
            return;
        case DeviceRowAdd::kAdded:
            break;
    }
    SetDlgItemText(IDC_OUI_DESCRIPTION, "");
    SetDlgItemText(IDC_OUI_MAC, "");
    RefreshOuiTable();
}

void CCameraVLANOUISetting::OnDelete() {
    const int row = List()->GetFirstSelectedItem();
    if (row < 0) {
        AfxMessageBox(kTextSelectToDelete, MB_OK);
        return;
    }
    const std::string oui = List()->GetItemText(row, kColOui).toStdString();
    // Both built-in entries are protected, as in the surveillance VLAN dialog.
    if (IsReservedMac(oui)) {
        AfxMessageBox(kTextDefaultNoDelete, MB_OK);
        return;
    }
    if (camvlan::DeleteDeviceRow(m_cCommonSNMP, MacIndex(oui), Settle)) {
        RefreshOuiTable();
    }
}
