// Widgets of the planner that tell a screen reader more than Qt's own do: a button whose
// menu is its child in the accessibility tree (Qt leaves a menu out until it pops up), and
// a tab widget whose current tab is "focused" only while its tab bar has the focus (Qt
// says so of the current tab of every tab bar at once).
#pragma once

#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

namespace mq::ui {

class MenuButton : public QPushButton {
    Q_OBJECT
public:
    MenuButton(const QString& text, QWidget* parent);
};

class FocusedTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit FocusedTabBar(QWidget* parent);
};

class FocusedTabs : public QTabWidget {
    Q_OBJECT
public:
    explicit FocusedTabs(QWidget* parent);
};

}  // namespace mq::ui
