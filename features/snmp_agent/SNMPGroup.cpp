// SNMP group dialog.
#include "features/snmp_agent/SNMPGroup.h"

#include <QComboBox>
#include <QLineEdit>
#include "controls/ListCtrlEx.h"
#include "platform/sys/MessageBox.h"
#include "platform/sys/Tunable.h"
#include "platform/ui/FeatureRegistry.h"
#include "platform/ui/Form.h"
#include "platform/ui/WaitCursor.h"
#include "res/ids_snmp_agent.h"

using namespace ksx;

namespace {

const ksx::ui::RegisterFeature kRegister(IDM_SNMP_GROUP, [] {
    CSNMPGroup dlg;
    dlg.DoModal();
});

enum GroupColumn { kColName, kColRead, kColWrite, kColNotify, kColModel, kColLevel };
constexpr int kMaxGroups = 50;

// The device's settle time after an add, before the re-read.
const ksx::Tunable kSettleMs("snmp-group.settle-ms", 50);

}  // namespace

CSNMPGroup::CSNMPGroup(QWidget* parent)
    : CSNMPTableDialog(IDD_SNMP_GROUP,
                       {IDC_GROUP_LIST, IDC_GROUP_APPLY, IDC_GROUP_DELETE, IDC_GROUP_REFRESH, IDC_GROUP_CLOSE,
                        IDC_GROUP_CANCEL, IDC_GROUP_ADD, IDC_GROUP_READ_STATUS},
                       {{"Group Name", 100},
                        {"Read View", 100},
                        {"Write View", 100},
                        {"Notify View", 100},
                        {"Security Model", 100},
                        {"Security Level", 100}},
                       parent) {
    OnCommand(IDC_GROUP_APPLY, [this] { OnApply(); });
    OnCommand(IDC_GROUP_DELETE, [this] { OnDelete(); });
    OnCommand(IDC_GROUP_CANCEL, [this] { OnCancelEdit(); });
    OnCommand(IDC_GROUP_CLOSE, [this] { EndDialog(IDCANCEL); });
    OnNotify(CBN_SELCHANGE, IDC_GROUP_MODEL, Handler([this] { OnModelChange(); }));
    m_config.onGroupRow = [this](const SNMP_GROUP_ROW& r) {
        AddRow(r.rowStatus, {r.groupName, r.readView, r.writeView, r.notifyView, r.model, r.level});
    };
}

CSNMPGroup::~CSNMPGroup() = default;

void CSNMPGroup::CreateControls() {
    SetWindowText("SNMP Group Table Info");
    ui::Form form(*this);
    auto entry = form.Group("");
    auto* name = entry.Edit(IDC_GROUP_NAME);
    auto* read = entry.Edit(IDC_GROUP_READ_VIEW);
    auto* write = entry.Edit(IDC_GROUP_WRITE_VIEW);
    auto* notify = entry.Edit(IDC_GROUP_NOTIFY_VIEW);
    m_cbModel = entry.Combo(IDC_GROUP_MODEL);
    m_cbLevel = entry.Combo(IDC_GROUP_LEVEL);
    entry.Row({"Group Name", name, "Security Model", m_cbModel});
    entry.Row({"Read View Name ", read, "Security Level", m_cbLevel});
    entry.Row({"Write View Name", write, "Notify View Name ", notify});
    AddTable(form, "");
}

void CSNMPGroup::InitFields() {
    m_cbModel->addItems({"v1", "v2c", "v3"});
    m_cbLevel->addItems({"NoAuthNoPriv", "AuthNoPriv", "AuthPriv"});
    m_cbModel->setCurrentIndex(0);
    m_cbLevel->setCurrentIndex(0);
    m_cbLevel->setEnabled(false);
    for (int id : {IDC_GROUP_NAME, IDC_GROUP_READ_VIEW, IDC_GROUP_WRITE_VIEW, IDC_GROUP_NOTIFY_VIEW}) {
        Item<QLineEdit>(id)->setMaxLength(32);
    }
}

void CSNMPGroup::OnModelChange() {
    m_cbLevel->setEnabled(m_cbModel->currentIndex() == 2);
}

void CSNMPGroup::OnApply() {
    if (!IsDlgItemEnabled(IDC_GROUP_APPLY) || Writing()) {
        return;
    }
    CWaitCursor wait;
    const std::string name = GetDlgItemText(IDC_GROUP_NAME);
    if (name.empty()) {
        AfxMessageBox(kTextEmptyName, MB_OK);
        return;
    }
    if (!CSNMPConfig::IsValidName(name)) {
        AfxMessageBox(kTextInvalidName, MB_OK);
        return;
    }
    const std::string read = GetDlgItemText(IDC_GROUP_READ_VIEW);
    const std::string write = GetDlgItemText(IDC_GROUP_WRITE_VIEW);
    const std::string notify = GetDlgItemText(IDC_GROUP_NOTIFY_VIEW);
    const std::string model = m_cbModel->currentText().toStdString();
    // The level list applies to v3 only; a v1 or v2c group has no authentication and no privacy.
    const std::string level = model == "v3" ? m_cbLevel->currentText().toStdString() : "NoAuthNoPriv";
    for (int row = 0; row < RowCount(); ++row) {
        if (Cell(row, kColName) == name && Cell(row, kColModel) == model) {
            AfxMessageBox(kTextExists, MB_OK);
            return;
        }
    }
    if (RowCount() == kMaxGroups) {
        AfxMessageBox(kTextMaximum, MB_OK);
        return;
    }
    const std::string object = kStatusColumn + CSNMPConfig::MakeGroupKey(name, model, level);
    RunCreate(
        object, "group",
        [this, name, model, level, read, write, notify]() -> ksx::StepsName {
            return m_config.SetGroup(name, model, level, read, write, notify)
                       ? ksx::StepsName{}
                       : ksx::StepsName{"the level and views", true};
        },
        [this] { ResetForm(); }, static_cast<unsigned>(kSettleMs.Get()));
}

void CSNMPGroup::ResetForm() {
    for (int id : {IDC_GROUP_NAME, IDC_GROUP_READ_VIEW, IDC_GROUP_WRITE_VIEW, IDC_GROUP_NOTIFY_VIEW}) {
        SetDlgItemText(id, "");
    }
    m_cbModel->setCurrentIndex(0);
    m_cbLevel->setCurrentIndex(0);
    m_cbLevel->setEnabled(false);
}

void CSNMPGroup::OnDelete() {
    if (Writing()) {
        return;
    }
    const int row = SelectedRow();
    if (row < 0) {
        AfxMessageBox(kTextSelect, MB_OK);
        return;
    }
    RunDelete(kStatusColumn +
                  CSNMPConfig::MakeGroupKey(Cell(row, kColName), Cell(row, kColModel), Cell(row, kColLevel)),
              "group");
}

void CSNMPGroup::OnCancelEdit() {
    for (int id : {IDC_GROUP_NAME, IDC_GROUP_READ_VIEW, IDC_GROUP_WRITE_VIEW, IDC_GROUP_NOTIFY_VIEW}) {
        SetDlgItemText(id, "");
    }
    m_cbModel->setCurrentIndex(0);
    m_cbLevel->setCurrentIndex(0);
    OnRefresh();
}
