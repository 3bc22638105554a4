// Screen readers and other assistive tools read a text box's text, but of a
// panel or a drawn view they hear only the accessible name: the label, never
// the result beside it. exposeShownText gives such a widget class a text that
// assistive tools read (its accessible name stays the label), and
// announceTextChange tells them when that text changed.
#pragma once

#include <QAccessible>
#include <QString>

class QWidget;

namespace mq::ui {

// The text a widget shows right now.
using ShownText = QString (*)(const QWidget*);

// Widgets of the class named `className` (its meta-object class name) expose
// `content` as their accessible text, with the given role. Register once per class.
void exposeShownText(const char* className, QAccessible::Role role, ShownText content);

// Tells assistive tools that the text `w` shows changed from `before` to `after`.
void announceTextChange(QWidget* w, const QString& before, const QString& after);

}  // namespace mq::ui
