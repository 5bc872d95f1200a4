// Read-only views of standard MIB-II tables: one walk of a few columns into a list inside a group box,
// Refresh and Close, and for some views an "Entries:" count. The interface and IP address views, and the
// TCP and UDP connection views, are members of this one class that differ by their column table and a
// few words of layout.
#pragma once

#include <string>
#include <vector>

#include "controls/TableDialog.h"

class CStdMibTable : public CTableDialog {
public:
    struct Layout {
        unsigned templateId;
        std::string group;  // title of the group box around the list
        int listId;
        int countId;    // static after "Entries:"; 0: no count
        int refreshId;  // default button
        int closeResult;
        std::string failed;  // what a failed walk says ("Failed to read the ...")
    };

    CStdMibTable(Layout layout, std::vector<ListColumn> columns, QWidget* parent);
    ~CStdMibTable() override;

    const Layout& GetLayout() const { return m_layout; }

    // Cell formats shared by the views (worker thread). Each binding belongs to its column and to the
    // row its instance names (ksx::ColumnWalk): a column the reply lacks for a row, an exception value
    // or a value of another type makes an empty cell of that row and ends nothing.
    // An INTEGER in decimal.
    static std::string Number(const ksx::WalkStep& step, int binding);
    // An IPv4 address (IpAddress of four octets) as dotted text.
    static std::string Address(const ksx::WalkStep& step, int binding);

protected:
    virtual std::string Caption() const = 0;

    void CreateControls() override;
    int OnInitDialog() override;
    void OnReadEnd(const ksx::WalkEnd& end) override;
    int DestroyWindow() override;

private:
    // "Entries:" shows the rows of a walk that ended well, and nothing while one runs or after one failed.
    void ShowCount();
    void ClearCount();

    Layout m_layout;
};
