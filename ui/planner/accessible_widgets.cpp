#include "ui/planner/accessible_widgets.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QToolButton>

namespace mq::ui {

namespace {

// The button, with its menu as its one child; Show Menu returns at once and lets the menu
// pop up after, so that the screen reader's call does not wait for the menu to close.
class MenuButtonAccess : public QAccessibleWidget {
public:
    explicit MenuButtonAccess(QPushButton* b) : QAccessibleWidget(b, QAccessible::ButtonMenu) { }
    QPushButton* button() const { return static_cast<QPushButton*>(widget()); }
    int childCount() const override { return button()->menu() ? 1 : 0; }
    QAccessibleInterface* child(int i) const override
    {
        return i == 0 && button()->menu() ? QAccessible::queryAccessibleInterface(button()->menu()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* c) const override
    {
        return c && button()->menu() && c->object() == button()->menu() ? 0 : -1;
    }
    QString text(QAccessible::Text t) const override
    {
        QString s = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && s.isEmpty())
            s = button()->text().remove(QLatin1Char('&'));
        return s;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.hasPopup = true;
        s.pressed = button()->isDown();
        return s;
    }
    QStringList actionNames() const override
    {
        return button()->isEnabled() ? QStringList{showMenuAction(), pressAction()} : QStringList{};
    }
    void doAction(const QString& name) override
    {
        if (button()->isEnabled() && (name == showMenuAction() || name == pressAction()))
            QTimer::singleShot(0, button(), &QPushButton::showMenu);
    }
};

// One tab of a FocusedTabBar.
class TabAccess : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TabAccess(QTabBar* b, int i) : bar(b), index(i) { }
    bool isValid() const override { return bar && index < bar->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return bar ? bar->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(bar.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        if (t == QAccessible::Name)
            return bar->tabText(index).remove(QLatin1Char('&'));
        return t == QAccessible::Description ? bar->tabToolTip(index) : QString();
    }
    void setText(QAccessible::Text, const QString&) override { }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.focusable = s.selectable = true;
        s.selected = index == bar->currentIndex();
        s.focused = s.selected && bar->hasFocus();
        s.invisible = !bar->isVisible() || !bar->isTabVisible(index);
        s.disabled = !bar->isTabEnabled(index);
        return s;
    }
    QRect rect() const override
    {
        return isValid() ? bar->tabRect(index).translated(bar->mapToGlobal(QPoint(0, 0))) : QRect();
    }
    void* interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && isValid())
            bar->setCurrentIndex(index);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QTabBar> bar;
    int index;
};

// The tabs, then the arrows a narrow bar shows, as Qt's own tab bar lists them.
class TabBarAccess : public QAccessibleWidget {
public:
    explicit TabBarAccess(QTabBar* b) : QAccessibleWidget(b, QAccessible::PageTabList) { }
    ~TabBarAccess() override
    {
        for (QAccessible::Id id : std::as_const(tabs))
            QAccessible::deleteAccessibleInterface(id);
    }
    QTabBar* bar() const { return static_cast<QTabBar*>(widget()); }
    QList<QToolButton*> arrows() const { return bar()->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly); }
    int childCount() const override { return bar()->count() + static_cast<int>(arrows().size()); }
    QAccessibleInterface* child(int i) const override
    {
        if (i < 0)
            return nullptr;
        if (i >= bar()->count()) {
            const QList<QToolButton*> a = arrows();
            return i - bar()->count() < a.size() ? QAccessible::queryAccessibleInterface(a[i - bar()->count()])
                                                 : nullptr;
        }
        if (const auto at = tabs.constFind(i); at != tabs.constEnd())
            return QAccessible::accessibleInterface(*at);
        auto* tab = new TabAccess(bar(), i);
        tabs.insert(i, QAccessible::registerAccessibleInterface(tab));
        return tab;
    }
    int indexOfChild(const QAccessibleInterface* c) const override
    {
        if (!c)
            return -1;
        for (auto at = tabs.constBegin(); at != tabs.constEnd(); ++at)
            if (QAccessible::accessibleInterface(at.value()) == c)
                return at.key();
        const qsizetype k = arrows().indexOf(qobject_cast<QToolButton*>(c->object()));
        return k < 0 ? -1 : bar()->count() + static_cast<int>(k);
    }

private:
    mutable QHash<int, QAccessible::Id> tabs;
};

QAccessibleInterface* factory(const QString& key, QObject* object)
{
    if (key == QLatin1String(MenuButton::staticMetaObject.className()))
        return new MenuButtonAccess(static_cast<QPushButton*>(object));
    if (key == QLatin1String(FocusedTabBar::staticMetaObject.className()))
        return new TabBarAccess(static_cast<QTabBar*>(object));
    return nullptr;
}

void installFactory()
{
    static const bool once = (QAccessible::installFactory(factory), true);
    (void)once;
}

}  // namespace

MenuButton::MenuButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    installFactory();
    setAutoDefault(false);
}

FocusedTabBar::FocusedTabBar(QWidget* parent) : QTabBar(parent)
{
    installFactory();
}

FocusedTabs::FocusedTabs(QWidget* parent) : QTabWidget(parent)
{
    setTabBar(new FocusedTabBar(this));
}

}  // namespace mq::ui
