#include "ui/Form10/form10.h"

#include "ui/platform/geometry.h"
#include "ui/platform/panel3d.h"
#include "ui/platform/qt_services.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>

namespace mq::ui {

// Dialogs go to the given services, with the widgets brought up to date first
// so that the user sees the state a message is about. Focus moves are the
// window's own: they follow its tab order among its real widgets.
class Form10::WindowServices : public Services {
public:
    WindowServices(Form10& window, Services& outer) : w(window), out(outer) {}

    void msgBox(const std::string& text, MsgIcon icon, const std::string& title) override
    {
        w.refresh();
        out.msgBox(text, icon, title);
    }
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override
    {
        w.refresh();
        return out.inputBox(prompt, title, defaultText);
    }
    void sendTab() override { w.moveFocusOn(); }
    void setFocus(const std::string& control) override { w.focusControl(control); }
    void beep() override { out.beep(); }
    void setClipboardText(const std::string& text) override { out.setClipboardText(text); }
    void doEvents() override { out.doEvents(); }
    std::optional<std::string> saveFileDialog(const std::string& filter) override
    {
        return out.saveFileDialog(filter);
    }

private:
    Form10& w;
    Services& out;
};

namespace {

QString name(const char* control, int index) { return QStringLiteral("%1(%2)").arg(QLatin1String(control)).arg(index); }

const char* const kOctetNames[4] = {"First octet", "Second octet", "Third octet", "Last octet"};

}  // namespace

Form10::Form10(QWidget* parent, Services* outer) : QWidget(parent)
{
    if (!outer) {
        ownServices = std::make_unique<QtServices>(this);
        outer = ownServices.get();
    }
    services = std::make_unique<WindowServices>(*this, *outer);
    m = std::make_unique<Form10Model>(*services);
    m->hideWindow = [this] { frameWidget()->hide(); };

    setObjectName(QStringLiteral("Form10"));
    setFont(uiFont());
    setFixedSize(twipsToPixels(9000), twipsToPixels(7440));

    SSFrame1 = new QGroupBox(this);
    SSFrame1->setObjectName(QStringLiteral("SSFrame1"));
    SSFrame1->setGeometry(twipsRect(120, 60, 8760, 3120));

    SSPanel1 = new Panel3D(Panel3D::Bevel::Inset, SSFrame1);
    SSPanel1->setObjectName(QStringLiteral("SSPanel1"));
    SSPanel1->setGeometry(twipsRect(120, 300, 8520, 600));
    SSPanel1->setWordWrap(true);
    SSPanel1->setAccessibleName(QStringLiteral("Instructions"));

    auto* addressLabel = new QLabel(QStringLiteral("Class C &address:"), SSFrame1);
    addressLabel->setGeometry(twipsRect(120, 1080, 1500, 315));
    for (int i = 0; i < 4; ++i) {
        auto* box = new QLineEdit(SSFrame1);
        box->setObjectName(name("Text1", i));
        box->setGeometry(twipsRect(1680 + 780 * i, 1050, 600, 345));
        box->setAlignment(Qt::AlignCenter);
        box->setAccessibleName(QString::fromLatin1(kOctetNames[i]));
        if (i < 3) {
            connect(box, &QLineEdit::textChanged, this,
                    [this, i](const QString& t) { m->Text1[static_cast<std::size_t>(i)].text = t.toStdString(); });
            box->installEventFilter(this);
            auto* dot = new QLabel(QStringLiteral("."), SSFrame1);
            dot->setGeometry(twipsRect(2280 + 780 * i, 1050, 180, 345));
            dot->setAlignment(Qt::AlignCenter);
        }
        Text1[static_cast<std::size_t>(i)] = box;
    }
    addressLabel->setBuddy(Text1[0]);

    Combo1 = new QComboBox(SSFrame1);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setMaxVisibleItems(10);
    Combo1->setGeometry(twipsRect(1680, 1560, 1080, 345));
    Combo1->setAccessibleName(QStringLiteral("Number of segments"));
    connect(Combo1, &QComboBox::editTextChanged, this, [this](const QString& t) { m->Combo1.setText(t.toStdString()); });

    for (int i = 0; i < 30; ++i) {
        const int col = i % 10;
        const int row = i / 10;
        auto* label = new Panel3D(Panel3D::Bevel::Raised, SSFrame1);
        label->setObjectName(name("SSPanel2", i));
        label->setGeometry(twipsRect(120 + 852 * col, 1560 + 480 * row, 360, 345));
        SSPanel2[static_cast<std::size_t>(i)] = label;
        auto* box = new QLineEdit(SSFrame1);
        box->setObjectName(name("Text2", i));
        box->setGeometry(twipsRect(500 + 852 * col, 1560 + 480 * row, 420, 345));
        box->setAlignment(Qt::AlignCenter);
        box->setAccessibleName(QStringLiteral("Hosts in segment %1").arg(i + 1));
        connect(box, &QLineEdit::textChanged, this,
                [this, i](const QString& t) { m->Text2[static_cast<std::size_t>(i)].text = t.toStdString(); });
        Text2[static_cast<std::size_t>(i)] = box;
    }

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(twipsRect(120, 3300, 8760, 2700));
    List1->setAccessibleName(QStringLiteral("Results"));
    List1->setUniformItemSizes(true);

    SSPanel3 = new Panel3D(Panel3D::Bevel::Inset, this);
    SSPanel3->setObjectName(QStringLiteral("SSPanel3"));
    SSPanel3->setGeometry(twipsRect(120, 6120, 8760, 600));
    SSPanel3->setWordWrap(true);
    SSPanel3->setAccessibleName(QStringLiteral("Note"));

    auto makeButton = [this](const char* objectName, int left) {
        auto* b = new QPushButton(this);
        b->setObjectName(QLatin1String(objectName));
        b->setGeometry(twipsRect(left, 6840, 1560, 435));
        b->setAutoDefault(false);
        return b;
    };
    SSCommand1 = makeButton("SSCommand1", 2160);
    SSCommand3 = makeButton("SSCommand3", 3900);
    SSCommand2 = makeButton("SSCommand2", 5640);
    connect(SSCommand1, &QPushButton::clicked, this, [this] { run(&Form10Model::SSCommand1_Click); });
    connect(SSCommand3, &QPushButton::clicked, this, [this] { run(&Form10Model::SSCommand3_Click); });
    connect(SSCommand2, &QPushButton::clicked, this, [this] { run(&Form10Model::SSCommand2_Click); });

    // Only the octet boxes, the count, the host boxes, the buttons and the
    // results take the focus, in that order.
    SSPanel1->setFocusPolicy(Qt::NoFocus);
    QList<QWidget*> order{Text1[0], Text1[1], Text1[2], Combo1};
    for (auto* b : Text2)
        order << b;
    order << SSCommand1 << SSCommand3 << SSCommand2 << List1;
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
    Text1[3]->setFocusPolicy(Qt::NoFocus);

    m->Form_Load();
    refresh();
}

Form10::~Form10() = default;

QWidget* Form10::frameWidget()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub;
    return this;
}

