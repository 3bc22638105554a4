#include "ui/frmdoc/frmdoc.h"

#include "ui/platform/geometry.h"
#include "ui/platform/theme.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace mq::ui {

namespace {

constexpr const char* kOctetTip = "Enter host IP address here";

QString q(const char* s)
{
    return QString::fromUtf8(s);
}

QString indexed(const char* name, int i)
{
    return QStringLiteral("%1(%2)").arg(q(name)).arg(i);
}

void place(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(twipsRect(left, top, width, height));
}

QLabel* label(QWidget* parent, const char* name, const char* caption, int l, int t, int w, int h)
{
    auto* lab = new QLabel(q(caption), parent);
    lab->setObjectName(q(name));
    lab->setWordWrap(true);
    place(lab, l, t, w, h);
    return lab;
}

Panel3D* panel(QWidget* parent, const QString& name, const char* caption, Panel3D::Bevel bevel, int l, int t, int w,
               int h)
{
    auto* p = new Panel3D(bevel, parent);
    p->setObjectName(name);
    p->setCaption(caption);
    p->setWordWrap(true);
    place(p, l, t, w, h);
    return p;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, int l, int t, int w, int h)
{
    auto* b = new QPushButton(q(caption), parent);
    b->setObjectName(q(name));
    b->setAccessibleName(q(caption));
    b->setAutoDefault(false);
    place(b, l, t, w, h);
    return b;
}

void setTextColour(QWidget* w, Colour c)
{
    QPalette p = w->palette();
    const QColor colour = toQColor(c);
    if (p.color(QPalette::Text) == colour && p.color(QPalette::WindowText) == colour)
        return;
    p.setColor(QPalette::Text, colour);
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::ButtonText, colour);
    w->setPalette(p);
}

void showText(QLineEdit* edit, const TextBox& box)
{
    const QString t = QString::fromStdString(box.text);
    if (edit->text() != t)
        edit->setText(t);
    setTextColour(edit, box.foreColor);
    edit->setEnabled(box.enabled);
    edit->setVisible(box.visible);
}

template <typename Array> int indexIn(QObject* watched, const Array& widgets)
{
    for (std::size_t i = 0; i < widgets.size(); ++i)
        if (widgets[i] == watched)
            return static_cast<int>(i);
    return -1;
}

// Keys that only open a choice list or move the focus: they choose nothing.
bool keyLeavesChoiceAlone(const QKeyEvent* e)
{
    const int key = e->key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Shift || key == Qt::Key_Control ||
        key == Qt::Key_Alt || key == Qt::Key_Meta || key == Qt::Key_AltGr || key == Qt::Key_CapsLock ||
        key == Qt::Key_NumLock)
        return true;
    if (key == Qt::Key_F4)
        return true;
    if ((key == Qt::Key_Down || key == Qt::Key_Up) && (e->modifiers() & Qt::AltModifier))
        return true;
    return false;
}

int shiftState(Qt::KeyboardModifiers mods)
{
    return ((mods & Qt::ShiftModifier) ? 1 : 0) | ((mods & Qt::ControlModifier) ? 2 : 0) |
           ((mods & Qt::AltModifier) ? 4 : 0);
}

}  // namespace

// ---------------------------------------------------------------- construction

Frmdoc::Frmdoc(CalculatorState& state, QWidget* parent) : Frmdoc(state, std::make_unique<QtServices>(), nullptr, parent)
{
}

Frmdoc::Frmdoc(CalculatorState& state, Services& services, QWidget* parent) : Frmdoc(state, nullptr, &services, parent)
{
}

Frmdoc::Frmdoc(CalculatorState& state, std::unique_ptr<QtServices> own, Services* external, QWidget* parent)
    : QWidget(parent), ownServices(std::move(own)),
      relay(
          external ? *external : *ownServices, [this] { refresh(); }, true),
      m(state, relay)
{
    if (ownServices)
        ownServices->setWindow(this);
    setObjectName(q("frmdoc"));
    keepClassicColours(this);
    setWindowTitle(q(kProgramTitle));
    setFont(uiFont(8));
    build();
    setTabOrder();
    wire();
    resize(twipsToPixels(8550), twipsToPixels(6630));
    m.Form_Load();
    // Nothing to choose until an address is entered.
    m.disinput();
    refresh();
    // The caret waits in the first octet field.
    Text3[0]->setFocus(Qt::OtherFocusReason);
}

