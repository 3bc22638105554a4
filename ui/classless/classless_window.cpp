#include "ui/classless/classless_window.h"

#include "ui/classless/lists_page.h"
#include "ui/classless/subnet_table.h"
#include "ui/help/help_window.h"
#include "ui/platform/geometry.h"
#include "ui/platform/theme.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

namespace mq::ui {

using classless::BitKind;
using classless::FieldId;

namespace {

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

// A read-only field: selectable, copyable, and its value is what a screen reader reads.
QLineEdit* resultBox(const char* name, const char* label, QWidget* parent)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromUtf8(name));
    e->setAccessibleName(QString::fromUtf8(label));
    e->setAccessibleDescription(QStringLiteral("Result, read-only: select it or press Ctrl+C to copy it"));
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::StrongFocus);
    return e;
}

}  // namespace

QString bitsPlain(const std::vector<classless::BitLine>& lines)
{
    QStringList out;
    for (const auto& line : lines) {
        QString s;
        for (const auto& run : line)
            s += q(run.text);
        out << s;
    }
    return out.join(QLatin1Char('\n'));
}

QString bitsHtml(const std::vector<classless::BitLine>& lines, const QPalette& p)
{
    const QString red = accent(Accent::NetworkBits, p).name(), olive = accent(Accent::HostBits, p).name();
    QStringList out;
    for (const auto& line : lines) {
        QString s;
        for (const auto& run : line) {
            if (run.kind == BitKind::Gap)
                s += q(run.text);
            else
                s += QStringLiteral("<span style=\"color:%1\">%2</span>")
                         .arg(run.kind == BitKind::Network ? red : olive, q(run.text));
        }
        out << s;
    }
    return QStringLiteral("<span style=\"font-family:monospace\">%1</span>").arg(out.join(QStringLiteral("<br>")));
}

ClasslessWindow::ClasslessWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QString::fromUtf8(kClasslessWindowName));
    setWindowTitle(QStringLiteral("Classless Calculator"));
    setAccessibleName(QStringLiteral("Classless Calculator"));
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("Panes"));
    splitter->addWidget(buildResults());
    tabs = new QTabWidget(splitter);
    tabs->setObjectName(QStringLiteral("Tools"));
    tabs->setAccessibleName(QStringLiteral("Split or lists"));
    tabs->tabBar()->setAccessibleName(QStringLiteral("Split or lists"));
    tabs->tabBar()->setFocusPolicy(Qt::StrongFocus);  // Tab stops on the page titles
    tabs->addTab(buildListing(), QStringLiteral("Split into /&N"));
    listsPage = new ListsPage(tabs);
    connect(listsPage, &ListsPage::listsShown, this, &ClasslessWindow::listsShown);
    connect(listsPage, &ListsPage::listLoaded, this, &ClasslessWindow::listLoaded);
    tabs->addTab(listsPage, QStringLiteral("&Lists"));
    splitter->addWidget(tabs);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter);
    // Ctrl+PageDown and Ctrl+PageUp turn the pages from anywhere in the window.
    for (const auto& [key, step] : {std::pair{QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
                                    std::pair{QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}}) {
        auto* sc = new QShortcut(key, this);
        sc->setContext(Qt::WidgetWithChildrenShortcut);
        connect(sc, &QShortcut::activated, this, [this, step = step] {
            tabs->setCurrentIndex((tabs->currentIndex() + step + tabs->count()) % tabs->count());
            tabs->tabBar()->setFocus(Qt::ShortcutFocusReason);
        });
    }

    // Tab order: the box, the prefix controls, the results, then the listing and the summarizer.
    QList<QWidget*>& order = tabOrder;
    order = {input, prefixSpin, prefixSlider, mask};
    for (auto& [label, box] : fieldWidgets)
        order << box;
    order << addressBinary << maskBinary << tabs->tabBar() << splitLength << splitButton << jumpTo << jumpButton
          << listingTable << listsPage->focusOrder();
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    describeControls();
    sizeForIPv6();
    recallState();
    refresh();
    input->setFocus();
}

