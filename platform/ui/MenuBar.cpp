#include "platform/ui/MenuBar.h"

#include <QAction>
#include <QMenu>

#include "platform/ui/Dialog.h"
#include "platform/ui/Text.h"

namespace ksx {

namespace {

unsigned ActionId(const QAction* a) {
    const QVariant v = a->property(CDialog::kIdProperty);
    return v.isValid() ? v.toUInt() : 0;
}

// The popup named `text` directly inside `owner` (a bar or a menu), or null.
QMenu* FindPopup(QWidget* owner, const QString& text) {
    for (QAction* a : owner->actions()) {
        if (a->menu() != nullptr && a->text() == text) {
            return a->menu();
        }
    }
    return nullptr;
}

QAction* FindAction(QWidget* owner, unsigned id) {
    for (QAction* a : owner->actions()) {
        if (QMenu* sub = a->menu()) {
            if (QAction* found = FindAction(sub, id)) {
                return found;
            }
        } else if (!a->isSeparator() && ActionId(a) == id) {
            return a;
        }
    }
    return nullptr;
}

QMenu* AddPopup(QWidget* owner, const QString& text) {
    if (auto* bar = qobject_cast<QMenuBar*>(owner)) {
        return bar->addMenu(text);
    }
    return static_cast<QMenu*>(owner)->addMenu(text);
}

// Takes an entry out of its owner and frees it (a popup together with its items).
void DeleteEntry(QWidget* owner, QAction* a) {
    owner->removeAction(a);
    if (QMenu* sub = a->menu()) {
        delete sub;  // its menu action goes with it
        return;
    }
    delete a;
}

}  // namespace

CMenuBar::CMenuBar(const MenuTable& table, std::function<void(unsigned id)> onCommand, QWidget* parent)
    : m_bar(new QMenuBar(parent)), m_onCommand(std::move(onCommand)) {
    m_bar->setNativeMenuBar(false);
    for (const MenuEntry& e : table) {
        QWidget* owner = m_bar;
        for (const std::string& level : e.path) {
            const QString text = ui::ToQ(level);
            QMenu* popup = FindPopup(owner, text);
            owner = popup != nullptr ? popup : AddPopup(owner, text);
        }
        if (e.id == kMenuSeparator) {
            if (auto* menu = qobject_cast<QMenu*>(owner)) {
                menu->addSeparator();
            } else if (!e.path.empty() || !e.text.empty()) {
                m_bar->addSeparator();
            }
            continue;
        }
        owner->addAction(MakeItem(owner, e.id, e.text));
    }
}

CMenuBar::~CMenuBar() {
    delete m_bar.data();
}

QAction* CMenuBar::MakeItem(QWidget* owner, unsigned id, const std::string& text) {
    auto* a = new QAction(ui::ToQ(text), owner);
    a->setProperty(CDialog::kIdProperty, id);
    QObject::connect(a, &QAction::triggered, a, [this, id] {
        if (m_onCommand) {
            m_onCommand(id);
        }
    });
    return a;
}

QAction* CMenuBar::Action(unsigned id) const {
    return m_bar ? FindAction(m_bar, id) : nullptr;
}

QMenu* CMenuBar::Popup(const std::vector<std::string>& path) const {
    QWidget* owner = m_bar;
    QMenu* popup = nullptr;
    for (const std::string& level : path) {
        if (owner == nullptr) {
            return nullptr;
        }
        popup = FindPopup(owner, ui::ToQ(level));
        owner = popup;
    }
    return popup;
}

bool CMenuBar::RemoveCommand(unsigned id) {
    QAction* a = Action(id);
    if (a == nullptr) {
        return false;
    }
    const auto owners = a->associatedObjects();
    for (QObject* o : owners) {
        if (auto* w = qobject_cast<QWidget*>(o)) {
            w->removeAction(a);
        }
    }
    delete a;
    return true;
}

bool CMenuBar::RemoveAt(const std::vector<std::string>& path, int position) {
    QWidget* owner = path.empty() ? static_cast<QWidget*>(m_bar.data()) : Popup(path);
    if (owner == nullptr) {
        return false;
    }
    const auto entries = owner->actions();
    if (position < 0 || position >= entries.size()) {
        return false;
    }
    DeleteEntry(owner, entries[position]);
    return true;
}

bool CMenuBar::ReplaceAt(const std::vector<std::string>& path, int position, unsigned id,
                         const std::string& text) {
    QWidget* owner = path.empty() ? static_cast<QWidget*>(m_bar.data()) : Popup(path);
    if (owner == nullptr) {
        return false;
    }
    const auto entries = owner->actions();
    if (position < 0 || position >= entries.size()) {
        return false;
    }
    owner->insertAction(entries[position], MakeItem(owner, id, text));
    DeleteEntry(owner, entries[position]);
    return true;
}

bool CMenuBar::SetItemText(unsigned id, const std::string& text) {
    QAction* a = Action(id);
    if (a != nullptr) {
        a->setText(ui::ToQ(text));
    }
    return a != nullptr;
}

bool CMenuBar::EnableCommand(unsigned id, bool enable) {
    QAction* a = Action(id);
    if (a != nullptr) {
        a->setEnabled(enable);
    }
    return a != nullptr;
}

bool CMenuBar::CheckCommand(unsigned id, bool checked) {
    QAction* a = Action(id);
    if (a != nullptr) {
        a->setCheckable(true);
        a->setChecked(checked);
    }
    return a != nullptr;
}

unsigned TrackPopupMenu(const MenuTable& table, const QPoint& globalPos, QWidget* parent) {
    QMenu menu(parent);
    for (const MenuEntry& e : table) {
        QMenu* owner = &menu;
        for (const std::string& level : e.path) {
            const QString text = ui::ToQ(level);
            QMenu* popup = FindPopup(owner, text);
            owner = popup != nullptr ? popup : owner->addMenu(text);
        }
        if (e.id == kMenuSeparator) {
            owner->addSeparator();
            continue;
        }
        QAction* a = owner->addAction(ui::ToQ(e.text));
        a->setProperty(CDialog::kIdProperty, e.id);
    }
    QAction* chosen = menu.exec(globalPos);
    return chosen != nullptr ? ActionId(chosen) : 0;
}

}  // namespace ksx