Frmdoc::~Frmdoc() = default;

void Frmdoc::buildAddressFrame()
{
    // Frame 1: the address.
    SSFrame1 = new QGroupBox(q("1. Enter Address or Subnet Details"), this);
    SSFrame1->setObjectName(q("SSFrame1"));
    place(SSFrame1, 0, 0, 8535, 1335);
    Label1 = label(SSFrame1, "Label1", "Enter IP Address", 120, 480, 855, 375);
    auto* octetValidator = new QRegularExpressionValidator(QRegularExpression(q("[0-9]{0,3}")), this);
    for (int i = 0; i < 4; ++i) {
        auto* t = new QLineEdit(SSFrame1);
        t->setObjectName(indexed("Text3", i));
        t->setAccessibleName(QStringLiteral("Enter IP Address, octet %1").arg(i + 1));
        t->setToolTip(q(kOctetTip));
        t->setMaxLength(3);
        t->setValidator(octetValidator);
        t->setAcceptDrops(false);
        t->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        place(t, 960 + 720 * i, 480, 495, 375);
        Text3[static_cast<std::size_t>(i)] = t;
    }
    Label3 = label(SSFrame1, "Label3", "Address in Binary", 3720, 360, 1215, 255);
    Label4 = label(SSFrame1, "Label4", "Mask in Binary", 3840, 720, 1095, 255);
    Label3->setWordWrap(false);
    Label4->setWordWrap(false);
    RichTextBox1 = new RichTextView(SSFrame1);
    RichTextBox1->setObjectName(q("RichTextBox1"));
    RichTextBox1->setAccessibleName(q("Address in Binary"));
    RichTextBox1->setToolTip(q("The Address in Binary is shown here"));
    place(RichTextBox1, 5040, 240, 3375, 375);
    RichTextBox2 = new RichTextView(SSFrame1);
    RichTextBox2->setObjectName(q("RichTextBox2"));
    RichTextBox2->setAccessibleName(q("Mask in Binary"));
    RichTextBox2->setToolTip(q("The calculated mask is shown in Binary Here"));
    place(RichTextBox2, 5040, 600, 3375, 375);
    static const char* legend[] = {"Network bits in red", "Subnet bits in blue", "Host bits in yellow"};
    static const Colour legendColour[] = {colour::Red, colour::Blue, colour::Olive};
    for (int i = 0; i < 3; ++i) {
        auto* p =
            panel(SSFrame1, indexed("SSPanel2", i), legend[i], Panel3D::Bevel::Raised, 4440 + 1320 * i, 960, 1335, 255);
        p->setForeColor(legendColour[i]);
        p->setBackColor(colour::LightGrey);
        p->setWordWrap(false);
        p->setAccessibleName(q(legend[i]));
        p->setAccessibleDescription(q("Colour key of the binary displays"));
        SSPanel2[static_cast<std::size_t>(i)] = p;
    }
}

void Frmdoc::buildOptionsFrame()
{
    // Frame 2: the subnet options.
    SSFrame2 = new QGroupBox(q("2. Choose Subnet Options"), this);
    SSFrame2->setObjectName(q("SSFrame2"));
    place(SSFrame2, 0, 1320, 3855, 3015);
    SSCheck1 = new CheckBox3D(q("Enable Subnet Zero"), SSFrame2);
    SSCheck1->setObjectName(q("SSCheck1"));
    SSCheck1->setAccessibleName(q("Enable Subnet Zero"));
    SSCheck1->setToolTip(q("Click here if you want to make use of subnet zero in your calculations"));
    place(SSCheck1, 120, 240, 1695, 375);
    SSPanel13 = panel(SSFrame2, q("SSPanel13"), "Class of Address", Panel3D::Bevel::Raised, 2040, 240, 1095, 375);
    SSPanel13->setForeColor(colour::Blue);
    SSPanel13->setAccessibleName(q("Class of Address"));
    SSPanel13->setAccessibleDescription(q("Label of the class box beside it"));
    Text1 = new QLineEdit(SSFrame2);
    Text1->setObjectName(q("Text1"));
    Text1->setAccessibleName(q("Class of Address"));
    Text1->setToolTip(q("This field will display the class of IP address you entered"));
    Text1->setReadOnly(true);
    QFont classFont = uiFont(12, true);
    classFont.setPointSizeF(12);  // one letter: room enough for the full size
    Text1->setFont(classFont);
    Text1->setAlignment(Qt::AlignCenter);
    Text1->setTextMargins(0, 0, 0, 0);
    place(Text1, 3240, 240, 375, 375);
}

