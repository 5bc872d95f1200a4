#include "platform/ui/QtMessageBox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <QStyle>
#include <vector>

#include "platform/ui/Text.h"

namespace ksx::ui {

namespace {

constexpr unsigned kButtonMask = 0x0Fu;
constexpr unsigned kIconMask = 0xF0u;
constexpr unsigned kDefaultMask = 0xF00u;

// Makes the box wide enough for its whole title next to the window's own buttons (a short text would
// otherwise leave the title cut to its first letter).
void WidenForTitle(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr || box.windowTitle().isEmpty()) {
        return;
    }
    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);  // the widest a window manager draws it
    const int title = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle());
    const int chrome = 4 * box.style()->pixelMetric(QStyle::PM_TitleBarHeight);  // icon and buttons
    grid->addItem(new QSpacerItem(title + chrome, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace

QtMessageBoxService::QtMessageBoxService() : m_target(DeliveryGate::Instance().RegisterTarget()) {}

QtMessageBoxService::~QtMessageBoxService() {
    DeliveryGate::Instance().UnregisterTarget(m_target);
}

int QtMessageBoxService::NegativeAnswer(unsigned flags) {
    switch (flags & kButtonMask) {
        case MB_OK:
            return IDOK;
        case MB_YESNO:
            return IDNO;
        default:
            return IDCANCEL;
    }
}

int QtMessageBoxService::Show(const std::string& text, const std::string& caption, unsigned flags) {
    DeliveryGate& gate = DeliveryGate::Instance();
    if (gate.OnOwnerThread()) {
        return ShowOnUiThread(text, caption, flags);
    }
    const std::intptr_t answer = gate.Send(m_target, [&] { return ShowOnUiThread(text, caption, flags); });
    return answer != 0 ? static_cast<int>(answer) : NegativeAnswer(flags);
}

int QtMessageBoxService::ShowOnUiThread(const std::string& text, const std::string& caption, unsigned flags) {
    QMessageBox box(QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);  // the system's texts are shown as they are
    box.setText(ToQ(text));
    box.setWindowTitle(ToQ(caption));
    switch (flags & kIconMask) {
        case MB_ICONERROR:
            box.setIcon(QMessageBox::Critical);
            break;
        case MB_ICONQUESTION:
            box.setIcon(QMessageBox::Question);
            break;
        case MB_ICONWARNING:
            box.setIcon(QMessageBox::Warning);
            break;
        case MB_ICONINFORMATION:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            box.setIcon(QMessageBox::NoIcon);
            break;
    }
    // Buttons in the classic order with their answers.
    std::vector<std::pair<QPushButton*, int>> buttons;
    auto add = [&](QMessageBox::StandardButton b, int answer) {
        buttons.emplace_back(box.addButton(b), answer);
    };
    QPushButton* escape = nullptr;
    switch (flags & kButtonMask) {
        case MB_OKCANCEL:
            add(QMessageBox::Ok, IDOK);
            add(QMessageBox::Cancel, IDCANCEL);
            escape = buttons[1].first;
            break;
        case MB_YESNOCANCEL:
            add(QMessageBox::Yes, IDYES);
            add(QMessageBox::No, IDNO);
            add(QMessageBox::Cancel, IDCANCEL);
            escape = buttons[2].first;
            break;
        case MB_YESNO:
            add(QMessageBox::Yes, IDYES);
            add(QMessageBox::No, IDNO);
            break;
        default:
            add(QMessageBox::Ok, IDOK);
            escape = buttons[0].first;
            break;
    }
    const std::size_t def = ((flags & kDefaultMask) == MB_DEFBUTTON2 && buttons.size() > 1) ? 1 : 0;
    box.setDefaultButton(buttons[def].first);
    if (escape != nullptr) {
        box.setEscapeButton(escape);
    }
    WidenForTitle(box);
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    for (const auto& [button, answer] : buttons) {
        if (button == clicked) {
            return answer;
        }
    }
    return NegativeAnswer(flags);
}

}  // namespace ksx::ui
