// Binding table, manual entry and address scan.
#include "features/security/IMPBSmartBinding.h"

#include <QApplication>

#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include <chrono>
#include <thread>

#include "controls/EditEXIPV6.h"
#include "controls/ListCtrlEx.h"
#include "core/RowCreate.h"
#include "core/RunText.h"
#include "core/Utils.h"
#include "platform/sys/Globals.h"
#include "platform/sys/MessageBox.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "res/ids_impb.h"
#include "res/resource.h"

using namespace ksx;

namespace {

const ui::RegisterFeature kRegister(IDM_SMART_BINDING, [] {
    CIMPBSmartBinding dlg;
    dlg.DoModal();
});

// Period of the reloads while a scan runs.
const Tunable kScanTickMs("impb.scan-tick-ms", 4000);

// Widths are the pixels at the default font (the list grows them with the font and the texts).
struct Column {
    const char* heading;
    int width;
};
constexpr Column kColumns[] = {
    {"VID", 100}, {"IP Address", 160}, {"Mac Address", 170}, {"Port", 110}, {"Binding", 100}};

// Validates the edit's text as it stands now (also when it never lost the focus); true when valid.
bool CheckAddress(CEditEXIPV6* edit) {
    edit->OnKillFocus();
    return edit->m_nValidCode == 1 && edit->m_bValid == 1;
}

}  // namespace

CIMPBSmartBinding::CIMPBSmartBinding(QWidget* parent) : CDialog(IDD_IMPB_BINDING, parent) {
    OwnSessions(m_logic.Sessions());
    OnMessage(WM_IMPB_LIST_RESULT, [this](WPARAM w, LPARAM l) { return OnListResult(w, l); });
    OnCommand(IDC_IMPBB_ADD, [this] { OnAdd(); });
    OnCommand(IDC_IMPBB_SCAN, [this] { OnScan(); });
    OnCommand(IDC_IMPBB_BIND, [this] { OnBinding(); });
    OnCommand(IDC_IMPBB_REFRESH, [this] { Load(); });
}

CIMPBSmartBinding::~CIMPBSmartBinding() = default;

void CIMPBSmartBinding::CreateControls() {
    SetWindowText("Smart Binding");
    ui::Form form(*this);
    auto manual = form.Group("Manual Binding", IDC_IMPBB_MANUAL_GROUP);
    m_address = RegisterControl(IDC_IMPBB_ADDRESS, new CEditEXIPV6);
    m_address->setMinimumWidth(m_address->fontMetrics().horizontalAdvance("ffff:ffff:ffff:ffff:ffff") + 12);
    auto* mac = manual.Edit(IDC_IMPBB_MAC);
    mac->setMaxLength(17);
    mac->setMinimumWidth(mac->fontMetrics().horizontalAdvance("00-00-00-00-00-00") + 16);
    auto* port = manual.Edit(IDC_IMPBB_PORT);
    port->setMinimumWidth(port->fontMetrics().horizontalAdvance("0000") + 16);
    manual.Field("IPV4/IPV6 Address", m_address);
    manual.Row({"MAC Address", mac, "Ports", port, ui::Form::Stretch, manual.Button(IDC_IMPBB_ADD, "&Add")});

    auto scan = form.Group("Auto Scan", IDC_IMPBB_SCAN_GROUP);
    m_from = RegisterControl(IDC_IMPBB_FROM, new CEditEXIPV6);
    m_to = RegisterControl(IDC_IMPBB_TO, new CEditEXIPV6);
    m_from->setMinimumWidth(m_address->minimumWidth());
    m_to->setMinimumWidth(m_address->minimumWidth());
    scan.Note("Enter a range of IP address to scan all devices in the network. ", IDC_IMPBB_SCAN_NOTE);
    scan.Field("IPV4/IPV6 From", m_from);
    scan.Field("To", m_to);
    auto* back = scan.Button(IDC_IMPBB_BACK, "Back");
    auto* next = scan.Button(IDC_IMPBB_NEXT, "Next");
    back->setEnabled(false);  // no action
    next->setEnabled(false);
    scan.Row({back, next, ui::Form::Stretch, scan.Button(IDC_IMPBB_SCAN, "&Scan")});

    auto list = form.Group("List Info");
    m_list = list.Fill(RegisterControl(IDC_IMPBB_LIST, new CListCtrlEx));
    list.Row({ui::Form::Stretch, list.Button(IDC_IMPBB_BIND, "&Binding"),
              list.Button(IDC_IMPBB_REFRESH, "&Refresh")});
}

