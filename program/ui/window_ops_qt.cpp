#include "program/ui/window_ops_qt.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>

#include "program/core/binding/engine_binding.h"
#include "program/core/windows/window_system.h"
#include "program/ui/foreign_window.h"
#include "program/ui/form_hook.h"

namespace yov {
namespace {

QtWindowOps* self(void* context) { return static_cast<QtWindowOps*>(context); }
QWidget* widgetOf(LvWindow window) { return reinterpret_cast<QWidget*>(window); }

// The item state lives with the action; Qt's own toggling of checkable actions on a click
// is undone, as a chosen item's mark is the program's to set.
constexpr const char* kStateProperty = "lvState";

uint32_t stateOf(const QAction* a) { return a->property(kStateProperty).toUInt(); }

// An item a user could choose or open: a menu without one is not shown, as the window system
// shows none. Qt would run its modal loop over a popup that never maps, and the next click
// anywhere would only end that loop.
bool hasItems(const QMenu* m) {
    const auto actions = m->actions();
    return std::any_of(actions.begin(), actions.end(),
                       [](const QAction* a) { return !a->isSeparator() && a->isVisible(); });
}

void applyState(QAction* a, uint32_t state) {
    a->setProperty(kStateProperty, state);
    if (a->isSeparator()) return;
    const bool marked = (state & kLvItemChecked) != 0;
    a->setCheckable(marked || (state & kLvItemRadio) != 0);
    a->setChecked(marked);
    a->setEnabled((state & kLvItemGrayed) == 0);
}

}  // namespace

QtWindowOps::QtWindowOps(QObject* parent) : QObject(parent) {
    table_.size = sizeof(LvWindowOps);
    table_.context = this;
    table_.createMenu = [](void* c, int32_t bar) { return self(c)->createMenu(bar != 0); };
    table_.destroyMenu = [](void* c, LvHandle m) { return self(c)->destroyMenu(m); };
    table_.insertItem = [](void* c, LvHandle m, int32_t p, const LvMenuItem* i) {
        return i == nullptr ? 87 : self(c)->insertItem(m, p, *i);
    };
    table_.removeItem = [](void* c, LvHandle m, int32_t p, LvHandle* s) { return self(c)->removeItem(m, p, s); };
    table_.itemCount = [](void* c, LvHandle m) { return self(c)->itemCount(m); };
    table_.findItem = [](void* c, LvHandle m, int32_t id) { return self(c)->findItem(m, id); };
    table_.itemState = [](void* c, LvHandle m, int32_t p, uint32_t mask, uint32_t s) {
        return self(c)->itemState(m, p, mask, s);
    };
    table_.setSubmenu = [](void* c, LvHandle m, int32_t p, LvHandle s, LvHandle* prev) {
        return self(c)->setSubmenu(m, p, s, prev);
    };
    table_.setMenuBar = [](void* c, LvWindow w, LvHandle m) { return self(c)->setMenuBar(w, m); };
    table_.drawMenuBar = [](void* c, LvWindow w) { return self(c)->drawMenuBar(w); };
    table_.trackPopup = [](void* c, LvHandle m, LvWindow o, int32_t x, int32_t y, int32_t f) {
        return self(c)->trackPopup(m, o, x, y, f);
    };
    table_.clientToScreen = [](void*, LvWindow w, int32_t* x, int32_t* y) {
        if (w == 0 || x == nullptr || y == nullptr) return 87;
        const QPoint p = widgetOf(w)->mapToGlobal(QPoint(*x, *y));
        *x = p.x();
        *y = p.y();
        return 0;
    };
    table_.hookWindow = [](void* c, LvWindow w, int32_t hook, int32_t data) {
        return self(c)->hookWindow(w, hook, data);
    };
    table_.unhookWindow = [](void* c, LvWindow w, uintptr_t token) { return self(c)->unhookWindow(w, token); };
    table_.screenMetrics = [](void* c, int32_t* w, int32_t* h, int32_t* mh) {
        self(c)->screenMetrics(w, h, mh);
        return 0;
    };
}

QtWindowOps::~QtWindowOps() {
    if (installed_) {
        try {
            lv::SetWindowOps(nullptr);
        } catch (const EngineBindingError&) {}
    }
    for (auto& [token, record] : hooks_) QObject::disconnect(record.destroyed);
    for (auto& [handle, record] : menus_) delete record.menu.data();
}

bool QtWindowOps::install() {
    try {
        installed_ = lv::SetWindowOps(&table_) == 0;
    } catch (const EngineBindingError&) {
        installed_ = false;
    }
    return installed_;
}

QMenu* QtWindowOps::menu(LvHandle handle) const {
    auto it = menus_.find(handle);
    return it == menus_.end() ? nullptr : it->second.menu.data();
}

LvHandle QtWindowOps::handleOf(const QMenu* m) const {
    if (m == nullptr) return 0;
    for (const auto& [handle, record] : menus_) {
        if (record.menu == m) return handle;
    }
    return 0;
}

QMenuBar* QtWindowOps::menuBarOf(const QWidget* window) const {
    auto it = bars_.find(window);
    return it == bars_.end() ? nullptr : it->second.bar.data();
}

int32_t QtWindowOps::forward(QWidget* window, LvWindowMessage& message) {
    if (window == nullptr) return kLvProcUnknown;
    try {
        return lv::WindowProc(reinterpret_cast<LvWindow>(window), &message);
    } catch (...) {
        return kLvProcUnknown;  // nothing may unwind through Qt's event delivery
    }
}

void QtWindowOps::forwardCommand(QWidget* window, int32_t identifier) {
    LvWindowMessage m{};
    m.hook = kLvHookForm;
    m.userData = -1;
    m.message = kLvMsgCommand;
    m.identifier = identifier;
    forward(window, m);
}

void QtWindowOps::forwardSelect(QWidget* window, QAction* action) {
    if (action == nullptr || action->isSeparator() || quiet_) return;
    LvWindowMessage m{};
    m.hook = kLvHookForm;
    m.userData = -1;
    m.message = kLvMsgMenuSelect;
    m.identifier = action->data().toInt();
    // A submenu that is not the engine's still opens a submenu.
    m.submenu =
        action->menu() != nullptr ? (handleOf(action->menu()) != 0 ? handleOf(action->menu()) : 0xFFFFFFFFu) : 0;
    forward(window, m);
}

// --- Menus ---------------------------------------------------------------------------

LvHandle QtWindowOps::createMenu(bool bar) {
    auto* m = new QMenu;
    const LvHandle handle = nextHandle_++;
    menus_[handle] = MenuRecord{m, bar};
    if (!bar) {
        connect(m, &QMenu::aboutToShow, this, [this, m] { menuShown(m); });
        connect(m, &QMenu::aboutToHide, this, [this, m] { menuHidden(m); });
        m->installEventFilter(this);
    }
    return handle;
}

int32_t QtWindowOps::destroyMenu(LvHandle handle) {
    auto it = menus_.find(handle);
    if (it == menus_.end()) return 1401;  // no such menu
    QMenu* m = it->second.menu.data();
    menus_.erase(it);
    if (m == nullptr) return 0;
    // Items elsewhere that open it open nothing now.
    for (auto& [h, record] : menus_) {
        if (!record.menu) continue;
        for (QAction* a : record.menu->actions()) {
            if (a->menu() == m) a->setMenu(static_cast<QMenu*>(nullptr));
        }
    }
    m->hide();
    m->deleteLater();
    return 0;
}

QAction* QtWindowOps::actionAt(LvHandle handle, int32_t position) const {
    QMenu* m = menu(handle);
    if (m == nullptr || position < 0 || position >= m->actions().size()) return nullptr;
    return m->actions().at(position);
}

int32_t QtWindowOps::insertItem(LvHandle handle, int32_t position, const LvMenuItem& item) {
    QMenu* m = menu(handle);
    if (m == nullptr) return 1401;
    QMenu* sub = nullptr;
    if (item.submenu != 0 && (sub = menu(item.submenu)) == nullptr) return 1401;
    auto* a = new QAction(m);
    if ((item.state & kLvItemSeparator) != 0) {
        a->setSeparator(true);
    } else {
        a->setText(QString::fromUtf8(item.caption != nullptr ? item.caption : ""));
        a->setData(item.identifier);
        if (sub != nullptr) a->setMenu(sub);
        connect(a, &QAction::triggered, a, [a] { applyState(a, stateOf(a)); });
    }
    applyState(a, item.state & ~kLvItemSeparator);
    const auto actions = m->actions();
    if (position < 0 || position >= actions.size())
        m->addAction(a);
    else
        m->insertAction(actions.at(position), a);
    return 0;
}

int32_t QtWindowOps::removeItem(LvHandle handle, int32_t position, LvHandle* submenu) {
    if (submenu != nullptr) *submenu = 0;
    QAction* a = actionAt(handle, position);
    if (a == nullptr) return 1456;  // no such item
    if (submenu != nullptr) *submenu = handleOf(a->menu());
    menu(handle)->removeAction(a);
    a->setMenu(static_cast<QMenu*>(nullptr));
    a->deleteLater();  // it may be the item whose command is being handled
    return 0;
}

int32_t QtWindowOps::itemCount(LvHandle handle) const {
    QMenu* m = menu(handle);
    return m == nullptr ? -1 : static_cast<int32_t>(m->actions().size());
}

int32_t QtWindowOps::findItem(LvHandle handle, int32_t identifier) const {
    QMenu* m = menu(handle);
    if (m == nullptr) return -1;
    const auto actions = m->actions();
    for (int i = 0; i < actions.size(); ++i) {
        if (!actions[i]->isSeparator() && actions[i]->data().toInt() == identifier) return i;
    }
    return -1;
}

int32_t QtWindowOps::checkItem(LvHandle menu, int32_t identifier, bool on) {
    const int32_t position = findItem(menu, identifier);
    if (position < 0) return -1;
    return itemState(menu, position, kLvItemChecked, on ? kLvItemChecked : 0);
}

int32_t QtWindowOps::itemState(LvHandle handle, int32_t position, uint32_t mask, uint32_t state) {
    QAction* a = actionAt(handle, position);
    if (a == nullptr) return -1;
    const uint32_t before = stateOf(a);
    if (mask != 0) applyState(a, (before & ~mask) | (state & mask));
    return static_cast<int32_t>(before);
}

int32_t QtWindowOps::setSubmenu(LvHandle handle, int32_t position, LvHandle submenu, LvHandle* previous) {
    if (previous != nullptr) *previous = 0;
    QAction* a = actionAt(handle, position);
    if (a == nullptr) return 1456;
    QMenu* sub = submenu != 0 ? menu(submenu) : nullptr;
    if (submenu != 0 && sub == nullptr) return 1401;
    if (previous != nullptr) *previous = handleOf(a->menu());
    a->setMenu(sub);
    return 0;
}

// --- Menu bars -----------------------------------------------------------------------

// A menu bar handle is a hidden QMenu holding the top-level items; each window it is
// attached to shows them in a QMenuBar of its own, so one table menu serves many windows
// and a command reaches the window whose bar it came from.
int32_t QtWindowOps::setMenuBar(LvWindow window, LvHandle handle) {
    QWidget* w = widgetOf(window);
    if (w == nullptr) return 1400;
    removeBar(w);
    if (handle == 0) return 0;
    QMenu* items = menu(handle);
    if (items == nullptr) return 1401;
    auto* bar = new QMenuBar;
    if (auto* main = qobject_cast<QMainWindow*>(w)) {
        main->setMenuBar(bar);
    } else {
        bar->setParent(w);
        if (w->layout() != nullptr) w->layout()->setMenuBar(bar);
        bar->show();
    }
    bar->addActions(items->actions());
    QPointer<QWidget> owner(w);
    connect(bar, &QMenuBar::triggered, this, [this, owner](QAction* a) {
        if (owner && a != nullptr && !a->isSeparator()) forwardCommand(owner, a->data().toInt());
    });
    connect(bar, &QMenuBar::hovered, this, [this, owner](QAction* a) {
        if (!owner) return;
        barOwner_ = owner;  // a menu this bar opens next belongs to this window
        forwardSelect(owner, a);
    });
    bar->installEventFilter(this);
    bars_[w] = BarRecord{bar, handle};
    return 0;
}

void QtWindowOps::removeBar(QWidget* w) {
    auto it = bars_.find(w);
    if (it == bars_.end()) return;
    QPointer<QMenuBar> bar = it->second.bar;
    bars_.erase(it);
    if (!bar) return;
    if (auto* main = qobject_cast<QMainWindow*>(w); main != nullptr && main->menuWidget() == bar) {
        // QMainWindow hides and deletes its old bar later itself.
        main->setMenuWidget(nullptr);
        return;
    }
    if (w->layout() != nullptr && w->layout()->menuBar() == bar) w->layout()->setMenuBar(nullptr);
    bar->hide();
    bar->deleteLater();  // a command from this bar may still be on its way
}

int32_t QtWindowOps::drawMenuBar(LvWindow window) {
    QWidget* w = widgetOf(window);
    auto it = bars_.find(w);
    if (it == bars_.end() || !it->second.bar) return 0;
    QMenu* items = menu(it->second.menu);
    if (items == nullptr) return 1401;
    QMenuBar* bar = it->second.bar;
    for (QAction* a : bar->actions()) bar->removeAction(a);
    bar->addActions(items->actions());
    bar->update();
    return 0;
}

// --- Popups and the menu loop --------------------------------------------------------

int32_t QtWindowOps::trackPopup(LvHandle handle, LvWindow owner, int32_t x, int32_t y, int32_t flags) {
    QMenu* m = menu(handle);
    if (m == nullptr || m->isVisible() || !hasItems(m)) return 0;
    QPointer<QWidget> ownerWidget(widgetOf(owner));
    const QPointer<QWidget> outerOwner = popupOwner_;
    const bool outerQuiet = quiet_;
    popupOwner_ = ownerWidget;
    quiet_ = (flags & kLvPopupNoNotify) != 0;
    QMetaObject::Connection hover;
    if (!quiet_) {
        hover = connect(m, &QMenu::hovered, this, [this, ownerWidget](QAction* a) {
            if (ownerWidget) forwardSelect(ownerWidget, a);
        });
    }
    QPointer<QAction> chosen = m->exec(QPoint(x, y));
    QObject::disconnect(hover);
    popupOwner_ = outerOwner;
    quiet_ = outerQuiet;

    const int32_t identifier = (chosen && !chosen->isSeparator()) ? chosen->data().toInt() : 0;
    if ((flags & kLvPopupReturnCmd) != 0) return identifier;
    if (identifier != 0 && ownerWidget) {
        // As a posted command: handled once the popup call has returned.
        QTimer::singleShot(0, this, [this, ownerWidget, identifier] {
            if (ownerWidget) forwardCommand(ownerWidget, identifier);
        });
    }
    return 1;
}

QWidget* QtWindowOps::currentOwner() const {
    if (popupOwner_) return popupOwner_;
    if (loopOwner_) return loopOwner_;
    for (const auto& [w, record] : bars_) {
        if (record.bar && record.bar->activeAction() != nullptr) return const_cast<QWidget*>(w);
    }
    return barOwner_;
}

// The first menu to open starts the loop; the loop ends when the last one has closed and
// no other opened meanwhile (moving along a menu bar closes one menu and opens the next).
void QtWindowOps::menuShown(QMenu* m) {
    if (quiet_) return;
    QWidget* owner = currentOwner();
    if (owner == nullptr) return;
    if (openMenus_++ == 0) {
        if (exitPending_ && loopOwner_ == owner) {
            exitPending_ = false;
        } else {
            if (exitPending_ && loopOwner_) {
                LvWindowMessage exit{};
                exit.hook = kLvHookForm;
                exit.message = kLvMsgExitMenuLoop;
                forward(loopOwner_, exit);
            }
            exitPending_ = false;
            loopOwner_ = owner;
            LvWindowMessage enter{};
            enter.hook = kLvHookForm;
            enter.message = kLvMsgEnterMenuLoop;
            forward(owner, enter);
        }
    }
    LvWindowMessage init{};
    init.hook = kLvHookForm;
    init.message = kLvMsgInitMenuPopup;
    init.submenu = handleOf(m);
    forward(owner, init);
}

void QtWindowOps::menuHidden(QMenu*) {
    if (quiet_ || openMenus_ == 0) return;
    if (--openMenus_ > 0) return;
    exitPending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (!exitPending_ || openMenus_ > 0) return;
        exitPending_ = false;
        QPointer<QWidget> owner = loopOwner_;
        loopOwner_ = nullptr;
        if (!owner) return;
        LvWindowMessage exit{};
        exit.hook = kLvHookForm;
        exit.message = kLvMsgExitMenuLoop;
        forward(owner, exit);
    });
}

