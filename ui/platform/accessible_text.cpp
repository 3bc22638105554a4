#include "ui/platform/accessible_text.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QWidget>

#include <algorithm>

namespace mq::ui {

namespace {

struct Exposed {
    QAccessible::Role role;
    ShownText content;
};

QHash<QString, Exposed>& exposedClasses()
{
    static QHash<QString, Exposed> classes;
    return classes;
}

// Read-only text: no caret to move, nothing to select or edit.
class ShownTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    ShownTextAccessible(QWidget* w, const Exposed& e) : QAccessibleWidget(w, e.role), content(e.content) { }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return shown();
        QString s = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && s.isEmpty())
            s = shown();
        return s;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        return s;
    }

    // QAccessibleTextInterface
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override { }
    QString text(int startOffset, int endOffset) const override
    {
        const QString all = shown();
        if (endOffset < 0 || endOffset > all.size())
            endOffset = int(all.size());
        startOffset = std::clamp(startOffset, 0, endOffset);
        return all.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(shown().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override { }
    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = std::max(offset, characterCount());
        return {};
    }

private:
    QString shown() const { return content(widget()); }
    ShownText content;
};

QAccessibleInterface* shownTextFactory(const QString& className, QObject* object)
{
    const auto it = exposedClasses().constFind(className);
    if (it == exposedClasses().constEnd() || !object || !object->isWidgetType())
        return nullptr;
    return new ShownTextAccessible(static_cast<QWidget*>(object), *it);
}

}  // namespace

void exposeShownText(const char* className, QAccessible::Role role, ShownText content)
{
    static const bool installed = [] {
        QAccessible::installFactory(shownTextFactory);
        return true;
    }();
    (void)installed;
    exposedClasses().insert(QString::fromLatin1(className), {role, content});
}

void announceTextChange(QWidget* w, const QString& before, const QString& after)
{
    if (!QAccessible::isActive() || before == after)
        return;  // nobody listens, or nothing changed
    QAccessibleTextUpdateEvent update(w, 0, before, after);
    QAccessible::updateAccessibility(&update);
    if (w->accessibleName().isEmpty()) {
        // Without a name of its own the text is its name too.
        QAccessibleEvent renamed(w, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&renamed);
    }
}

}  // namespace mq::ui
