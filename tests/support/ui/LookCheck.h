// What a person looking at a dialog would call broken, checked on the shown dialog: a control cut by
// its parent or squeezed below the size its content needs, controls on top of each other, a list
// heading or cell whose text is cut where the column could still grow (a cell at the widest a column
// grows must show its text as a tooltip), a read-only edit that looks editable, a dialog larger than
// the screen. Used by the look check of every dialog and by control tests.
#pragma once

#include <QFont>
#include <QString>
#include <string>
#include <vector>

class QWidget;

namespace ksx::test {

// One line per problem, naming the control ("QLabel 'TX' 20x10 < 24x16 in ..."); empty when none.
std::vector<std::string> LookProblems(QWidget* dialog);

// LookProblems once the dialog has settled: a text or list item that arrived a moment ago has the
// layout redone by posted requests, which may take more than one turn of the event loop on a busy
// machine. Waits (two seconds at most) for a look without problems; returns what is still wrong.
std::vector<std::string> SettledLookProblems(QWidget* dialog);

// Waits until the dialog's lists have fitted their columns to the texts that arrived.
void SettleLists(QWidget* dialog);

// While it lives, the application font is `scale` times the one it had.
class ScaledFont {
public:
    explicit ScaledFont(double scale);
    ~ScaledFont();
    ScaledFont(const ScaledFont&) = delete;
    ScaledFont& operator=(const ScaledFont&) = delete;

private:
    QFont m_original;
};

// build/screenshots/<area> beside the test executables, made when missing.
QString ScreenshotDir(const QString& area);

}  // namespace ksx::test
