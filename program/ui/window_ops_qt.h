// The program's window and menu operations for the engine, made with Qt.
//
// The engine keeps the window slots, the menu tables and the logic of its window procedure;
// this class lends it menus (a QMenu per engine menu handle, QActions carrying the command
// identifiers as data), menu bars for registered windows, popups, and the events of the
// windows and controls the engine hooks, which go back to the engine's WindowProc.
#pragma once

#include <QObject>
#include <QPointer>
#include <map>
#include <unordered_map>

#include "lumvatek/window_ops.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace yov {

class FormHook;

class QtWindowOps : public QObject {
    Q_OBJECT
public:
    explicit QtWindowOps(QObject* parent = nullptr);
    ~QtWindowOps() override;

    const LvWindowOps* table() const { return &table_; }
    // Hands the table to the engine. False when the engine cannot be bound.
    bool install();

    // How long the mouse must rest on a subclassed control before it counts as hovering.

    QMenu* menu(LvHandle handle) const;
    LvHandle handleOf(const QMenu* menu) const;
    // The menu bar the engine attached to a window, null when none.
    QMenuBar* menuBarOf(const QWidget* window) const;

    // Sets or clears the check mark of the item with that command id in the menu (what
    // Windows calls CheckMenuItem by command); -1 when the menu has no such item.
    int32_t checkItem(LvHandle menu, int32_t identifier, bool on);

    // Runs the engine's procedure for an event of window; kLvProcUnknown when it fails.
    int32_t forward(QWidget* window, LvWindowMessage& message);
    void forwardCommand(QWidget* window, int32_t identifier);
    void forwardSelect(QWidget* window, QAction* action);

private:
    struct MenuRecord {
        QPointer<QMenu> menu;
        bool bar = false;
    };
    struct BarRecord {
        QPointer<QMenuBar> bar;
        LvHandle menu = 0;
    };
    struct HookRecord {
        QPointer<FormHook> hook;
        QMetaObject::Connection destroyed;
    };

    LvHandle createMenu(bool bar);
    int32_t destroyMenu(LvHandle handle);
    int32_t insertItem(LvHandle handle, int32_t position, const LvMenuItem& item);
    int32_t removeItem(LvHandle handle, int32_t position, LvHandle* submenu);
    int32_t itemCount(LvHandle handle) const;
    int32_t findItem(LvHandle handle, int32_t identifier) const;
    int32_t itemState(LvHandle handle, int32_t position, uint32_t mask, uint32_t state);
    int32_t setSubmenu(LvHandle handle, int32_t position, LvHandle submenu, LvHandle* previous);
    int32_t setMenuBar(LvWindow window, LvHandle handle);
    int32_t drawMenuBar(LvWindow window);
    int32_t trackPopup(LvHandle handle, LvWindow owner, int32_t x, int32_t y, int32_t flags);
    uintptr_t hookWindow(LvWindow window, int32_t hook, int32_t userData);
    int32_t unhookWindow(LvWindow window, uintptr_t token);
    void screenMetrics(int32_t* width, int32_t* height, int32_t* menuHeight) const;

    QAction* actionAt(LvHandle handle, int32_t position) const;
    void removeBar(QWidget* window);
    // The menu loop: which window a menu that opens belongs to, entry and exit.
    QWidget* currentOwner() const;
    void menuShown(QMenu* menu);
    void menuHidden(QMenu* menu);
    bool menuKey(QMenu* menu, int key);
    bool eventFilter(QObject* watched, QEvent* event) override;

    LvWindowOps table_{};
    std::unordered_map<LvHandle, MenuRecord> menus_;
    LvHandle nextHandle_ = 1;
    std::map<const QWidget*, BarRecord> bars_;
    std::unordered_map<uintptr_t, HookRecord> hooks_;
    bool installed_ = false;

    QPointer<QWidget> popupOwner_;  // the owner of a popup being tracked
    bool quiet_ = false;            // a popup tracked without notifications
    QPointer<QWidget> loopOwner_;   // the window whose menu loop is running
    QPointer<QWidget> barOwner_;    // the window whose menu bar was used last
    int openMenus_ = 0;
    bool exitPending_ = false;
};

// The operations of the running program, made on first use and handed to the engine.
QtWindowOps& windowOps();

// Puts these operations in place as the core's window system (core/windows/window_system.h).
void UseQtWindowSystem();

// The height of one row of a menu bar.
int32_t MenuRowHeight();

}  // namespace yov
