// Menus built from one table of (path, command id, text) entries; commands are dispatched by id.
#pragma once

#include <QMenuBar>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace ksx {

constexpr unsigned kMenuSeparator = 0;  // an entry with this id is a separator

// One menu item: the popup path from the top level down (texts exactly as shown, each level created on
// first use in table order), the command id and the item text. Id kMenuSeparator adds a separator to
// that popup (text ignored). An entry with id kMenuSeparator and empty text and an empty path is ignored.
struct MenuEntry {
    std::vector<std::string> path;
    unsigned id = kMenuSeparator;
    std::string text;
};
using MenuTable = std::vector<MenuEntry>;

class CMenuBar {
public:
    // Builds the bar (owned by `parent`'s widget tree); every triggered item calls onCommand(id).
    CMenuBar(const MenuTable& table, std::function<void(unsigned id)> onCommand, QWidget* parent = nullptr);
    ~CMenuBar();
    CMenuBar(const CMenuBar&) = delete;
    CMenuBar& operator=(const CMenuBar&) = delete;

    QMenuBar* Bar() const { return m_bar; }
    // The item of a command (searched through nested popups), or null.
    QAction* Action(unsigned id) const;
    // The popup at this path, or null.
    QMenu* Popup(const std::vector<std::string>& path) const;

    // Deletes the item of a command wherever it is; false when not present.
    bool RemoveCommand(unsigned id);
    // Deletes the entry (item, separator or popup) at `position` of the popup at `path` (empty path: the
    // bar itself); false when there is no such entry.
    bool RemoveAt(const std::vector<std::string>& path, int position);
    // Replaces the entry at `position` of the popup at `path` by a command item; false when not present.
    bool ReplaceAt(const std::vector<std::string>& path, int position, unsigned id, const std::string& text);
    bool SetItemText(unsigned id, const std::string& text);
    bool EnableCommand(unsigned id, bool enable);
    bool CheckCommand(unsigned id, bool checked);

private:
    QAction* MakeItem(QWidget* owner, unsigned id, const std::string& text);

    QPointer<QMenuBar> m_bar;
    std::function<void(unsigned)> m_onCommand;
};

// Shows a context menu from a table at a global position, waits for the choice and returns the chosen
// command id, 0 when none. UI thread.
unsigned TrackPopupMenu(const MenuTable& table, const QPoint& globalPos, QWidget* parent = nullptr);

}  // namespace ksx