void Form10::moveFocusOn()
{
    if (QWidget* next = nextInTabOrder(this, QApplication::focusWidget()))
        next->setFocus(Qt::TabFocusReason);
}

void Form10::focusControl(const std::string& control)
{
    if (auto* w = findChild<QWidget*>(QString::fromStdString(control)); w && w->isEnabled())
        w->setFocus(Qt::OtherFocusReason);
}

void Form10::run(void (Form10Model::*handler)())
{
    const int before = m->step();
    (m.get()->*handler)();
    refresh();
    // A step that asks for new input puts the caret where the input goes.
    if (m->step() != before && isVisible()) {
        if (m->step() == 2)
            Combo1->setFocus(Qt::OtherFocusReason);
        else if (m->step() == 3)
            Text2[0]->setFocus(Qt::OtherFocusReason);
    }
}

void Form10::refresh()
{
    setWindowTitle(QString::fromStdString(m->Caption));
    SSFrame1->setTitle(QString::fromStdString(m->SSFrame1.caption));
    SSPanel1->setCaption(m->SSPanel1.caption);
    SSPanel3->setCaption(m->SSPanel3.caption);

    auto syncBox = [](QLineEdit* box, const TextBox& t) {
        const QString text = QString::fromStdString(t.text);
        if (box->text() != text)
            box->setText(text);
        if (t.maxLength > 0)
            box->setMaxLength(t.maxLength);
        box->setEnabled(t.enabled);
        box->setVisible(t.visible);
    };
    for (std::size_t i = 0; i < 4; ++i)
        syncBox(Text1[i], m->Text1[i]);
    for (std::size_t i = 0; i < 30; ++i) {
        syncBox(Text2[i], m->Text2[i]);
        SSPanel2[i]->setCaption(m->SSPanel2[i].caption);
        SSPanel2[i]->setVisible(m->SSPanel2[i].visible);
    }

    {
        QSignalBlocker block(Combo1);
        QStringList items;
        for (const auto& s : m->Combo1.list)
            items << QString::fromStdString(s);
        QStringList shown;
        for (int i = 0; i < Combo1->count(); ++i)
            shown << Combo1->itemText(i);
        if (shown != items) {
            Combo1->clear();
            Combo1->addItems(items);
        }
        Combo1->setCurrentIndex(m->Combo1.listIndex);
        const QString text = QString::fromStdString(m->Combo1.text);
        if (Combo1->currentText() != text)
            Combo1->setEditText(text);
        Combo1->setEnabled(m->Combo1.enabled);
        Combo1->setVisible(m->Combo1.visible);
    }

    // The list only grows or is cleared, so appending the new lines keeps
    // the user's scroll position and selection.
    const auto& lines = m->List1.items;
    bool samePrefix = static_cast<std::size_t>(List1->count()) <= lines.size();
    for (int i = 0; samePrefix && i < List1->count(); ++i)
        samePrefix = List1->item(i)->text() == QString::fromStdString(lines[static_cast<std::size_t>(i)]);
    if (!samePrefix)
        List1->clear();
    for (std::size_t i = static_cast<std::size_t>(List1->count()); i < lines.size(); ++i)
        List1->addItem(QString::fromStdString(lines[i]));

    SSCommand1->setText(QString::fromStdString(m->SSCommand1.caption));
    SSCommand3->setText(QString::fromStdString(m->SSCommand3.caption));
    SSCommand2->setText(QString::fromStdString(m->SSCommand2.caption));
    SSCommand1->setAccessibleName(SSCommand1->text());
    SSCommand3->setAccessibleName(SSCommand3->text());
    SSCommand2->setAccessibleName(SSCommand2->text());
}

