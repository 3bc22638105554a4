#include "ui/bindec/bindec.h"

#include "core/refreshing_services.h"
#include "ui/platform/choice_buttons.h"
#include "ui/platform/geometry.h"
#include "ui/platform/panel3d.h"
#include "ui/platform/qt_services.h"
#include "ui/platform/theme.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace mq::ui {

namespace {

const char* const kModeTips[3] = {"Enter the number in binary (up to 31 digits)",
                                  "Enter the number in decimal (up to 2147483647)",
                                  "Enter the number in hexadecimal (up to FFFFFFFF)"};

}  // namespace

void Bindec::buildModeOptions()
{
    SSFrame1 = new QGroupBox(this);
    SSFrame1->setObjectName(QStringLiteral("SSFrame1"));
    SSFrame1->setGeometry(twipsRect(120, 60, 1560, 1560));
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        auto* o = new OptionButton3D(SSFrame1);
        o->setObjectName(QStringLiteral("SSOption1(%1)").arg(i));
        o->setGeometry(twipsRect(180, 360 + 360 * i, 1260, 300));
        o->setToolTip(QString::fromUtf8(kModeTips[i]));
        group->addButton(o, i);
        SSOption1[static_cast<std::size_t>(i)] = o;
        connect(o, &OptionButton3D::chosen, this, [this, i] {
            m->SSOption1_Click(i);
            refresh();
            Text4->setFocus();
        });
    }
}

void Bindec::buildInputAndKeys()
{
    Text4 = new QLineEdit(this);
    Text4->setObjectName(QStringLiteral("Text4"));
    Text4->setGeometry(twipsRect(1800, 180, 4560, 360));
    Text4->setAccessibleName(QStringLiteral("Number to convert"));
    Text4->setToolTip(QStringLiteral("Type the number, or build it with the keypad, then press Enter"));
    Text4->installEventFilter(this);
    connect(Text4, &QLineEdit::textChanged, this, [this](const QString& t) { m->Text4.text = t.toStdString(); });
    // Return in the input box does what the Enter button does.
    connect(Text4, &QLineEdit::returnPressed, this, [this] { run(&BindecModel::SSCommand3_Click); });

    for (int i = 0; i < 16; ++i) {
        auto* b = new QPushButton(this);
        b->setObjectName(QStringLiteral("SSCommand2(%1)").arg(i));
        b->setGeometry(twipsRect(1800 + 600 * (i % 4), 720 + 480 * (i / 4), 540, 420));
        b->setFocusPolicy(Qt::TabFocus);
        connect(b, &QPushButton::clicked, this, [this, i] {
            m->SSCommand2_Click(i);
            refresh();
        });
        SSCommand2[static_cast<std::size_t>(i)] = b;
    }

    SSCommand3 = new QPushButton(this);
    SSCommand3->setObjectName(QStringLiteral("SSCommand3"));
    SSCommand3->setGeometry(twipsRect(4440, 720, 1920, 420));
    SSCommand3->setToolTip(QStringLiteral("Convert the number into all three bases"));
    connect(SSCommand3, &QPushButton::clicked, this, [this] { run(&BindecModel::SSCommand3_Click); });

    SSCommand1 = new QPushButton(this);
    SSCommand1->setObjectName(QStringLiteral("SSCommand1"));
    SSCommand1->setGeometry(twipsRect(4440, 1200, 1920, 420));
    SSCommand1->setToolTip(QStringLiteral("Empty the input box; the results stay"));
    connect(SSCommand1, &QPushButton::clicked, this, [this] {
        run(&BindecModel::SSCommand1_Click);
        Text4->setFocus();
    });
}

void Bindec::buildResults()
{
    for (int i = 0; i < 3; ++i) {
        auto* p = new Panel3D(Panel3D::Bevel::Raised, this);
        p->setObjectName(QStringLiteral("SSPanel1(%1)").arg(i));
        p->setGeometry(twipsRect(120, 2700 + 480 * i, 1560, 360));
        SSPanel1[static_cast<std::size_t>(i)] = p;

        auto* t = new QLineEdit(this);
        t->setObjectName(QStringLiteral("Text1(%1)").arg(i));
        t->setGeometry(twipsRect(1800, 2700 + 480 * i, 4560, 360));
        t->setReadOnly(true);
        SSPanel1[static_cast<std::size_t>(i)]->setBuddy(t);
        Text1[static_cast<std::size_t>(i)] = t;
    }
}