// Opens wide enough for the longest IPv6 result beside the pages.
void ClasslessWindow::sizeForIPv6()
{
    const QLineEdit* sample = fieldWidgets.front().second;
    const QFontMetrics fm(sample->font());
    int caption = 0;
    for (auto& [label, box] : fieldWidgets)
        caption = std::max(caption, label->fontMetrics().horizontalAdvance(label->text()));
    // The reverse pointer of an IPv6 address: 32 nibbles, dotted, and ip6.arpa.
    QString longest;
    for (int i = 0; i < 32; ++i)
        longest += QStringLiteral("8.");  // digits are the widest nibbles
    longest += QStringLiteral("ip6.arpa");
    const int field = fm.horizontalAdvance(longest) + 16;  // the line edit's frame and margins
    const int pane = caption + field + 48;  // the grid's margins, spacing and scroll bar
    resultsArea->setMinimumWidth(std::min(pane, 760));
    auto* splitter = findChild<QSplitter*>(QStringLiteral("Panes"));
    const int tools = 520;
    splitter->setSizes({pane, tools});
    openingSize = QSize(pane + tools + 16, 660);
    resize(openingSize);
}

// What each control is for, as a screen reader says it after the name.
void ClasslessWindow::describeControls()
{
    const std::pair<QWidget*, const char*> descriptions[] = {
        {prefixSpin, "The prefix length; changes the typed prefix"},
        {prefixSlider, "The prefix length; changes the typed prefix"},
        {mask, "The mask of the prefix length; changes the typed prefix"},
        {splitLength, "The longer prefix length to split the prefix into; Enter splits"},
        {splitButton, "Lists the subnets of the prefix at the longer length"},
        {jumpTo, "A row number or an address of the listing; Enter jumps to it"},
        {jumpButton, "Jumps to the row number or the address typed"},
        {listingCount, "How many subnets the listing holds"},
        {tabs, "The pages: Ctrl+PageDown and Ctrl+PageUp turn them"},
        {findChild<QWidget*>(QStringLiteral("Results")), "The facts of the prefix"},
    };
    for (const auto& [widget, text] : descriptions)
        if (widget)
            widget->setAccessibleDescription(QString::fromUtf8(text));
    findChild<QWidget*>(QStringLiteral("Results"))->setAccessibleName(QStringLiteral("Results"));
    for (QWidget* b : tabs->tabBar()->findChildren<QToolButton*>())
        b->setAccessibleDescription(QStringLiteral("Shows the tabs hidden on this side"));
}

int ClasslessWindow::buildInputRows(QWidget* page, QGridLayout* grid, int row)
{
    auto* inputLabel = new QLabel(QStringLiteral("&Address or prefix:"), page);
    input = new QLineEdit(page);
    input->setObjectName(QStringLiteral("Input"));
    input->setAccessibleName(QStringLiteral("Address or prefix"));
    input->setAccessibleDescription(
        QStringLiteral("An IPv4 or IPv6 address, prefix, address and mask, or range first - last"));
    input->setPlaceholderText(QStringLiteral("10.1.2.3/22, 2001:db8::1/64, 10.0.0.1 - 10.0.0.9"));
    inputLabel->setBuddy(input);
    connect(input, &QLineEdit::textEdited, this, &ClasslessWindow::inputEdited);
    connect(input, &QLineEdit::returnPressed, this, [this] {
        if (!splitLength->text().trimmed().isEmpty())
            split();
    });
    grid->addWidget(inputLabel, row, 0);
    grid->addWidget(input, row++, 1, 1, 3);

    error = new QLabel(page);
    error->setObjectName(QStringLiteral("Error"));
    error->setAccessibleName(QStringLiteral("Input problem"));
    error->setWordWrap(true);
    error->setTextInteractionFlags(Qt::TextSelectableByMouse);
    setAccentText(error, Accent::Warning);
    grid->addWidget(error, row++, 1, 1, 3);
    notice = new QLabel(page);
    notice->setObjectName(QStringLiteral("Notice"));
    notice->setWordWrap(true);
    grid->addWidget(notice, row++, 1, 1, 3);
    return row;
}