void Frmdoc::buildChoiceFrame()
{
    SSFrame3 = new QGroupBox(SSFrame2);
    SSFrame3->setObjectName(q("SSFrame3"));
    place(SSFrame3, 120, 600, 3615, 2175);
    static const char* choiceLabel[] = {"Subnet Mask", "# Bits in Subnet Mask", "# Subnets", "# Hosts"};
    // Label5(i) sits beside the box of the same row: Label5(1) with Combo1(0), Label5(0) with Combo1(1).
    static const int labelRow[] = {1, 0, 2, 3};
    static const char* choiceTip[] = {
        "This option lets you choose the number opf bits you want in the subnet mask",
        "This option lets you choose the actual subnet mask for the entered address above",
        "This option lets you choose the number of subnets you want to set",
        "This option lets you set the number of hosts you want"};
    static const char* boxLabel[] = {"# Bits in Subnet Mask", "Subnet Mask", "# Subnets", "# Hosts"};
    for (int i = 0; i < 4; ++i) {
        const int top = 240 + 360 * labelRow[i];
        Label5[static_cast<std::size_t>(i)] =
            label(SSFrame3, indexed("Label5", i).toUtf8().constData(), choiceLabel[i], 120, top, 1575, 255);
        auto* c = new QComboBox(SSFrame3);
        c->setObjectName(indexed("Combo1", i));
        c->setAccessibleName(q(boxLabel[i]));
        c->setToolTip(q(choiceTip[i]));
        c->setEditable(false);
        c->setMaxVisibleItems(12);
        place(c, 1920, 240 + 360 * i, 1575, 315);
        Combo1[static_cast<std::size_t>(i)] = c;
    }
    SSCommand2 = button(SSFrame3, "SSCommand2", "Subnet #", 360, 1680, 1335, 375);
    SSCommand2->setToolTip(q("Click here to change the subnet number"));
    SSCommand4 = button(SSFrame3, "SSCommand4", "<", 1920, 1680, 255, 375);
    SSCommand4->setFont(uiFont(8, true));
    SSCommand4->setAccessibleName(q("Previous subnet"));
    SSCommand4->setAccessibleDescription(q("Steps to the previous subnet"));
    Text2 = new QLineEdit(SSFrame3);
    Text2->setObjectName(q("Text2"));
    Text2->setAccessibleName(q("Subnet number"));
    Text2->setToolTip(q("The subnet number is displayed here"));
    Text2->setReadOnly(true);
    Text2->setMaxLength(7);
    place(Text2, 2160, 1680, 1095, 315);
    SSCommand6 = button(SSFrame3, "SSCommand6", ">", 3240, 1680, 255, 375);
    SSCommand6->setFont(uiFont(8, true));
    SSCommand6->setAccessibleName(q("Next subnet"));
    SSCommand6->setAccessibleDescription(q("Steps to the next subnet"));
}

