// What the standard-MIB view tests share: the list's rows and headings, and the comparison with what
// the command-line tools read of a real agent.
#pragma once

#include <QHeaderView>
#include <QTableWidget>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/features/DialogTest.h"
#include "tests/support/RealSnmpd.h"

namespace ksx::stdmibtest {

using Rows = std::vector<std::vector<std::string>>;

inline Rows ListRows(const test::DialogDriver& drv, int listId) {
    Rows rows;
    for (int r = 0; r < drv.Rows(listId); ++r) {
        rows.push_back(drv.Row(listId, r));
    }
    return rows;
}

inline std::vector<std::string> Headings(const test::DialogDriver& drv, int listId) {
    std::vector<std::string> out;
    auto* list = drv.ItemAs<QTableWidget>(listId);
    for (int c = 0; list != nullptr && c < list->columnCount(); ++c) {
        out.push_back(list->horizontalHeaderItem(c)->text().toStdString());
    }
    return out;
}

// The rows snmpwalk reads of `columns` (one walk each), joined by index in index order, each value passed
// through the cell format of its column. A row lacking a column gets an empty cell.
inline Rows ToolRows(const test::RealSnmpd& agent, const std::vector<std::string>& columns,
                     const std::vector<std::function<std::string(const std::string&)>>& formats) {
    std::map<std::string, std::vector<std::string>> byIndex;
    std::vector<std::string> order;
    for (size_t c = 0; c < columns.size(); ++c) {
        for (const test::ToolBinding& b : agent.Walk(columns[c])) {
            const std::string index = b.oid.substr(columns[c].size() + 1);
            auto [it, added] = byIndex.try_emplace(index, std::vector<std::string>(columns.size()));
            if (added && c == 0) {
                order.push_back(index);
            }
            it->second[c] = formats[c] ? formats[c](b.value) : b.value;
        }
    }
    Rows rows;
    for (const std::string& index : order) {
        rows.push_back(byIndex[index]);
    }
    return rows;
}

}  // namespace ksx::stdmibtest