int ClasslessWindow::buildPrefixRows(QWidget* page, QGridLayout* grid, int row)
{
    auto* prefixLabel = new QLabel(QStringLiteral("&Prefix length:"), page);
    prefixSpin = new QSpinBox(page);
    prefixSpin->setObjectName(QStringLiteral("PrefixSpin"));
    prefixSpin->setAccessibleName(QStringLiteral("Prefix length"));
    prefixLabel->setBuddy(prefixSpin);
    prefixSlider = new QSlider(Qt::Horizontal, page);
    prefixSlider->setObjectName(QStringLiteral("PrefixSlider"));
    prefixSlider->setAccessibleName(QStringLiteral("Prefix length slider"));
    prefixSlider->setFocusPolicy(Qt::StrongFocus);
    mask = new QComboBox(page);
    mask->setObjectName(QStringLiteral("Mask"));
    mask->setAccessibleName(QStringLiteral("Mask"));
    connect(prefixSpin, &QSpinBox::valueChanged, this, &ClasslessWindow::prefixChosen);
    connect(prefixSlider, &QSlider::valueChanged, this, &ClasslessWindow::prefixChosen);
    connect(mask, &QComboBox::activated, this, [this](int index) {
        formModel.chooseMask(index);
        followResults();
        refresh();
    });
    grid->addWidget(prefixLabel, row, 0);
    grid->addWidget(prefixSpin, row, 1);
    grid->addWidget(prefixSlider, row++, 2, 1, 2);
    auto* maskLabel = new QLabel(QStringLiteral("&Mask:"), page);
    maskLabel->setBuddy(mask);
    grid->addWidget(maskLabel, row, 0);
    grid->addWidget(mask, row++, 1, 1, 3);
    return row;
}

int ClasslessWindow::buildFieldRows(QWidget* page, QGridLayout* grid, int row)
{
    for (const classless::Field& f : formModel.fields) {
        auto* label = new QLabel(QString::fromUtf8(f.label) + QLatin1Char(':'), page);
        QLineEdit* box = resultBox(f.name, f.label, page);
        box->installEventFilter(this);
        label->setBuddy(box);
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row++, 1, 1, 3);
        fieldWidgets.emplace_back(label, box);
    }
    auto* badgeLabel = new QLabel(QStringLiteral("Registry:"), page);
    badgeLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    badgeLayout = new QVBoxLayout;
    badgeLayout->setSpacing(2);
    grid->addWidget(badgeLabel, row, 0);
    resultsOnly << badgeLabel;
    grid->addLayout(badgeLayout, row++, 1, 1, 3);
    return row;
}

int ClasslessWindow::buildBinaryRows(QWidget* page, QGridLayout* grid, int row)
{
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(uiFont().pointSizeF());
    auto binary = [&](const char* name, const char* label) {
        auto* l = new QLabel(page);
        l->setObjectName(QString::fromUtf8(name));
        l->setAccessibleName(QString::fromUtf8(label));
        l->setTextFormat(Qt::RichText);
        l->setFont(fixed);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        l->setFocusPolicy(Qt::StrongFocus);
        l->installEventFilter(this);
        auto* caption = new QLabel(QString::fromUtf8(label) + QLatin1Char(':'), page);
        caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        grid->addWidget(caption, row, 0);
        grid->addWidget(l, row++, 1, 1, 3);
        resultsOnly << caption << l;
        return l;
    };
    addressBinary = binary("AddressBinary", "Address in binary");
    maskBinary = binary("MaskBinary", "Mask in binary");
    legend = new QLabel(page);  // coloured with the bits, from the palette
    legend->setObjectName(QStringLiteral("BitsLegend"));
    grid->addWidget(legend, row++, 1, 1, 3);
    resultsOnly << legend;
    return row;
}