// F1 on a menu item asks for help on it.
bool QtWindowOps::menuKey(QMenu* m, int key) {
    if (key != Qt::Key_F1 || quiet_) return false;
    QWidget* owner = currentOwner();
    QAction* a = m->activeAction();
    if (owner == nullptr || a == nullptr || a->isSeparator()) return false;
    LvWindowMessage help{};
    help.hook = kLvHookForm;
    help.message = kLvMsgMenuHelp;
    help.identifier = a->data().toInt();
    const QPoint p = QCursor::pos();
    help.x = p.x();
    help.y = p.y();
    forward(owner, help);
    return true;
}

bool QtWindowOps::eventFilter(QObject* watched, QEvent* event) {
    // A click or a key on a menu bar comes before the menu it opens.
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress ||
        event->type() == QEvent::ShortcutOverride) {
        if (auto* bar = qobject_cast<QMenuBar*>(watched)) {
            for (const auto& [w, record] : bars_) {
                if (record.bar == bar) barOwner_ = const_cast<QWidget*>(w);
            }
            return false;
        }
    }
    if (event->type() == QEvent::KeyPress) {
        if (auto* m = qobject_cast<QMenu*>(watched)) return menuKey(m, static_cast<QKeyEvent*>(event)->key());
    }
    return false;
}

