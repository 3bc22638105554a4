#include "ui/clist/clist.h"

#include "ui/platform/flex_grid.h"
#include "ui/platform/geometry.h"
#include "ui/platform/panel3d.h"
#include "ui/platform/qt_services.h"
#include "ui/platform/theme.h"

#include <QLabel>
#include <QLineEdit>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace mq::ui {

void WrapButton::paintEvent(QPaintEvent*)
{
    QStylePainter p(this);
    QStyleOptionButton opt;
    initStyleOption(&opt);
    const QString caption = opt.text;
    opt.text.clear();
    p.drawControl(QStyle::CE_PushButton, opt);
    QRect r = style()->subElementRect(QStyle::SE_PushButtonContents, &opt, this);
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    p.drawText(r, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, caption);
}

void Clist::buildListButtons()
{
    for (int i = 0; i < 3; ++i) {
        auto* b = new WrapButton(this);
        b->setObjectName(QStringLiteral("SSCommand1(%1)").arg(i));
        b->setGeometry(twipsRect(120 + 2580 * i, 120, 2520, 600));
        connect(b, &QPushButton::clicked, this, [this, i] {
            m->SSCommand1_Click(i);
            refresh();
        });
        SSCommand1[static_cast<std::size_t>(i)] = b;
    }

    MSFlexGrid1 = new FlexGrid(1, this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setGeometry(twipsRect(120, 840, 7680, 3840));
    MSFlexGrid1->setAccessibleName(QStringLiteral("List"));
    MSFlexGrid1->setAccessibleDescription(QStringLiteral("The entries of the chosen list, one a row"));
    // Tab leaves the grid for the search box; the arrow keys move between cells.
    MSFlexGrid1->setTabKeyNavigation(false);
}

void Clist::buildSearchRow()
{
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twipsRect(1920, 4860, 3000, 330));
    Text1->setAccessibleName(QStringLiteral("Search text"));
    Text1->setAccessibleDescription(QStringLiteral("The exact entry to look for in the chosen list"));
    auto* searchLabel = new QLabel(QStringLiteral("Search &text:"), this);
    searchLabel->setGeometry(twipsRect(120, 4890, 1740, 285));
    searchLabel->setBuddy(Text1);

    SSCommand2 = new QPushButton(this);
    SSCommand2->setObjectName(QStringLiteral("SSCommand2"));
    SSCommand2->setGeometry(twipsRect(5040, 4830, 1500, 390));
    SSCommand2->setAccessibleDescription(QStringLiteral("Looks the search text up in the chosen list"));
    auto runSearch = [this] {
        m->SSCommand2_Click();
        refresh();
    };
    connect(Text1, &QLineEdit::textChanged, this, [this](const QString& t) { m->Text1.text = t.toStdString(); });
    connect(SSCommand2, &QPushButton::clicked, this, runSearch);
    connect(Text1, &QLineEdit::returnPressed, this, runSearch);
}

void Clist::buildFoundPanels()
{
    const int panelLeft[2] = {120, 3540};
    const int panelWidth[2] = {3300, 4260};
    for (int i = 0; i < 2; ++i) {
        auto* p = new Panel3D(Panel3D::Bevel::Inset, this);
        p->setObjectName(QStringLiteral("SSPanel1(%1)").arg(i));
        p->setGeometry(twipsRect(panelLeft[i], 5400, panelWidth[i], 420));
        p->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        p->setIndent(twipsToPixels(90));
        p->setAccessibleName(i == 0 ? QStringLiteral("Found key") : QStringLiteral("Found description"));
        p->setAccessibleDescription(i == 0 ? QStringLiteral("The entry the search found")
                                           : QStringLiteral("What the found entry stands for"));
        p->setTextInteractionFlags(Qt::TextSelectableByMouse);
        SSPanel1[static_cast<std::size_t>(i)] = p;
    }

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twipsRect(120, 5940, 7680, 600));
    Label1->setWordWrap(true);
}

Clist::Clist(QWidget* parent, Services* services) : QWidget(parent)
{
    if (!services) {
        ownServices = std::make_unique<QtServices>(this);
        services = ownServices.get();
    }
    m = std::make_unique<ClistModel>(*services);

    setObjectName(QStringLiteral("clist"));
    keepClassicColours(this);
    setWindowTitle(QStringLiteral("Common Lists"));
    setFont(uiFont());
    setFixedSize(twipsToPixels(7920), twipsToPixels(6720));

    buildListButtons();
    buildSearchRow();
    buildFoundPanels();

    setTabOrder(SSCommand1[0], SSCommand1[1]);
    setTabOrder(SSCommand1[1], SSCommand1[2]);
    setTabOrder(SSCommand1[2], MSFlexGrid1);
    setTabOrder(MSFlexGrid1, Text1);
    setTabOrder(Text1, SSCommand2);

    m->Form_Load();
    refresh();
}

Clist::~Clist() = default;

void Clist::refresh()
{
    for (std::size_t i = 0; i < 3; ++i) {
        SSCommand1[i]->setText(QString::fromStdString(m->SSCommand1[i].caption));
        SSCommand1[i]->setAccessibleName(SSCommand1[i]->text());
        SSCommand1[i]->setAccessibleDescription(QStringLiteral("Shows this list in the grid"));
        SSCommand1[i]->setEnabled(m->SSCommand1[i].enabled);
    }
    SSCommand2->setText(QString::fromStdString(m->SSCommand2.caption));
    SSCommand2->setAccessibleName(SSCommand2->text());
    if (Text1->text().toStdString() != m->Text1.text)
        Text1->setText(QString::fromStdString(m->Text1.text));
    MSFlexGrid1->showGrid(m->MSFlexGrid1);
    for (std::size_t i = 0; i < 2; ++i)
        SSPanel1[i]->setCaption(m->SSPanel1[i].caption);
    Label1->setText(QString::fromStdString(m->Label1));
}

}  // namespace mq::ui
