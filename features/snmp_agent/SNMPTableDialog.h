// The list dialog shape of the agent's tables (users, groups, views, trap hosts): a form of fields, the
// table in a list, Apply (add), Delete, Refresh and Close, and hidden Add and Cancel buttons. The table
// is read through the dialog's CSNMPConfig; rows whose status is not active are neither shown nor
// counted. Adds and deletes are row-status sequences whose every step is checked; they run off the
// window's thread (SNMPWriteRun.h), with Apply, Cancel, Delete and Refresh unavailable until they end.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "features/snmp_agent/SNMPConfig.h"
#include "features/snmp_agent/SNMPWriteRun.h"
#include "platform/ui/Dialog.h"

class CListCtrlEx;
class QString;

namespace ksx::ui {
class Form;
}

class CSNMPTableDialog : public ksx::CDialog {
public:
    static constexpr const char* kTextReadFailed = "Reading the device failed. Press Refresh to try again.";

    struct Ids {
        int list, apply, del, refresh, close, cancel, add, readStatus;
    };
    struct Column {
        const char* heading;
        int width;  // at the default font
    };

    CSNMPTableDialog(unsigned templateId, Ids ids, std::vector<Column> columns, QWidget* parent);
    ~CSNMPTableDialog() override;

    // Disables the buttons, empties the list and reads the table again.
    void OnRefresh();
    // For tests: reads ended since the dialog opened (any way).
    int ReadsEnded() const { return m_readsEnded; }
    // An add or a delete is running; its progress line.
    bool Writing() const { return m_writes.Running(); }
    const CStepRun& Run() const { return m_writes.Run(); }

protected:
    int OnInitDialog() override;
    // Starts the table read of the dialog (one of CSNMPConfig's walks).
    virtual void StartRead() = 0;
    // Sets up the dialog's own fields before the first read.
    virtual void InitFields() {}

    // The list in a group box, the note for a failed read and the buttons, for CreateControls.
    void AddTable(ksx::ui::Form& form, const std::string& groupTitle, bool cancelShown = false);
    // Appends a row of cells when the row's status is "1".
    void AddRow(const std::string& rowStatus, const std::vector<std::string>& cells);
    int RowCount() const;
    std::string Cell(int row, int column) const;
    // The first selected row, or -1.
    int SelectedRow() const;
    // The table was read to its end: the duplicate and maximum checks can rely on the list.
    bool TableRead() const { return m_bTableRead; }

    // Adds a row off the window's thread (CSNMPWriteRun::Create): `columns` runs on the worker with
    // copies of the fields only. When the add ran to its end, `added` (UI thread) runs if the row was
    // added, then the table is read again.
    void RunCreate(const std::string& statusOid, const std::string& what, CSNMPWriteRun::Columns columns,
                   std::function<void()> added, unsigned settleMs = 0);
    // Deletes a row off the window's thread, then reads the table again.
    void RunDelete(const std::string& statusOid, const std::string& what);

    CSNMPConfig m_config;
    CListCtrlEx* m_list = nullptr;

private:
    void OnReadEnd(const ksx::WalkEnd& end);
    void EnableButtons(bool enable);

    Ids m_ids;
    std::vector<Column> m_columns;
    bool m_bTableRead = false;
    int m_readsEnded = 0;
    CSNMPWriteRun m_writes{*this, m_config};  // after m_config, whose sessions its steps use
};
