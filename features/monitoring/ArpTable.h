// The device's IP-to-media address translation table (MIB-II ipNetToMediaTable): interface, IP address,
// MAC address and entry type, read by a walk over the SNMP class library (community-based only), with a
// print-out in pages of 35 rows.
#pragma once

#include <string>

#include "features/common/DirectListView.h"

class QPrinter;

class CArpTable : public CDirectListView {
public:
    static constexpr int kRowsPerPage = 35;

    explicit CArpTable(QWidget* parent = nullptr);

    // Column 3's text for an ipNetToMediaType value.
    static std::string TypeName(const std::string& value);
    // Six octets as "XX:XX:XX:XX:XX:XX"; other lengths as the octets there are, in the same form.
    static std::string MacText(const std::string& octets);
    // Pages a print-out of `rows` rows takes.
    static int PageCount(int rows) { return (rows + kRowsPerPage - 1) / kRowsPerPage; }

    // Print: asks for a printer, then prints the list.
    void PrintList();
    // Prints the list on `printer`; false (and the message) when it could not.
    bool PrintTo(QPrinter& printer);

protected:
    std::optional<std::vector<std::string>> RowCells(const ksx::DirectReply& reply) override;
    void MoreControls() override;
    int OnInitDialog() override;
};
