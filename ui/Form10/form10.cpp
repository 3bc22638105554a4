#include "ui/Form10/form10.h"

#include "ui/platform/key_codes.h"

#include "ui/platform/geometry.h"
#include "ui/platform/panel3d.h"
#include "ui/platform/qt_services.h"
#include "ui/platform/theme.h"

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
    WindowServices(Form10& window, Services& outer) : w(window), out(outer) { }

    void msgBox(const std::string& text, MsgIcon icon, const std::string& title) override
    {
        w.refresh();
        out.msgBox(text, icon, title);
    }
    std::string inputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override
    {
        w.refresh();
        return out.inputBox(prompt, title, defaultText);
    }
    void sendTab() override { w.moveFocusOn(); }
    void setFocus(const std::string& control) override { w.focusControl(control); }
    void beep() override { out.beep(); }
    void setClipboardText(const std::string& text) override { out.setClipboardText(text); }
    void doEvents() override { out.doEvents(); }
    std::optional<std::string> saveFileDialog(const std::string& filter) override { return out.saveFileDialog(filter); }

private:
    Form10& w;
    Services& out;
};

namespace {

QString name(const char* control, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(control)).arg(index);
}

const char* const kOctetNames[4] = {"First octet", "Second octet", "Third octet", "Last octet"};

}  // namespace

void Form10::buildAddressBoxes()
{
    auto* addressLabel = new QLabel(QStringLiteral("Class C &address:"), SSFrame1);
    addressLabel->setGeometry(twipsRect(120, 1080, 1500, 315));
    for (int i = 0; i < 4; ++i) {
        auto* box = new QLineEdit(SSFrame1);
        box->setObjectName(name("Text1", i));
        box->setGeometry(twipsRect(1680 + 780 * i, 1050, 600, 345));
        box->setAlignment(Qt::AlignCenter);
        box->setAccessibleName(QString::fromLatin1(kOctetNames[i]));
        box->setAccessibleDescription(i < 3 ? QStringLiteral("Octet of the class C network address, 0 to 255")
                                            : QStringLiteral("The last octet of a class C network, always 0"));
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
}

void Form10::buildSegmentBoxes()
{
    Combo1 = new QComboBox(SSFrame1);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setMaxVisibleItems(10);
    Combo1->setGeometry(twipsRect(1680, 1560, 1080, 345));
    Combo1->setAccessibleName(QStringLiteral("Number of segments"));
    Combo1->setAccessibleDescription(QStringLiteral("How many network segments share the address, 1 to 30"));
    connect(Combo1, &QComboBox::editTextChanged, this,
            [this](const QString& t) { m->Combo1.setText(t.toStdString()); });

    for (int i = 0; i < 30; ++i) {
        const int col = i % 10;
        const int row = i / 10;
        auto* label = new Panel3D(Panel3D::Bevel::Raised, SSFrame1);
        label->setObjectName(name("SSPanel2", i));
        label->setGeometry(twipsRect(120 + 852 * col, 1560 + 480 * row, 360, 345));
        label->setAccessibleName(QStringLiteral("Segment %1").arg(i + 1));
        label->setAccessibleDescription(QStringLiteral("Label of the host box beside it"));
        SSPanel2[static_cast<std::size_t>(i)] = label;
        auto* box = new QLineEdit(SSFrame1);
        box->setObjectName(name("Text2", i));
        box->setGeometry(twipsRect(500 + 852 * col, 1560 + 480 * row, 420, 345));
        box->setAlignment(Qt::AlignCenter);
        box->setAccessibleName(QStringLiteral("Hosts in segment %1").arg(i + 1));
        box->setAccessibleDescription(QStringLiteral("Number of hosts the segment needs"));
        connect(box, &QLineEdit::textChanged, this,
                [this, i](const QString& t) { m->Text2[static_cast<std::size_t>(i)].text = t.toStdString(); });
        Text2[static_cast<std::size_t>(i)] = box;
    }
}

void Form10::buildButtons()
{
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
    SSCommand1->setAccessibleDescription(QStringLiteral("Checks what was entered and goes on to the next step"));
    SSCommand3->setAccessibleDescription(QStringLiteral("Empties the entries and the results and starts again"));
    SSCommand2->setAccessibleDescription(QStringLiteral("Puts the assistant away; it keeps its results"));
    connect(SSCommand1, &QPushButton::clicked, this, [this] { run(&Form10Model::SSCommand1_Click); });
    connect(SSCommand3, &QPushButton::clicked, this, [this] { run(&Form10Model::SSCommand3_Click); });
    connect(SSCommand2, &QPushButton::clicked, this, [this] { run(&Form10Model::SSCommand2_Click); });
}

void Form10::setFocusOrder()
{
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
}

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
    keepClassicColours(this);
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
    SSPanel1->setAccessibleDescription(QStringLiteral("What to enter next, step by step"));

    buildAddressBoxes();
    buildSegmentBoxes();

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(twipsRect(120, 3300, 8760, 2700));
    List1->setAccessibleName(QStringLiteral("Results"));
    List1->setAccessibleDescription(QStringLiteral("The segments entered and the subnet suggested for each"));
    List1->setUniformItemSizes(true);

    SSPanel3 = new Panel3D(Panel3D::Bevel::Inset, this);
    SSPanel3->setObjectName(QStringLiteral("SSPanel3"));
    SSPanel3->setGeometry(twipsRect(120, 6120, 8760, 600));
    SSPanel3->setWordWrap(true);
    SSPanel3->setAccessibleName(QStringLiteral("Note"));
    SSPanel3->setAccessibleDescription(QStringLiteral("What the assistant does not take into account"));

    buildButtons();
    setFocusOrder();

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
    const QKeyEvent e(QEvent::KeyRelease, Qt::Key_unknown, modifiers);
    return vbShiftState(e);
}

int Form10::keyCode(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    const QKeyEvent e(QEvent::KeyRelease, key, modifiers, text);
    const int code = vbKeyCode(e);
    // A key without a code that types nothing (volume, media keys) is not judged.
    return code == 0 && text.isEmpty() ? -1 : code;
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