QWidget* ClasslessWindow::buildResults()
{
    auto* scroll = new QScrollArea;
    resultsArea = scroll;
    scroll->setObjectName(QStringLiteral("Results"));
    scroll->setWidgetResizable(true);
    // The fields narrow with the pane: it never scrolls sideways, so captions stay in view.
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFocusPolicy(Qt::NoFocus);  // the fields inside take the focus
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    int row = buildInputRows(page, grid, 0);
    row = buildPrefixRows(page, grid, row);
    row = buildFieldRows(page, grid, row);
    row = buildBinaryRows(page, grid, row);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(2, 1);
    scroll->setWidget(page);
    return scroll;
}

QWidget* ClasslessWindow::buildListing()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* bar = new QHBoxLayout;
    auto* splitLabel = new QLabel(QStringLiteral("Split into &/"), page);
    splitLength = new QLineEdit(page);
    splitLength->setObjectName(QStringLiteral("SplitLength"));
    splitLength->setAccessibleName(QStringLiteral("Split into prefix length"));
    splitLength->setMaximumWidth(60);
    splitLabel->setBuddy(splitLength);
    splitButton = new QPushButton(QStringLiteral("&Split"), page);
    splitButton->setObjectName(QStringLiteral("Split"));
    splitButton->setAccessibleName(QStringLiteral("Split"));
    splitButton->setAutoDefault(true);
    auto* jumpLabel = new QLabel(QStringLiteral("&Jump to:"), page);
    jumpTo = new QLineEdit(page);
    jumpTo->setObjectName(QStringLiteral("JumpTo"));
    jumpTo->setAccessibleName(QStringLiteral("Jump to row number or address"));
    jumpTo->setPlaceholderText(QStringLiteral("row or address"));
    jumpLabel->setBuddy(jumpTo);
    jumpButton = new QPushButton(QStringLiteral("&Go"), page);
    jumpButton->setObjectName(QStringLiteral("Go"));
    jumpButton->setAccessibleName(QStringLiteral("Go to row"));
    jumpButton->setAutoDefault(true);
    connect(splitLength, &QLineEdit::returnPressed, this, &ClasslessWindow::split);
    connect(splitButton, &QPushButton::clicked, this, &ClasslessWindow::split);
    connect(jumpTo, &QLineEdit::returnPressed, this, &ClasslessWindow::jump);
    connect(jumpButton, &QPushButton::clicked, this, &ClasslessWindow::jump);
    bar->addWidget(splitLabel);
    bar->addWidget(splitLength);
    bar->addWidget(splitButton);
    bar->addSpacing(12);
    bar->addWidget(jumpLabel);
    bar->addWidget(jumpTo, 1);
    bar->addWidget(jumpButton);
    layout->addLayout(bar);
    listingCount = new QLabel(page);
    listingCount->setObjectName(QStringLiteral("ListingCount"));
    listingCount->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(listingCount);
    listingMessage = new QLabel(page);
    listingMessage->setObjectName(QStringLiteral("ListingMessage"));
    listingMessage->setWordWrap(true);
    setAccentText(listingMessage, Accent::Warning);
    layout->addWidget(listingMessage);
    listingTable = new SubnetTable(listingModel, page);
    listingTable->onMessage = [this] { refreshListing(); };
    layout->addWidget(listingTable, 1);
    return page;
}

ClasslessWindow::~ClasslessWindow() = default;

bool ClasslessWindow::onListsPage() const
{
    return tabs->currentIndex() == 1;
}

// ---------------------------------------------------------------- events

void ClasslessWindow::inputEdited(const QString& text)
{
    formModel.setInput(text.toStdString());
    followResults();
    refresh();
}

void ClasslessWindow::prefixChosen(int length)
{
    if (refreshing)
        return;
    formModel.setPrefix(length);
    followResults();
    refresh();
}