// --- Windows -------------------------------------------------------------------------

uintptr_t QtWindowOps::hookWindow(LvWindow window, int32_t hook, int32_t userData) {
    QWidget* w = widgetOf(window);
    if (w == nullptr) return 0;
    auto* h = new FormHook(*this, w, hook, userData);
    w->installEventFilter(h);
    const uintptr_t token = reinterpret_cast<uintptr_t>(h);
    // The hook is a child of nothing: a window being destroyed deletes its children before
    // it says so, and the engine must still hear of it.
    QMetaObject::Connection destroyed = connect(w, &QObject::destroyed, this, [this, window, hook, userData, token] {
        LvWindowMessage m{};
        m.hook = hook;
        m.userData = userData;
        m.message = kLvMsgDestroy;
        try {
            lv::WindowProc(window, &m);
        } catch (...) {}
        auto it = hooks_.find(token);
        if (it != hooks_.end()) {
            if (it->second.hook) it->second.hook->deleteLater();
            hooks_.erase(it);
        }
    });
    hooks_[token] = HookRecord{h, destroyed};
    return token;
}

int32_t QtWindowOps::unhookWindow(LvWindow window, uintptr_t token) {
    auto it = hooks_.find(token);
    if (it == hooks_.end()) return 0;
    QObject::disconnect(it->second.destroyed);
    if (FormHook* h = it->second.hook.data()) {
        if (QWidget* w = widgetOf(window)) w->removeEventFilter(h);
        h->deleteLater();
    }
    hooks_.erase(it);
    return 1;
}

void QtWindowOps::screenMetrics(int32_t* width, int32_t* height, int32_t* menuHeight) const {
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        *width = s->geometry().width();
        *height = s->geometry().height();
    }
    if (const int32_t rowHeight = MenuRowHeight(); rowHeight > 0) *menuHeight = rowHeight;
}

int32_t MenuRowHeight() {
    static const int rowHeight = [] {
        QMenuBar probe;
        probe.addAction(QStringLiteral("X"));
        return probe.sizeHint().height();
    }();
    return rowHeight;
}

QtWindowOps& windowOps() {
    static QtWindowOps* ops = [] {
        auto* o = new QtWindowOps(qApp);
        o->install();
        return o;
    }();
    return *ops;
}

void UseQtWindowSystem() {
    WindowSystem system;
    system.installWindowOps = [] { return windowOps().install(); };
    system.menuBarOf = [](const QWidget* window) { return windowOps().menuBarOf(window); };
    system.rootWindow = RootWindowId;
    system.foreignWindowSize = ForeignWindowSize;
    system.watchForeignWindow = WatchForeignWindow;
    UseWindowSystem(system);
}

}  // namespace yov