void Frmdoc::buildResultsFrame()
{
    // Frame 3: the results.
    SSFrame5 = new QGroupBox(q("3. Address and Subnet Details"), this);
    SSFrame5->setObjectName(q("SSFrame5"));
    place(SSFrame5, 3840, 1320, 4695, 3015);
    struct Row {
        int index;
        const char* caption;
        const char* tip;
    };
    static const Row rows[] = {
        {3, "Network Address", "This shows the full network address"},
        {4, "Subnet Address", "This shows the subnet address"},
        {5, "Host Address", "This shows the host address"},
        {6, "Wasted Addresses",
         "This shows the number of wasted addresses for the subnet and is based on the chosen mask"},
        {0, "Address Range From", "This shows the starting address for the subnet range for the entered address"},
        {1, "Address Range To", "This shows the end address for the subnet range for the entered address"},
        {2, "Broadcast Address", "This shows the broadcast address for the subnet range for the entered address"},
    };
    for (int r = 0; r < 7; ++r) {
        const Row& row = rows[r];
        const int top = 360 + 240 * r;
        auto* cap =
            panel(SSFrame5, indexed("SSPanel5", row.index), row.caption, Panel3D::Bevel::Raised, 120, top, 1815, 255);
        cap->setWordWrap(false);
        cap->setAccessibleName(q(row.caption));
        cap->setAccessibleDescription(q("Label of the result beside it"));
        auto* val = panel(SSFrame5, indexed("SSPanel6", row.index), "", Panel3D::Bevel::Inset, 2040, top, 2535, 255);
        val->setWordWrap(false);
        val->setToolTip(q(row.tip));
        val->setAccessibleName(q(row.caption));
        val->setTextInteractionFlags(Qt::TextSelectableByMouse);
        SSPanel5[static_cast<std::size_t>(row.index)] = cap;
        SSPanel6[static_cast<std::size_t>(row.index)] = val;
    }
    SSPanel1 = panel(SSFrame5, q("SSPanel1"), "", Panel3D::Bevel::Inset, 120, 2160, 4455, 735);
    SSPanel1->setAccessibleName(q("Status"));
    SSPanel1->setAccessibleDescription(q("Warns when the host address cannot be used"));
    SSPanel1->setFont(uiFont(8, true));
}

void Frmdoc::buildRangeFrame()
{
    // Frame 4: the subnet ranges.
    SSFrame4 = new QGroupBox(q("4. Subnet/Address Range"), this);
    SSFrame4->setObjectName(q("SSFrame4"));
    place(SSFrame4, 0, 4320, 8535, 2295);
    SSCommand1 = button(SSFrame4, "SSCommand1", "Display Next 50 Subnets Address Range", 120, 240, 3015, 375);
    SSCommand5 = button(SSFrame4, "SSCommand5", "Display whole address range", 3240, 240, 2175, 375);
    SSCommand3 = button(SSFrame4, "SSCommand3", "Copy Selected Cell to Clipboard", 5520, 240, 2775, 375);
    SSCommand1->setAccessibleDescription(q("Lists the address ranges of the next fifty subnets in the grid"));
    SSCommand5->setAccessibleDescription(q("Opens the list of every subnet's address range"));
    SSCommand3->setAccessibleDescription(q("Copies the selected grid cells to the clipboard"));
    MSFlexGrid1 = new FlexGrid(1, SSFrame4);
    MSFlexGrid1->setObjectName(q("MSFlexGrid1"));
    MSFlexGrid1->setAccessibleName(q("Subnet/Address Range"));
    MSFlexGrid1->setToolTip(q("This area displays a subnet range "));
    place(MSFlexGrid1, 120, 720, 8295, 1455);
    // Tab leaves the grid for the next control; the arrow keys move between cells.
    MSFlexGrid1->setTabKeyNavigation(false);
}

void Frmdoc::build()
{
    buildAddressFrame();
    buildOptionsFrame();
    buildChoiceFrame();
    buildResultsFrame();
    buildRangeFrame();

    // What a screen reader says about a control: its tool-tip where it has one.
    for (QWidget* w : findChildren<QWidget*>())
        if (w->accessibleDescription().isEmpty() && !w->toolTip().isEmpty())
            w->setAccessibleDescription(w->toolTip());

    // Only the controls of the tab order take the focus.
    for (QWidget* w :
         {static_cast<QWidget*>(SSFrame1), static_cast<QWidget*>(SSFrame2), static_cast<QWidget*>(SSFrame3),
          static_cast<QWidget*>(SSFrame4), static_cast<QWidget*>(SSFrame5)})
        w->setFocusPolicy(Qt::NoFocus);
}