void ClasslessWindow::followResults()
{
    if (listingModel.shown())
        listedLength = listingModel.newLength();
    listingModel.setParent(formModel.hasResults() ? std::optional(formModel.resultPrefix()) : std::nullopt);
    // An emptied box hides the listing, not the length chosen for it: the next
    // prefix typed is listed at that length where it fits.
    if (!listedLength || listingModel.shown() || !formModel.hasResults())
        return;
    const net::Prefix parent = formModel.resultPrefix();
    if (*listedLength < parent.length || *listedLength > parent.address.bits())
        return;
    listingModel.splitText = std::to_string(*listedLength);
    listingModel.split();
}

void ClasslessWindow::split()
{
    listingModel.splitText = splitLength->text().toStdString();
    if (listingModel.split())
        listingTable->setFocus();
    listingTable->refresh();
    refreshListing();
}

void ClasslessWindow::jump()
{
    listingModel.jump(jumpTo->text().toStdString());
    listingTable->refresh();
    refreshListing();
}

bool ClasslessWindow::event(QEvent* e)
{
    // F1 opens this window's own help section, not the contents the program-wide key opens.
    if (e->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F1) {
        e->accept();
        return true;
    }
    if (e->type() == QEvent::PaletteChange && legend)  // the desktop's palette changed
        refresh();
    return QWidget::event(e);
}

void ClasslessWindow::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_F1) {
        HelpWindow::showHelp(window(), QString::fromUtf8(kClasslessHelpSection));
        return;
    }
    QWidget::keyPressEvent(e);
}

