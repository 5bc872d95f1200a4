// ARP table view.
#include "features/monitoring/ArpTable.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include "controls/ListCtrlEx.h"
#include "platform/ui/Form.h"
#include "res/ids_direct.h"

using namespace ksx;

namespace {

const char* const kColumns[4] = {"1.3.6.1.2.1.4.22.1.1", "1.3.6.1.2.1.4.22.1.3", "1.3.6.1.2.1.4.22.1.2",
                                 "1.3.6.1.2.1.4.22.1.4"};

CDirectListView::ViewSetup MakeSetup() {
    CDirectListView::ViewSetup setup;
    setup.templateId = IDD_ARP_TABLE;
    setup.caption = "ARP Information";
    setup.listId = IDC_ARP_LIST;
    setup.refreshId = IDC_ARP_REFRESH;
    setup.countId = IDC_ARP_COUNT;
    setup.whilePending = CDirectListView::WhilePending::Restart;
    setup.headings = {"Interface ", "     IP               ", "       MAC                     ",
                      "  Type       "};
    setup.oids = {std::begin(kColumns), std::end(kColumns)};
    return setup;
}

// Right-aligned in `width` characters, as printf's "%Ns" does.
QString Pad(const QString& text, int width) {
    return QString("%1").arg(text, width);
}

}  // namespace

CArpTable::CArpTable(QWidget* parent) : CDirectListView(MakeSetup(), parent) {
    OnCommand(IDC_ARP_PRINT, [this] { PrintList(); });
    OnCommand(IDCANCEL, [this] { EndDialog(IDOK); });
}

std::string CArpTable::TypeName(const std::string& value) {
    if (value == "1") {
        return "Unknown";
    }
    if (value == "2") {
        return "Illegal";
    }
    if (value == "3") {
        return "Dynamic";
    }
    return "Static";
}

std::string CArpTable::MacText(const std::string& octets) {
    return HexPairs(octets);
}

void CArpTable::MoreControls() {
    // The print command is there but not shown.
    RegisterControl(IDC_ARP_PRINT, new QPushButton("Print", Client()))->hide();
}

int CArpTable::OnInitDialog() {
    CDirectListView::OnInitDialog();
    Refresh();
    return 1;
}

std::optional<std::vector<std::string>> CArpTable::RowCells(const DirectReply& reply) {
    if (reply.Count() < 4) {
        return std::nullopt;
    }
    // The physical address is shown only from the octets that arrived.
    const auto mac = reply.Octets(2);
    return std::vector<std::string>{reply.Text(0), reply.Text(1), mac ? MacText(*mac) : std::string(),
                                    reply.Has(3) ? TypeName(reply.Text(3)) : std::string()};
}

void CArpTable::PrintList() {
    if (List()->GetItemCount() == 0) {
        return;
    }
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    PrintTo(printer);
}

bool CArpTable::PrintTo(QPrinter& printer) {
    const int rows = List()->GetItemCount();
    if (rows == 0) {
        return true;
    }
    if (!printer.isValid()) {
        AfxMessageBox("Can't get printer info!");
        return false;
    }
    SetWindowText(" ARP Information");
    printer.setDocName(QString::fromStdString(GetWindowText()));
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer)) {
        AfxMessageBox("Printer error!");
        return false;
    }
    // Positions in twips (1/1440 inch) from the top left corner of the paper.
    const double scale = printer.resolution() / 1440.0;
    painter.scale(scale, scale);
    QFont font("Monospace");
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(200);
    painter.setFont(font);
    const int pages = PageCount(rows);  // a multiple of 35 rows takes no empty page after them
    bool ok = true;
    for (int page = 1; page <= pages && ok; ++page) {
        if (page > 1 && !printer.newPage()) {
            ok = false;
            break;
        }
        painter.drawText(1340, 360, printer.docName());
        painter.drawLine(720, 620, 6480, 620);
        painter.drawText(
            420, 980,
            " " + Pad(QString::fromUtf8("接口"), 10) + " " + Pad(QString::fromUtf8("IP地址   "), 16) + " " +
                Pad(QString::fromUtf8("MAC 地址   "), 20) + " " + Pad(QString::fromUtf8("类型"), 10));
        for (int row = (page - 1) * kRowsPerPage; row < page * kRowsPerPage && row < rows; ++row) {
            painter.drawText(
                360, 1440 + 360 * (row % kRowsPerPage),
                Pad(List()->GetItemText(row, 0), 10) + " " + Pad(List()->GetItemText(row, 1), 16) + " " +
                    Pad(List()->GetItemText(row, 2), 20) + " " + Pad(List()->GetItemText(row, 3), 10));
        }
        const QString number = QString::fromUtf8("第 %1 页").arg(page);
        const int width = painter.fontMetrics().horizontalAdvance(number);
        painter.drawText((11520 - width) / 2, 14400, number);
    }
    if (ok) {
        painter.end();
    } else {
        printer.abort();
        painter.end();
    }
    return ok;
}