int CIMPBSmartBinding::OnInitDialog() {
    SetTopmost(true);
    CDialog::OnInitDialog();
    SetIcon(QApplication::windowIcon());
    for (int i = 0; i < 5; ++i) {
        m_list->InsertColumn(i, kColumns[i].heading, LVCFMT_CENTER, kColumns[i].width);
    }
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_logic.SetOwnerWnd(this);
    Load();
    return 1;
}

void CIMPBSmartBinding::Load() {
    m_loading = true;
    EnableDlgItem(IDC_IMPBB_REFRESH, false);
    EnableDlgItem(IDC_IMPBB_SCAN, false);
    m_list->DeleteAllItems();
    m_logic.ReadBindingTable();
}

LRESULT CIMPBSmartBinding::OnListResult(WPARAM wParam, LPARAM lParam) {
    if (wParam == 0 && lParam != 0) {
        const ImpbEntry& row = *Record<ImpbEntry>(lParam);
        const int n = m_list->GetItemCount();
        m_list->SetItemTextEx(n, 0, QString::fromStdString(row.field[2]));
        m_list->SetItemTextEx(n, 1, QString::fromStdString(row.field[0]));
        m_list->SetItemTextEx(n, 2, QString::fromStdString(row.field[1]));
        m_list->SetItemTextEx(n, 3, QString::fromStdString(row.field[3]));
        // A state that did not read is an empty cell, not "Not Bound".
        m_list->SetItemTextEx(n, 4, row.field[4] == "1" ? "Bound" : row.field[4].empty() ? "" : "Not Bound");
    } else if (wParam == 1) {
        m_loading = false;
        EnableDlgItem(IDC_IMPBB_SCAN, !m_run.Running());
        EnableDlgItem(IDC_IMPBB_REFRESH, true);
        if (lParam != 0) {
            StopScan();
            AfxMessageBox("Failed to read the binding table.", MB_OK);
        }
    }
    return 0;
}

void CIMPBSmartBinding::OnAdd() {
    if (m_run.Running()) {
        return;
    }
    if (!CheckAddress(m_address)) {
        AfxMessageBox("Invalid IP Address.", MB_OK);
        return;
    }
    const std::string mac = GetDlgItemText(IDC_IMPBB_MAC);
    if (!CUtils::ValidateMacText(mac, false)) {
        return;
    }
    const auto port = impb::NumberIn(GetDlgItemText(IDC_IMPBB_PORT), 1, g_nPortNum);
    if (!port) {
        AfxMessageBox("Invalid port number.", MB_OK);
        return;
    }
    ImpbEntry entry;
    entry.field = {m_address->m_strAddress, mac, "1", std::to_string(*port), "1"};
    const std::optional<ImpbAllowedAdd> add = CIMPFunclogic::AllowedAddOf(entry);
    if (!add) {
        AfxMessageBox(CIMPFunclogic::AllowedFailure(CIMPFunclogic::AllowedResult::kBadEntry),
                      MB_OK | MB_ICONERROR);
        return;
    }
    // The create, the port and the activation go out off the window's thread.
    StartAdd(*add);
}

void CIMPBSmartBinding::StartAdd(const ImpbAllowedAdd& add) {
    m_addProgress.Reset();
    m_other.Begin();
    EnableWrites(false);
    m_run.Runner().SetCancel([this] { m_logic.CancelWrites(); });
    m_run.Start(
        CIMPFunclogic::kAllowedAddSteps,
        [this, add](int i) {
            return m_logic.AllowedAddStep(i, add, m_addProgress, m_run.Runner(), &m_other);
        },
        [](int i, int) {
            static const char* const kSteps[] = {"creating its row", "writing its port", "activating it"};
            return QString("Adding the entry to the white list: %1...").arg(kSteps[i < 3 ? i : 2]);
        },
        [this, add](const StepsEnd& end) {
            if (end.stopped) {
                // Closed during the add: the dialog is ending.
                AfxMessageBox(StoppedAddText("the entry", m_addProgress), MB_OK);
                return;
            }
            EnableWrites(true);
            if (m_other.Found()) {
                // Another entry of that index, not active: replaced only on the user's Yes.
                if (AskReplace(m_other, "the entry") && isVisible()) {
                    StartAdd(add);
                }
                return;
            }
            if (!end.Complete()) {
                AfxMessageBox(end.failure, MB_OK | MB_ICONERROR);
                return;
            }
            AfxMessageBox("Success!", MB_OK);
            SetDlgItemText(IDC_IMPBB_ADDRESS, "");
            SetDlgItemText(IDC_IMPBB_MAC, "");
            SetDlgItemText(IDC_IMPBB_PORT, "");
        });
}

