#include "ui/dar/dar.h"

#include "reports/results_report.h"
#include "ui/frmdoc/frmdoc.h"
#include "ui/platform/geometry.h"
#include "ui/platform/theme.h"
#include "ui/platform/window_control.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>

namespace mq::ui {

namespace {

// The window's design, in twips.
constexpr int kWidth = 8640;
constexpr int kHeight = 7200;
constexpr int kPanelHeight = 3135;
constexpr int kButtonWidth = 1215;
constexpr int kButtonHeight = 495;
constexpr int kGap = 120;

QString q(const char* s)
{
    return QString::fromUtf8(s);
}

}  // namespace

// ---------------------------------------------------------------- construction

Dar::Dar(QWidget* parent) : Dar(std::make_unique<QtServices>(), nullptr, nullptr, parent) { }

Dar::Dar(Services& services, StreamedFileWriter& writer, QWidget* parent) : Dar(nullptr, &services, &writer, parent) { }

Dar::Dar(std::unique_ptr<QtServices> own, Services* services, StreamedFileWriter* writer, QWidget* parent)
    : QWidget(parent), ownServices(std::move(own)), relay(services ? *services : *ownServices, [this] { refresh(); }),
      m(nullptr, relay, writer ? *writer : ownWriter)
{
    if (ownServices)
        ownServices->setWindow(this);
    m.banner = reportBanner(1);
    m.refresh = [this] { refresh(); };
    build();
    refresh();
}

Dar::~Dar()
{
    m.refresh = nullptr;
    disconnect(ownerGone);
}

void Dar::build()
{
    setObjectName(q("dar"));
    keepClassicColours(this);
    setWindowTitle(q("Display Address Range"));
    setFont(uiFont(8));
    resize(twipsToPixels(kWidth), twipsToPixels(kHeight));
    setMinimumSize(twipsToPixels(4 * kButtonWidth), twipsToPixels(3 * kButtonHeight + 4 * kGap));

    // The message line lies under the report: when the report moves to the top
    // it covers the message and fills the window.
    SSPanel1 = new Panel3D(Panel3D::Bevel::Raised, this);
    SSPanel1->setObjectName(q("SSPanel1"));
    SSPanel1->setAccessibleName(q("Message"));
    SSPanel1->setAccessibleDescription(q("What the listing is doing, or why it cannot start"));
    SSPanel1->setWordWrap(true);

    RichTextBox1 = new ReportView(m.RichTextBox1, this);
    RichTextBox1->setObjectName(q("RichTextBox1"));
    RichTextBox1->setAccessibleName(q("Address range report"));
    RichTextBox1->setAccessibleDescription(q("Each subnet's address, usable range and broadcast address"));

    auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(q(caption), this);
        b->setObjectName(q(name));
        b->setAccessibleName(q(caption));
        b->setAutoDefault(false);
        return b;
    };
    SSCommand1 = button("SSCommand1", "START");
    SSCommand2 = button("SSCommand2", "Save");
    SSCommand3 = button("SSCommand3", "Finish");
    SSCommand1->setToolTip(q("Lists subnets 0 to the subnet count; press again to stop"));
    SSCommand2->setToolTip(q("Saves the report as a rich text file"));
    SSCommand3->setToolTip(q("Puts the window away; the report stays for the next time"));
    for (QPushButton* b : {SSCommand1, SSCommand2, SSCommand3})
        b->setAccessibleDescription(b->toolTip());
    connect(SSCommand1, &QPushButton::clicked, this, [this] { m.SSCommand1_Click(); });
    connect(SSCommand2, &QPushButton::clicked, this, [this] { m.SSCommand2_Click(); });
    connect(SSCommand3, &QPushButton::clicked, this, [this] { m.SSCommand3_Click(); });
    setTabOrder(SSCommand1, SSCommand2);
    setTabOrder(SSCommand2, SSCommand3);
    setTabOrder(SSCommand3, RichTextBox1);
    layoutControls();
}

void Dar::layoutControls()
{
    const int w = width();
    const int gap = twipsToPixels(kGap);
    const int bh = twipsToPixels(kButtonHeight);
    const int bw = twipsToPixels(kButtonWidth);
    const int buttonsTop = height() - gap - bh;
    const int bottom = std::max(0, buttonsTop - gap);

    const int panelTop = twipsToPixels(m.SSPanel1.top);
    SSPanel1->setGeometry(0, panelTop, w, std::max(0, std::min(twipsToPixels(kPanelHeight), bottom - panelTop)));
    const int reportTop = twipsToPixels(m.RichTextBox1Top);
    RichTextBox1->setGeometry(0, reportTop, w, std::max(0, bottom - reportTop));

    int x = w - gap - bw;
    for (QPushButton* b : {SSCommand3, SSCommand2, SSCommand1}) {
        b->setGeometry(x, buttonsTop, bw, bh);
        x -= gap + bw;
    }
}

QSize Dar::sizeHint() const
{
    return {twipsToPixels(kWidth), twipsToPixels(kHeight)};
}

void Dar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutControls();
}

void Dar::closeEvent(QCloseEvent* event)
{
    // The window is hidden, never unloaded: its report stays for the next time.
    event->ignore();
    m.SSCommand3_Click();
}

// ---------------------------------------------------------------- model to widgets

void Dar::refresh()
{
    auto showButton = [](QPushButton* b, const Button& model) {
        const QString caption = QString::fromStdString(model.caption);
        if (b->text() != caption) {
            b->setText(caption);
            b->setAccessibleName(caption);
        }
        b->setEnabled(model.enabled);
    };
    showButton(SSCommand1, m.SSCommand1);
    showButton(SSCommand2, m.SSCommand2);
    showButton(SSCommand3, m.SSCommand3);
    SSPanel1->setCaption(m.SSPanel1.caption);

    layoutControls();
    if (RichTextBox1->sync())
        RichTextBox1->scrollToEnd();  // new lines go in at the end, where the caret is

    QWidget* frame = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
    if (!m.visible && frame->isVisible())
        hideWindow(this);
}

void Dar::showFrame()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        sub->move(0, 0);
        sub->show();
        show();
        sub->raise();
        if (sub->mdiArea())
            sub->mdiArea()->setActiveSubWindow(sub);
    } else {
        move(0, 0);
        show();
        raise();
        activateWindow();
    }
}

void Dar::openFor(FrmdocModel& calculator, QObject* owner)
{
    disconnect(ownerGone);
    m.setCalculator(&calculator);
    if (owner) {
        FrmdocModel* calc = &calculator;
        ownerGone = connect(owner, &QObject::destroyed, this, [this, calc] {
            if (m.calculator() == calc)
                m.setCalculator(nullptr);
        });
    }
    m.open();
    showFrame();
    refresh();
}

void connectAddressRange(Frmdoc& calculator, std::function<Dar*()> show)
{
    Frmdoc* doc = &calculator;
    calculator.model().showAddressRange = [doc, show = std::move(show)] {
        if (Dar* dar = show ? show() : nullptr)
            dar->openFor(doc->model(), doc);
    };
}

}  // namespace mq::ui