bool ClasslessWindow::focusNextPrevChild(bool next)
{
    // Round the whole window in its order, past the controls not on show: the
    // focus chain alone went from a page's last control to the page titles.
    QWidget* at = QApplication::focusWidget();
    qsizetype i = -1;
    for (QWidget* w = at; w && w != this && i < 0; w = w->parentWidget())
        i = tabOrder.indexOf(w);
    if (i < 0)
        return QWidget::focusNextPrevChild(next);
    const qsizetype n = tabOrder.size();
    for (qsizetype step = 1; step < n; ++step) {
        QWidget* w = tabOrder[(i + (next ? step : n - step)) % n];
        if (w->isVisibleTo(this) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return true;
}

bool ClasslessWindow::eventFilter(QObject* watched, QEvent* e)
{
    // Ctrl+C in a result copies its whole value when nothing in it is selected.
    if (e->type() == QEvent::ShortcutOverride || e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->matches(QKeySequence::Copy)) {
            QString value;
            if (auto* box = qobject_cast<QLineEdit*>(watched))
                value = box->hasSelectedText() ? box->selectedText() : box->text();
            else if (auto* label = qobject_cast<QLabel*>(watched))
                value = label->hasSelectedText() ? label->selectedText() : label->accessibleDescription();
            if (e->type() == QEvent::KeyPress && !value.isEmpty())
                QApplication::clipboard()->setText(value);
            e->accept();
            return e->type() == QEvent::KeyPress;
        }
    }
    return QWidget::eventFilter(watched, e);
}

// ---------------------------------------------------------------- refresh

void ClasslessWindow::refresh()
{
    refreshing = true;
    if (input->text().toStdString() != formModel.input)
        input->setText(q(formModel.input));
    error->setText(q(formModel.error));
    error->setAccessibleDescription(formModel.error.empty() ? QStringLiteral("Says why the typed text cannot be read")
                                                            : error->text());
    error->setVisible(!formModel.error.empty());
    notice->setText(q(formModel.notice));
    notice->setAccessibleName(notice->text());
    notice->setVisible(!formModel.notice.empty());
    prefixSpin->setRange(0, formModel.prefixMaximum);
    prefixSlider->setRange(0, formModel.prefixMaximum);
    prefixSpin->setValue(formModel.prefix);
    prefixSlider->setValue(formModel.prefix);
    if (mask->count() != static_cast<int>(formModel.maskList.size()) ||
        mask->itemText(mask->count() - 1).toStdString() != formModel.maskList.back()) {
        mask->clear();
        for (const std::string& m : formModel.maskList)
            mask->addItem(q(m));
    }
    mask->setCurrentIndex(formModel.maskIndex);
    for (std::size_t i = 0; i < fieldWidgets.size(); ++i) {
        const classless::Field& f = formModel.fields[i];
        auto [label, box] = fieldWidgets[i];
        box->setText(q(f.value));
        box->setCursorPosition(0);
        label->setVisible(f.shown);
        box->setVisible(f.shown);
    }
    refreshBadges();
    for (QWidget* wgt : resultsOnly)
        wgt->setVisible(formModel.hasResults());
    addressBinary->setText(bitsHtml(formModel.addressBits, palette()));
    addressBinary->setAccessibleDescription(formModel.addressBits.empty()
                                                ? QStringLiteral("The address in binary: network bits, then host bits")
                                                : bitsPlain(formModel.addressBits));
    maskBinary->setText(bitsHtml(formModel.maskBits, palette()));
    legend->setText(
        QStringLiteral("<span style=\"color:%1\">network bits</span>, "
                       "<span style=\"color:%2\">host bits</span>")
            .arg(accent(Accent::NetworkBits, palette()).name(), accent(Accent::HostBits, palette()).name()));
    maskBinary->setAccessibleDescription(formModel.maskBits.empty()
                                             ? QStringLiteral("The mask in binary: network bits, then host bits")
                                             : bitsPlain(formModel.maskBits));
    refreshing = false;
    listingTable->refresh();
    refreshListing();
}

void ClasslessWindow::refreshBadges()
{
    while (QLayoutItem* item = badgeLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    int n = 0;
    for (const std::string& b : formModel.badges) {
        auto* l = new QLabel(q(b));
        l->setObjectName(QStringLiteral("Badge%1").arg(n++));
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        const BadgeColours c = badgeColours(palette());
        l->setStyleSheet(QStringLiteral("QLabel { color: %1; background: %2; border: 1px solid %3;"
                                        " border-radius: 6px; padding: 1px 6px; }")
                             .arg(c.text.name(), c.back.name(), c.border.name()));
        badgeLayout->addWidget(l);
        l->show();
    }
    if (formModel.badges.empty() && formModel.hasResults()) {
        auto* l = new QLabel(QStringLiteral("no special-purpose entry"));
        l->setObjectName(QStringLiteral("Badge0"));
        badgeLayout->addWidget(l);
        l->show();
    }
}

void ClasslessWindow::refreshListing()
{
    listingMessage->setText(q(listingModel.message));
    listingMessage->setAccessibleDescription(listingMessage->text());
    listingMessage->setVisible(!listingModel.message.empty());
    if (listingModel.shown())
        listingCount->setText(
            QStringLiteral("%1 %2 /%3 of %4")
                .arg(q(net::toDecimal(listingModel.rowCount())),
                     listingModel.rowCount() == net::Count{1} ? QStringLiteral("subnet") : QStringLiteral("subnets"))
                .arg(listingModel.newLength())
                .arg(q(net::formatNetwork(formModel.resultPrefix()))));
    else
        listingCount->setText(QStringLiteral("No listing: type a prefix, then a longer length, and press Split."));
    listingCount->setAccessibleName(listingCount->text());
}

// ---------------------------------------------------------------- reports

void ClasslessWindow::saveReport(Services& services, ReportOutput& output)
{
    if (onListsPage())
        classless::saveLists(listsPage->model(), services, output, csv);
    else
        classless::saveResults(formModel, listingModel, services, output, csv);
}

void ClasslessWindow::printReport(Services& services, ReportOutput& output)
{
    if (onListsPage())
        classless::printLists(listsPage->model(), services, output);
    else
        classless::printResults(formModel, listingModel, services, output);
}

}  // namespace mq::ui