void Frmdoc::setTabOrder()
{
    const std::vector<QWidget*> order = {Text3[0],   Text3[1],    Text3[2],   Text3[3],     SSCheck1,
                                         Combo1[0],  Combo1[1],   Combo1[2],  Combo1[3],    SSCommand2,
                                         SSCommand1, SSCommand5,  SSCommand3, RichTextBox1, RichTextBox2,
                                         Text2,      MSFlexGrid1, Text1,      SSCommand4,   SSCommand6};
    for (QWidget* w : order)
        if (w->focusPolicy() == Qt::NoFocus)
            w->setFocusPolicy(Qt::StrongFocus);
    RichTextBox1->setFocusPolicy(Qt::StrongFocus);
    RichTextBox2->setFocusPolicy(Qt::StrongFocus);
    for (std::size_t i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

void Frmdoc::wire()
{
    for (int i = 0; i < 4; ++i) {
        QLineEdit* t = Text3[static_cast<std::size_t>(i)];
        t->installEventFilter(this);
        connect(t, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            m.Text3[static_cast<std::size_t>(i)].text = text.toStdString();
            m.Text3_Change(i);
            refresh();
        });
        QComboBox* c = Combo1[static_cast<std::size_t>(i)];
        c->installEventFilter(this);
        connect(c, &QComboBox::activated, this, [this, i](int row) {
            auto& box = m.Combo1[static_cast<std::size_t>(i)];
            box.listIndex = row;
            box.text = box.item(row);
            m.Combo1_Click(i);
            refresh();
        });
    }
    connect(SSCheck1, &CheckBox3D::valueChanged, this, [this](int value) {
        m.SSCheck1_Click(value);
        refresh();
    });
    auto onClick = [this](QPushButton* b, void (FrmdocModel::*handler)()) {
        connect(b, &QPushButton::clicked, this, [this, handler] {
            (m.*handler)();
            refresh();
        });
    };
    onClick(SSCommand1, &FrmdocModel::SSCommand1_Click);
    onClick(SSCommand2, &FrmdocModel::SSCommand2_Click);
    onClick(SSCommand3, &FrmdocModel::SSCommand3_Click);
    onClick(SSCommand4, &FrmdocModel::SSCommand4_Click);
    onClick(SSCommand5, &FrmdocModel::SSCommand5_Click);
    onClick(SSCommand6, &FrmdocModel::SSCommand6_Click);
    connect(MSFlexGrid1, &FlexGrid::mouseUp, this, [this] {
        MSFlexGrid1->readSelection(m.MSFlexGrid1);
        m.MSFlexGrid1_MouseUp();
    });
    connect(MSFlexGrid1, &QTableWidget::cellClicked, this, [this] { m.MSFlexGrid1_Click(); });
}

// ---------------------------------------------------------------- events

bool Frmdoc::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (int i = indexIn(watched, Text3); i >= 0)
            return octetKey(i, key);
        if (int i = indexIn(watched, Combo1); i >= 0)
            return choiceKey(i, key);
    } else if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QClipboard* cb = QGuiApplication::clipboard();
        const int i = indexIn(watched, Text3);
        if (i >= 0 && mouse->button() == Qt::MiddleButton && cb && cb->supportsSelection()) {
            // The X selection is pasted on release, at the place clicked.
            QLineEdit* edit = Text3[static_cast<std::size_t>(i)];
            if (event->type() == QEvent::MouseButtonPress) {
                edit->setFocus(Qt::MouseFocusReason);
            } else {
                edit->deselect();
                edit->setCursorPosition(edit->cursorPositionAt(mouse->position().toPoint()));
                pasteIntoOctet(i, QClipboard::Selection);
            }
            return true;
        }
    } else if (event->type() == QEvent::ContextMenu) {
        if (int i = indexIn(watched, Text3); i >= 0) {
            // The field's own menu, with Paste going through the same checks as Ctrl+V.
            QLineEdit* edit = Text3[static_cast<std::size_t>(i)];
            std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
            for (QAction* a : menu->actions())
                if (a->objectName() == QLatin1String("edit-paste")) {
                    a->disconnect();
                    connect(a, &QAction::triggered, this, [this, i] { pasteIntoOctet(i); });
                }
            menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool Frmdoc::octetKey(int i, QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        pasteIntoOctet(i);
        return true;
    }
    const QString text = event->text();
    // Focus keys and editing shortcuts are not typed characters.
    if (text.isEmpty() || event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab ||
        (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)))
        return false;
    int keyAscii = text.at(0).unicode();
    if (keyAscii == 127)  // Delete types no character
        return false;
    m.Text3_KeyPress(i, keyAscii);
    refresh();
    return keyAscii == 0;
}

