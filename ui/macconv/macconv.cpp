#include "ui/macconv/macconv.h"

#include "core/refreshing_services.h"
#include "ui/platform/geometry.h"
#include "ui/platform/key_codes.h"
#include "ui/platform/qt_services.h"
#include "ui/platform/theme.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>

namespace mq::ui {

namespace {

constexpr int kAddressLength = 12;

void setCaptionColour(QPushButton* b, Colour c)
{
    QPalette pal = b->palette();
    const QColor colour =
        c == kButtonTextColour ? b->parentWidget()->palette().color(QPalette::ButtonText) : toQColor(c);
    pal.setColor(QPalette::Active, QPalette::ButtonText, colour);
    pal.setColor(QPalette::Inactive, QPalette::ButtonText, colour);
    b->setPalette(pal);
}

}  // namespace

QPushButton* Macconv::button(const char* name, int left, int top, int width, void (MacconvModel::*handler)())
{
    auto* b = new QPushButton(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(twipsRect(left, top, width, 420));
    connect(b, &QPushButton::clicked, this, [this, handler] {
        (m.get()->*handler)();
        refresh();
    });
    return b;
}

void Macconv::buildAddressRows()
{
    SSCommand4 = button("SSCommand4", 120, 120, 2160, &MacconvModel::SSCommand4_Click);
    SSCommand4->setToolTip(QStringLiteral("Type the Ethernet (canonical) address into the upper box"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twipsRect(2400, 150, 1800, 360));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twipsRect(4320, 90, 2640, 480));
    Label1->setWordWrap(true);
    Label1->setBuddy(Text1);

    SSCommand5 = button("SSCommand5", 120, 660, 2160, &MacconvModel::SSCommand5_Click);
    SSCommand5->setToolTip(QStringLiteral("Type the Token Ring/FDDI (non-canonical) address into the lower box"));
    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setGeometry(twipsRect(2400, 690, 1800, 360));
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(twipsRect(4320, 630, 2640, 480));
    Label2->setWordWrap(true);
    Label2->setBuddy(Text2);

    for (QLineEdit* box : {Text1, Text2}) {
        box->setToolTip(QStringLiteral("Twelve hexadecimal digits, without separators"));
        box->installEventFilter(this);
    }
    connect(Text1, &QLineEdit::textChanged, this, [this](const QString& t) { m->Text1.text = t.toStdString(); });
    connect(Text2, &QLineEdit::textChanged, this, [this](const QString& t) { m->Text2.text = t.toStdString(); });
}

void Macconv::buildKeys()
{
    for (int i = 0; i < 16; ++i) {
        auto* b = new QPushButton(this);
        b->setObjectName(QStringLiteral("SSCommand3(%1)").arg(i));
        b->setGeometry(twipsRect(120 + 600 * (i % 8), 1320 + 480 * (i / 8), 540, 420));
        connect(b, &QPushButton::clicked, this, [this, i] {
            m->SSCommand3_Click(i);
            refresh();
        });
        SSCommand3[static_cast<std::size_t>(i)] = b;
    }

    SSCommand1 = button("SSCommand1", 120, 2400, 1620, &MacconvModel::SSCommand1_Click);
    SSCommand1->setToolTip(QStringLiteral("Convert the address into the other bit order"));
    SSCommand7 = button("SSCommand7", 1860, 2400, 1620, &MacconvModel::SSCommand7_Click);
    SSCommand7->setToolTip(QStringLiteral("Remove the last digit of the address being typed"));
    SSCommand6 = button("SSCommand6", 3600, 2400, 1620, &MacconvModel::SSCommand6_Click);
    SSCommand6->setToolTip(QStringLiteral("Empty both address boxes"));
    SSCommand2 = button("SSCommand2", 5340, 2400, 1620, &MacconvModel::SSCommand2_Click);
    SSCommand2->setToolTip(QStringLiteral("Put the converter away; it keeps its addresses"));
}

void Macconv::describeControls()
{
    QWidget* prev = SSCommand4;
    std::vector<QWidget*> order{Text1, SSCommand5, Text2};
    order.insert(order.end(), SSCommand3.begin(), SSCommand3.end());
    order.insert(order.end(), {SSCommand1, SSCommand7, SSCommand6, SSCommand2});
    for (QWidget* w : order) {
        setTabOrder(prev, w);
        prev = w;
    }

    // What a screen reader says about each control: its tool-tip.
    for (QWidget* w : std::initializer_list<QWidget*>{SSCommand4, SSCommand5, Text1, Text2, SSCommand1, SSCommand7,
                                                      SSCommand6, SSCommand2})
        w->setAccessibleDescription(w->toolTip());
}

Macconv::Macconv(QWidget* parent, Services* services) : QWidget(parent)
{
    if (!services) {
        ownServices = std::make_unique<QtServices>(this);
        services = ownServices.get();
    }
    relay = std::make_unique<RefreshingServices>(*services, [this] { refresh(); });
    m = std::make_unique<MacconvModel>(*relay);
    m->hideWindow = [this] { hideTool(); };

    setObjectName(QStringLiteral("macconv"));
    keepClassicColours(this);
    setWindowTitle(QString::fromUtf8(kMacconvCaption));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(uiFont());
    setFixedSize(twipsToPixels(7080), twipsToPixels(3420));

    buildAddressRows();
    buildKeys();
    describeControls();

    m->Form_Load();
    refresh();
    SSCommand4->setFocus();
}

Macconv::~Macconv() = default;

void Macconv::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
}

void Macconv::hideTool()
{
    // Inside the main window the frame around the window is what hides.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->hide();
    else
        hide();
}

void Macconv::refresh()
{
    if (Text1->text().toStdString() != m->Text1.text)
        Text1->setText(QString::fromStdString(m->Text1.text));
    if (Text2->text().toStdString() != m->Text2.text)
        Text2->setText(QString::fromStdString(m->Text2.text));
    Label1->setText(QString::fromStdString(m->Label1.caption));
    Label2->setText(QString::fromStdString(m->Label2.caption));
    Text1->setAccessibleName(QString::fromStdString(m->Label1.caption));
    Text2->setAccessibleName(QString::fromStdString(m->Label2.caption));

    const std::pair<QPushButton*, const Button*> buttons[] = {
        {SSCommand4, &m->SSCommand4}, {SSCommand5, &m->SSCommand5}, {SSCommand7, &m->SSCommand7},
        {SSCommand6, &m->SSCommand6}, {SSCommand1, &m->SSCommand1}, {SSCommand2, &m->SSCommand2}};
    for (const auto& [widget, b] : buttons) {
        widget->setText(QString::fromStdString(b->caption));
        widget->setAccessibleName(QString::fromStdString(b->caption));
        widget->setEnabled(b->enabled);
    }
    setCaptionColour(SSCommand4, m->SSCommand4.foreColor);
    setCaptionColour(SSCommand5, m->SSCommand5.foreColor);
    for (std::size_t i = 0; i < SSCommand3.size(); ++i) {
        SSCommand3[i]->setText(QString::fromStdString(m->SSCommand3[i].caption));
        SSCommand3[i]->setAccessibleName(QString::fromStdString(m->SSCommand3[i].caption));
        SSCommand3[i]->setAccessibleDescription(
            QStringLiteral("Adds the digit %1 to the address").arg(QString::fromStdString(m->SSCommand3[i].caption)));
    }
}

bool Macconv::boxKeyPress(QLineEdit* box, QKeyEvent* key)
{
    const bool upper = box == Text1;
    const int code = vbKeyCode(*key);
    const int shift = vbShiftState(*key);
    if (upper)
        m->text1_KeyDown(code, shift);
    else
        m->Text2_KeyDown(code, shift);
    refresh();

    const QString text = key->text();
    if (text.size() != 1 || key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier) || !text[0].isPrint())
        return false;  // editing keys and shortcuts work as in any text box
    // Typing stops at twelve characters; a selection typed over makes room.
    if (box->text().size() - box->selectedText().size() >= kAddressLength)
        return true;
    const char16_t u = text[0].unicode();
    if (u >= 128)
        return false;  // judged, like any other key, when it is released
    int keyAscii = u;
    if (upper)
        m->Text1_KeyPress(keyAscii);
    else
        m->Text2_KeyPress(keyAscii);
    if (keyAscii == 0)
        return true;
    if (keyAscii != u) {
        box->insert(QString(QChar(keyAscii)));
        return true;
    }
    return false;
}

bool Macconv::eventFilter(QObject* watched, QEvent* event)
{
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box != Text1 && box != Text2)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        if (boxKeyPress(box, static_cast<QKeyEvent*>(event)))
            return true;
        break;
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat())
            break;
        if (box == Text1)
            m->text1_KeyUp(vbKeyCode(*key), vbShiftState(*key));
        else
            m->Text2_KeyUp(vbKeyCode(*key), vbShiftState(*key));
        refresh();
        break;
    }
    case QEvent::FocusIn: {
        // Coming back from a message box or another window is not a new choice.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            break;
        if (box == Text1)
            m->Text1_GotFocus();
        else
            m->Text2_GotFocus();
        refresh();
        break;
    }
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace mq::ui