void Bindec::describeControls()
{
    setTabOrder(SSOption1[0], SSOption1[1]);
    setTabOrder(SSOption1[1], SSOption1[2]);
    setTabOrder(SSOption1[2], Text4);
    QWidget* prev = Text4;
    for (QWidget* w : SSCommand2) {
        setTabOrder(prev, w);
        prev = w;
    }
    for (QWidget* w :
         {static_cast<QWidget*>(SSCommand3), static_cast<QWidget*>(SSCommand1), static_cast<QWidget*>(Text1[0]),
          static_cast<QWidget*>(Text1[1]), static_cast<QWidget*>(Text1[2])}) {
        setTabOrder(prev, w);
        prev = w;
    }

    // What a screen reader says about each control.
    for (QWidget* w :
         {static_cast<QWidget*>(SSOption1[0]), static_cast<QWidget*>(SSOption1[1]), static_cast<QWidget*>(SSOption1[2]),
          static_cast<QWidget*>(Text4), static_cast<QWidget*>(SSCommand3), static_cast<QWidget*>(SSCommand1)})
        w->setAccessibleDescription(w->toolTip());
    for (std::size_t i = 0; i < 3; ++i) {
        SSPanel1[i]->setAccessibleDescription(QStringLiteral("Label of the result beside it"));
        Text1[i]->setAccessibleDescription(QStringLiteral("The number converted into this base"));
    }
}

Bindec::Bindec(QWidget* parent, Services* services) : QWidget(parent)
{
    if (!services) {
        ownServices = std::make_unique<QtServices>(this);
        services = ownServices.get();
    }
    relay = std::make_unique<RefreshingServices>(*services, [this] { refresh(); });
    m = std::make_unique<BindecModel>(*relay);

    setObjectName(QStringLiteral("bindec"));
    keepClassicColours(this);
    setWindowTitle(QString::fromUtf8(kBindecCaption));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(uiFont());
    setFixedSize(twipsToPixels(6480), twipsToPixels(4260));

    buildModeOptions();
    buildInputAndKeys();
    buildResults();
    describeControls();

    m->Form_Load();
    refresh();
    Text4->setFocus();
}

Bindec::~Bindec() = default;

void Bindec::run(void (BindecModel::*handler)())
{
    (m.get()->*handler)();
    refresh();
}

void Bindec::refresh()
{
    SSFrame1->setTitle(QString::fromStdString(m->SSFrame1.caption));
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& o = m->SSOption1[i];
        SSOption1[i]->setText(QString::fromStdString(o.caption));
        SSOption1[i]->setAccessibleName(QString::fromStdString(o.caption));
        SSOption1[i]->showValue(o.value);
        SSOption1[i]->setEnabled(o.enabled);
    }
    if (Text4->text().toStdString() != m->Text4.text)
        Text4->setText(QString::fromStdString(m->Text4.text));
    for (std::size_t i = 0; i < 16; ++i) {
        const auto& b = m->SSCommand2[i];
        SSCommand2[i]->setText(QString::fromStdString(b.caption));
        SSCommand2[i]->setAccessibleName(QString::fromStdString(b.caption));
        SSCommand2[i]->setAccessibleDescription(
            QStringLiteral("Adds the digit %1 to the number").arg(QString::fromStdString(b.caption)));
        SSCommand2[i]->setEnabled(b.enabled);
    }
    SSCommand3->setText(QString::fromStdString(m->SSCommand3.caption));
    SSCommand1->setText(QString::fromStdString(m->SSCommand1.caption));
    SSCommand3->setAccessibleName(SSCommand3->text().remove(QLatin1Char('&')));
    SSCommand1->setAccessibleName(SSCommand1->text().remove(QLatin1Char('&')));
    for (std::size_t i = 0; i < 3; ++i) {
        SSPanel1[i]->setCaption(m->SSPanel1[i].caption);
        SSPanel1[i]->setAccessibleName(QString::fromStdString(m->SSPanel1[i].caption));
        Text1[i]->setAccessibleName(QString::fromStdString(m->SSPanel1[i].caption));
        if (Text1[i]->text().toStdString() != m->Text1[i].text)
            Text1[i]->setText(QString::fromStdString(m->Text1[i].text));
    }
}

bool Bindec::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Text4 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Shortcuts (copy, paste, select all) and editing keys go to the box as usual.
        if (text.size() != 1 || key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier) || !text[0].isPrint())
            return QWidget::eventFilter(watched, event);
        const char16_t u = text[0].unicode();
        int keyAscii = u < 128 ? static_cast<int>(u) : 0;
        m->Text4_KeyPress(keyAscii);
        if (keyAscii == 0)
            return true;
        // The length limit governs typing; pasted text is judged at Enter.
        const int room = m->Text4.maxLength - static_cast<int>(Text4->text().size()) +
                         static_cast<int>(Text4->selectedText().size());
        if (m->Text4.maxLength > 0 && room <= 0)
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace mq::ui