bool Frmdoc::choiceKey(int i, QKeyEvent* event)
{
    if (keyLeavesChoiceAlone(event))
        return false;
    m.Combo1_KeyDown(i, event->key(), shiftState(event->modifiers()));
    refresh();
    return true;
}

void Frmdoc::pasteIntoOctet(int i, QClipboard::Mode mode)
{
    const QClipboard* cb = QGuiApplication::clipboard();
    const QString text = cb ? cb->text(mode).trimmed() : QString();
    if (text.isEmpty())
        return;  // nothing to paste, nothing to complain about
    static const QRegularExpression whole(q("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$"));
    static const QRegularExpression digits(q("^\\d+$"));
    if (const auto match = whole.match(text); match.hasMatch()) {
        // A whole address fills the four fields, as if typed one after the other.
        for (int k = 0; k < 4; ++k) {
            m.setText3(k, match.captured(k + 1).toStdString());
            refresh();
        }
        Text3[3]->setFocus();
        return;
    }
    if (digits.match(text).hasMatch()) {
        QLineEdit* edit = Text3[static_cast<std::size_t>(i)];
        if (edit->text().size() - edit->selectedText().size() + text.size() > edit->maxLength()) {
            relay.beep();
            relay.msgBox("An address field holds at most three digits.", MsgIcon::Exclamation, kProgramTitle);
            return;
        }
        edit->insert(text);
        return;
    }
    relay.beep();
    relay.msgBox("Only digits, or a whole address such as 192.168.10.77, can be pasted into the address fields.",
                 MsgIcon::Exclamation, kProgramTitle);
}

void Frmdoc::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m.Form_Resize();
}

// ---------------------------------------------------------------- model to widgets

void Frmdoc::refresh()
{
    for (std::size_t i = 0; i < 4; ++i)
        showText(Text3[i], m.Text3[i]);
    showText(Text1, m.Text1);
    showText(Text2, m.Text2);
    for (std::size_t i = 0; i < 4; ++i) {
        QComboBox* c = Combo1[i];
        const ComboBox& box = m.Combo1[i];
        QSignalBlocker block(c);
        bool same = c->count() == static_cast<int>(box.list.size());
        for (int r = 0; same && r < c->count(); ++r)
            same = c->itemText(r).toStdString() == box.list[static_cast<std::size_t>(r)];
        if (!same) {
            c->clear();
            for (const auto& item : box.list)
                c->addItem(QString::fromStdString(item));
        }
        if (c->currentIndex() != box.listIndex)
            c->setCurrentIndex(box.listIndex);
        c->setEnabled(box.enabled);
        c->setVisible(box.visible);
    }
    SSCheck1->showValue(m.SSCheck1.value != 0);
    SSCheck1->setEnabled(m.SSCheck1.enabled);
    for (std::size_t i = 0; i < 7; ++i) {
        SSPanel6[i]->setCaption(m.SSPanel6[i].caption);
        SSPanel6[i]->setForeColor(m.SSPanel6[i].foreColor);
        SSPanel6[i]->setVisible(m.SSPanel6[i].visible);
    }
    SSPanel1->setCaption(m.SSPanel1.caption);
    SSPanel1->setForeColor(m.SSPanel1.foreColor);
    RichTextBox1->setRuns(m.RichTextBox1.runs);
    RichTextBox2->setRuns(m.RichTextBox2.runs);
    MSFlexGrid1->showGrid(m.MSFlexGrid1);
}

}  // namespace mq::ui
