// SNMP view dialog.
#include "features/snmp_agent/SNMPViewTree.h"

#include <QComboBox>
#include <QLineEdit>
#include <vector>

#include "controls/ListCtrlEx.h"
#include "platform/sys/MessageBox.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "platform/ui/WaitCursor.h"
#include "res/ids_snmp_agent.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_SNMP_VIEW, [] {
    CSNMPViewTree dlg;
    dlg.DoModal();
});

enum ViewColumn { kColName, kColSubtree, kColMask, kColType };
constexpr int kMaxViews = 50;
constexpr size_t kMaxSubtreeParts = 128;
constexpr unsigned long long kMaxSubIdentifier = 4294967295ULL;

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n\f\v");
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n\f\v") - first + 1);
}

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t dot = text.find('.', start);
        parts.push_back(text.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
        if (dot == std::string::npos) {
            return parts;
        }
        start = dot + 1;
    }
}

// A sub-identifier's value fits 32 bits (digits only, checked before).
bool FitsSubIdentifier(const std::string& part) {
    const size_t digits =
        part.find_first_not_of('0') == std::string::npos ? 0 : part.size() - part.find_first_not_of('0');
    return digits <= 10 && (digits < 10 || std::stoull(part) <= kMaxSubIdentifier);
}

}  // namespace

CSNMPViewTree::CSNMPViewTree(QWidget* parent)
    : CSNMPTableDialog(IDD_SNMP_VIEW,
                       {IDC_VIEW_LIST, IDC_VIEW_APPLY, IDC_VIEW_DELETE, IDC_VIEW_REFRESH, IDC_VIEW_CLOSE,
                        IDC_VIEW_CANCEL, IDC_VIEW_ADD, IDC_VIEW_READ_STATUS},
                       {{"View Name", 100}, {"Subtree OID", 100}, {"OID Mask", 100}, {"View Type", 100}},
                       parent) {
    OnCommand(IDC_VIEW_APPLY, [this] { OnApply(); });
    OnCommand(IDC_VIEW_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_VIEW_CANCEL, [this] { OnCancelEdit(); });
    OnCommand(IDC_VIEW_CLOSE, [this] { EndDialog(IDCANCEL); });
    m_config.onViewRow = [this](const SNMP_VIEW_ROW& r) {
        AddRow(r.rowStatus, {r.viewName, r.subtree, r.mask, r.type});
    };
}

CSNMPViewTree::~CSNMPViewTree() = default;

void CSNMPViewTree::CreateControls() {
    SetWindowText("SNMP View Table Configuration");
    ui::Form form(*this);
    auto entry = form.Group("");
    auto* name = entry.Edit(IDC_VIEW_NAME);
    auto* subtree = entry.Edit(IDC_VIEW_SUBTREE);
    auto* mask = entry.Edit(IDC_VIEW_MASK);
    m_cbType = entry.Combo(IDC_VIEW_TYPE);
    entry.Row({"View Name ", name, "Subtree OID ", subtree});
    entry.Row({"OID Mask ", mask, "View Type", m_cbType});
    AddTable(form, "");
}

void CSNMPViewTree::InitFields() {
    m_cbType->addItems({"Included", "Excluded"});
    m_cbType->setCurrentIndex(0);
    Item<QLineEdit>(IDC_VIEW_NAME)->setMaxLength(32);
    Item<QLineEdit>(IDC_VIEW_SUBTREE)->setMaxLength(32);
}

void CSNMPViewTree::OnApply() {
    if (!IsDlgItemEnabled(IDC_VIEW_APPLY) || Writing()) {
        return;
    }
    CWaitCursor wait;
    const std::string name = Trimmed(GetDlgItemText(IDC_VIEW_NAME));
    const std::string subtree = GetDlgItemText(IDC_VIEW_SUBTREE);
    const std::string mask = Trimmed(GetDlgItemText(IDC_VIEW_MASK));
    const std::string type = m_cbType->currentText().toStdString();
    if (name.empty()) {
        AfxMessageBox(kTextEmptyName, MB_OK);
        return;
    }
    if (!CSNMPConfig::IsValidName(name)) {
        AfxMessageBox(kTextInvalidName, MB_OK);
        return;
    }
    if (subtree.find_first_not_of("0123456789.") != std::string::npos) {
        AfxMessageBox(kTextSubtreeCharacter, MB_OK);
        return;
    }
    const std::vector<std::string> parts = Split(subtree);
    for (const std::string& part : parts) {
        if (part.empty()) {
            AfxMessageBox(kTextSubtreeParts, MB_OK);
            return;
        }
    }
    // An object identifier has at most 128 sub-identifiers of 32 bits each.
    for (const std::string& part : parts) {
        if (parts.size() > kMaxSubtreeParts || !FitsSubIdentifier(part)) {
            AfxMessageBox(kTextSubtreeBounds, MB_OK);
            return;
        }
    }
    if (mask.empty()) {
        AfxMessageBox(kTextMask, MB_OK);
        return;
    }
    const std::vector<std::string> maskParts = Split(mask);
    for (const std::string& part : maskParts) {
        if (part != "0" && part != "1" && part != "00" && part != "01") {
            AfxMessageBox(kTextMask, MB_OK);
            return;
        }
    }
    if (parts.size() < maskParts.size()) {
        AfxMessageBox(kTextLength, MB_OK);
        return;
    }
    for (int row = 0; row < RowCount(); ++row) {
        if (Cell(row, kColName) == name && Cell(row, kColSubtree) == subtree) {
            AfxMessageBox(kTextExists, MB_OK);
            return;
        }
    }
    if (RowCount() == kMaxViews) {
        AfxMessageBox(kTextMaximum, MB_OK);
        return;
    }
    const std::string object = kStatusColumn + CSNMPConfig::MakeViewKey(name, subtree);
    RunCreate(
        object, "view",
        [this, name, subtree, mask, type]() -> ksx::StepsName {
            return m_config.SetView(name, subtree, mask, type) ? ksx::StepsName{}
                                                               : ksx::StepsName{"the mask and type", true};
        },
        [this] {
            SetDlgItemText(IDC_VIEW_MASK, "");
            SetDlgItemText(IDC_VIEW_SUBTREE, "");
            SetDlgItemText(IDC_VIEW_NAME, "");
            m_cbType->setCurrentIndex(0);
        });
}

void CSNMPViewTree::OnDelete() {
    if (Writing()) {
        return;
    }
    const int row = SelectedRow();
    if (row < 0) {
        AfxMessageBox(kTextSelect, MB_OK);
        return;
    }
    RunDelete(kStatusColumn + CSNMPConfig::MakeViewKey(Cell(row, kColName), Cell(row, kColSubtree)), "view");
}

void CSNMPViewTree::OnCancelEdit() {
    SetDlgItemText(IDC_VIEW_MASK, "");
    SetDlgItemText(IDC_VIEW_SUBTREE, "");
    SetDlgItemText(IDC_VIEW_NAME, "");
    m_cbType->setCurrentIndex(0);
    OnRefresh();
}