void CIMPBSmartBinding::EnableWrites(bool on) {
    EnableDlgItem(IDC_IMPBB_ADD, on);
    EnableDlgItem(IDC_IMPBB_BIND, on);
    EnableDlgItem(IDC_IMPBB_SCAN, on && !m_scanning && !m_loading);
}

void CIMPBSmartBinding::OnScan() {
    if (!IsDlgItemEnabled(IDC_IMPBB_SCAN) || m_run.Running()) {
        return;
    }
    if (!CheckAddress(m_from)) {
        AfxMessageBox("Invalid From IP Address.", MB_OK);
        return;
    }
    if (!CheckAddress(m_to)) {
        AfxMessageBox("Invalid To IP Address.", MB_OK);
        return;
    }
    if (m_from->m_strAddrType != m_to->m_strAddrType) {
        AfxMessageBox("Invalid IP address !", MB_OK);
        return;
    }
    const std::optional<ImpbScanStart> scan =
        CIMPFunclogic::ScanStartOf(m_from->m_strAddrType, m_to->m_strAddrType,
                                   {GetDlgItemText(IDC_IMPBB_FROM), GetDlgItemText(IDC_IMPBB_TO), "1"});
    if (!scan) {
        AfxMessageBox(AnswerText(SnmpAnswer{}, {"the start"}, "Failed to start the scan: "),
                      MB_OK | MB_ICONERROR);
        return;
    }
    // The range, then the scan switch, off the window's thread.
    EnableWrites(false);
    m_run.Runner().SetCancel([this] { m_logic.CancelWrites(); });
    m_run.Start(
        CIMPFunclogic::kScanSteps,
        [this, scan = *scan](int i) { return m_logic.ScanStep(i, scan, m_run.Runner()); },
        [](int i, int) {
            return QString(i == 0 ? "Starting the scan: writing the address range..."
                                  : "Starting the scan: switching it on...");
        },
        [this](const StepsEnd& end) {
            if (end.stopped) {
                // Closed during the start: the dialog is ending.
                AfxMessageBox(RunEndText(end, ListNamer({{"the address range"}, {"the start"}})), MB_OK);
                return;
            }
            if (!end.Complete()) {
                EnableWrites(true);
                AfxMessageBox(end.failure, MB_OK | MB_ICONERROR);
                return;
            }
            SetDlgItemText(IDC_IMPBB_FROM, "");
            SetDlgItemText(IDC_IMPBB_TO, "");
            m_scanning = true;
            EnableWrites(true);
            SetTimer(IDT_IMPBB_SCAN, static_cast<unsigned>(kScanTickMs.Get()));
        });
}

void CIMPBSmartBinding::StopScan() {
    if (m_scanning) {
        KillTimer(IDT_IMPBB_SCAN);
    }
    m_scanning = false;
    m_nLastCount = -1;
}

void CIMPBSmartBinding::OnTimer(unsigned id) {
    if (id != IDT_IMPBB_SCAN) {
        return;
    }
    if (m_loading) {
        return;  // the last reload has not ended: this tick neither compares nor reloads
    }
    const int count = m_list->GetItemCount();
    if (count != m_nLastCount) {
        m_nLastCount = count;
        Load();
        return;
    }
    StopScan();
    EnableDlgItem(IDC_IMPBB_SCAN, true);
}

void CIMPBSmartBinding::OnBinding() {
    if (m_run.Running()) {
        return;  // the add or scan start uses the set session
    }
    const int row = m_list->GetFirstSelectedItem();
    if (row < 0) {
        AfxMessageBox("Please select the item would be Binding!\n", MB_OK);
        return;
    }
    if (m_list->GetItemText(row, 4) == "Bound") {
        AfxMessageBox("The entry is bound.", MB_OK);
        return;
    }
    ImpbEntry entry;
    entry.field = {m_list->GetItemText(row, 1).toStdString(), m_list->GetItemText(row, 2).toStdString(), "1",
                   m_list->GetItemText(row, 3).toStdString(), "1"};
    if (entry.field[0].empty() || entry.field[1].empty() || entry.field[3].empty()) {
        AfxMessageBox("The entry cannot be bound: its IP address, MAC address or port was not read.", MB_OK);
        return;
    }
    if (const SnmpAnswer answer = m_logic.SetBinding(entry); !answer.Accepted()) {
        AfxMessageBox(AnswerText(answer, {"it"}, "Failed to bind the entry: "), MB_OK | MB_ICONERROR);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Load();
}