int Form10::shiftState(Qt::KeyboardModifiers modifiers)
{
    int s = 0;
    if (modifiers & Qt::ShiftModifier)
        s |= 1;
    if (modifiers & Qt::ControlModifier)
        s |= 2;
    if (modifiers & Qt::AltModifier)
        s |= 4;
    return s;
}

int Form10::keyCode(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    const bool keypad = modifiers & Qt::KeypadModifier;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return keypad ? 96 + (key - Qt::Key_0) : 48 + (key - Qt::Key_0);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 65 + (key - Qt::Key_A);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return 18;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_Period: return keypad ? 110 : 190;
    case Qt::Key_Comma: return keypad ? 108 : 188;
    case Qt::Key_Plus: return keypad ? 107 : 187;
    case Qt::Key_Minus: return keypad ? 109 : 189;
    case Qt::Key_Asterisk: return keypad ? 106 : 0;
    case Qt::Key_Slash: return keypad ? 111 : 191;
    default: break;
    }
    // Any other key that types something counts as a non-numeric key.
    return text.isEmpty() ? -1 : 0;
}

bool Form10::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease) {
        auto* ke = static_cast<QKeyEvent*>(event);
        for (int i = 0; i < 3; ++i) {
            if (watched != Text1[static_cast<std::size_t>(i)] || ke->isAutoRepeat())
                continue;
            const int code = keyCode(ke->key(), ke->modifiers(), ke->text());
            if (code < 0)
                break;
            m->Text1[static_cast<std::size_t>(i)].text = Text1[static_cast<std::size_t>(i)]->text().toStdString();
            m->text1_KeyUp(i, code, shiftState(ke->modifiers()));
            refresh();
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form10::closeEvent(QCloseEvent* event)
{
    m->Form_Unload();
    refresh();
    event->accept();
}

}  // namespace mq::ui
