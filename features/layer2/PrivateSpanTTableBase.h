// What the two spanning tree port tables share: the list read when the window shows and after an
// editor run that ended with OK, the "Entries:" count, "&Port Config" and a double click that open the
// editor (only when there is a row to edit), and rows taken only from replies with every column.
#pragma once

#include <QShowEvent>
#include <optional>
#include <string>
#include <vector>

#include "core/CommonSNMP.h"
#include "core/TableRead.h"
#include "platform/ui/Dialog.h"

class CListCtrl;
namespace ksx::ui {
class Form;
}

class CPrivateSpanTTableBase : public ksx::CDialog {
public:
    struct Column {
        const char* heading;
        int width;  // pixels; -1: the heading's width plus 15
        int align;
    };

    // `oids`: the walked columns in binding order; `columns`: the list's columns.
    CPrivateSpanTTableBase(unsigned templateId, std::vector<std::string> oids, std::vector<Column> columns,
                           int refreshId, QWidget* parent);
    ~CPrivateSpanTTableBase() override;

    CListCtrl* List() const { return m_list; }
    // The cells of a reply that carries every walked column; none (the step rejected) for a shorter one.
    std::optional<std::vector<std::string>> ParseRow(const ksx::WalkStep& step) const;
    // Empties the list and walks the table again; while Busy(), the walk waits for ReadWhenReady().
    void Refresh();
    // The rows are not all there yet: the walk, or what runs before it, is under way.
    bool Reading() const { return m_read.Running() || Busy(); }

    int DestroyWindow() override;

protected:
    // The list, "Entries:" and the buttons, top to bottom.
    void AddTableControls(ksx::ui::Form& form, int refreshId, int closeId, const char* closeText);
    int OnInitDialog() override;
    void showEvent(QShowEvent* e) override;

    // The list cells of one reply that has every column (the walk's worker: use the step only).
    virtual std::vector<std::string> Cells(const ksx::WalkStep& step) const = 0;
    // Runs the editor on the selected row; IDOK or IDCANCEL.
    virtual int RunEditor() = 0;
    // Requests that must end before the table is walked are under way (Refresh is unavailable).
    virtual bool Busy() const { return false; }
    // Once Busy() ended: the walk asked for meanwhile starts, or the buttons come back.
    void ReadWhenReady();

    // The texts of the step's values, every walked column in binding order.
    static std::vector<std::string> StepTexts(const ksx::WalkStep& step, int count);
    // Runs an editor of type Editor on this list.
    template <class Editor>
    int RunEditorOnList() {
        Editor dlg;
        dlg.SetTable(List());
        return dlg.DoModal();
    }

    CCommonSNMP m_cCommonSNMP;

private:
    static int OnPortTableWalk(CSnmp* response, int requestId, void* userData, int status);
    void OnPortConfig();
    void EnableButtons();

    std::vector<Column> m_columns;
    int m_refreshId;
    bool m_readWaiting = false;  // Refresh came while Busy()
    CListCtrl* m_list = nullptr;
    ksx::TableRead<std::vector<std::string>> m_read;
};
