// Base of the list dialogs: the columns are declared once (walked column OID, heading, width rule, how a
// value is shown) and that one table drives both the walk's bindings and the list's columns. Refresh,
// the controls disabled while the walk runs, filling the list and enabling them again live here.
//
//   class CFooView : public CTableDialog {
//   public:
//       CFooView() : CTableDialog(IDD_FOO, {
//           {kIfIndex, "Port", ColumnWidth::SampleText("26(F_100)")},
//           {kIfDescr, "Description", ColumnWidth::Remaining()},
//       }) {}
//   protected:
//       void CreateControls() override {
//           ksx::ui::Form form(*this);
//           form.Fill(MakeList(IDC_FOO_LIST));
//           form.Buttons({{IDC_FOO_REFRESH, "Refresh"}, {IDCANCEL, "Close"}});
//           SetRefreshButton(IDC_FOO_REFRESH);
//       }
//   };
//
// OnInitDialog sets up the columns and starts the first read. The walk runs on the dialog's own
// session, registered with the dialog, so it ends with the window.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "controls/ListCtrl.h"
#include "core/TableRead.h"
#include "platform/ui/Dialog.h"

// How wide a column is at the default font; the list grows it with the font, its heading and its cells.
struct ColumnWidth {
    enum Kind { Default, Pixels, Sample, Rest };
    Kind kind = Default;
    int pixels = 0;      // Pixels: the width; Sample: added to the text's width; Rest: kept free at the right
    std::string sample;  // Sample: the widest text the column shows

    static ColumnWidth Fixed(int px) { return {Pixels, px, {}}; }
    // As wide as `text` in the list's font, plus `pad` pixels.
    static ColumnWidth SampleText(const std::string& text, int pad = 15) { return {Sample, pad, text}; }
    // What the other columns leave, minus `margin` pixels.
    static ColumnWidth Remaining(int margin = 24) { return {Rest, margin, {}}; }
};

struct ListColumn {
    // Value of a cell from the step (on the walk's worker): `binding` is the column's binding index, -1
    // for a column that is not walked.
    using Format = std::function<std::string(const ksx::WalkStep& step, int binding)>;

    ListColumn(std::string columnOid, std::string columnHeading, ColumnWidth columnWidth = {},
               Format columnFormat = nullptr, int columnAlign = LVCFMT_LEFT, std::string unread = {})
        : oid(std::move(columnOid)),
          heading(std::move(columnHeading)),
          width(std::move(columnWidth)),
          format(std::move(columnFormat)),
          align(columnAlign),
          placeholder(std::move(unread)) {}

    std::string oid;  // walked column; empty: not walked, the cell comes from `format` alone
    std::string heading;
    ColumnWidth width;
    Format format;  // null: the binding's text
    int align = LVCFMT_LEFT;
    std::string placeholder;  // a keyed row's cell before the device sent its row

    // Common formats.
    static std::string Text(const ksx::WalkStep& step, int binding) { return step.Text(binding); }
    static std::string Number(const ksx::WalkStep& step, int binding);
    static std::string Index(const ksx::WalkStep& step, int binding);
};

// One row as the list shows it.
struct TableRow {
    std::string index;               // the instance of the first walked column, without the leading "."
    std::vector<std::string> cells;  // one per column
};

class CTableDialog : public ksx::CDialog {
public:
    CTableDialog(unsigned templateId, std::vector<ListColumn> columns, QWidget* parent = nullptr);
    ~CTableDialog() override;

    CListCtrl* List() const { return m_list; }
    const std::vector<ListColumn>& Columns() const { return m_columns; }
    // Starts a new read: the list is emptied, the busy controls disabled until the walk ends.
    void Refresh();
    bool Reading() const { return m_read.Running(); }

protected:
    // For CreateControls: the list, registered under `id`, full-row selection and grid lines.
    CListCtrl* MakeList(int id);
    // The control ids disabled while a read runs (the Refresh button is one of them).
    void SetBusyControls(std::vector<int> ids) { m_busy = std::move(ids); }
    // Refresh on a click of this button, and disabled during a read.
    void SetRefreshButton(int id);
    // One row per key 1..count: a row lands on the line its index names (rows outside are dropped) and
    // lines the device did not send show the columns' placeholders. The list is filled at the end.
    void KeyRowsByIndex(int count) { m_keyed = count; }
    // A row to the list (UI thread). Default: appended, or kept for the keyed fill.
    virtual void OnRow(const TableRow& row);
    // The walk ended and the busy controls are enabled again (UI thread).
    virtual void OnReadEnd(const ksx::WalkEnd& end) { (void)end; }
    // Time-outs of the walk's first and later steps (0: the session's default).
    void SetStepTimeouts(int firstMs, int nextMs) { m_firstTimeout = firstMs, m_nextTimeout = nextMs; }
    // What a read that failed says ("Failed to read the ..."), once, after OnReadEnd; an SNMPv3 failure
    // behind it is named in the same box. Empty (the default): the dialog says nothing of its own.
    void SetReadFailedText(std::string text) { m_readFailedText = std::move(text); }
    // One group number per walked column, for a list whose walk reads two tables beside each other:
    // each table keeps rows of its own (ksx::WalkReader::SetGroups).
    void SetColumnGroups(std::vector<int> groups) { m_read.SetGroups(std::move(groups)); }

    int OnInitDialog() override;

    // Hands the column table's width rules to the list, which keeps them as its size and font change.
    void SizeColumns();
    // Wide enough for every column: fixed and sample widths, thirty characters for a remaining one.
    int MinimumListWidth() const;
    // Appends a row's cells as a new line; returns the line.
    int AppendRow(const TableRow& row);

    // Enables or disables the busy controls.
    void EnableBusy(bool enable);

private:
    void FillKeyed();
    std::vector<std::string> WalkedOids() const;

    std::vector<ListColumn> m_columns;
    std::vector<int> m_busy;
    int m_keyed = 0;
    std::vector<TableRow> m_keyedRows;
    int m_firstTimeout = 0;
    int m_nextTimeout = 0;
    std::string m_readFailedText;
    CListCtrl* m_list = nullptr;
    CCommonSNMP m_session;
    ksx::TableRead<TableRow> m_read;
};
