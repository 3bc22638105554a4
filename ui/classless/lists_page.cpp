#include "ui/classless/lists_page.h"

#include "sheets/sheet_records.h"
#include "textio/escape.h"
#include "ui/classless/lines_view.h"
#include "ui/classless/list_box.h"
#include "ui/platform/geometry.h"
#include "ui/platform/remembered.h"
#include "ui/platform/theme.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>

namespace mq::ui {

namespace {

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}
// A file name as messages quote it: any bytes a name may hold shown, none obeyed.
QString shownPath(const QString& path)
{
    return q(textio::escaped(path.toStdString(), textio::kQuotedPath));
}

}  // namespace

void ListsPage::buildOperationBar(QGridLayout* grid)
{
    auto* opLabel = new QLabel(QStringLiteral("&Operation:"), this);
    operation = new QComboBox(this);
    operation->setObjectName(QStringLiteral("Operation"));
    operation->setAccessibleName(QStringLiteral("Operation"));
    for (const classless::OperationInfo& o : classless::listOperations())
        operation->addItem(QString::fromUtf8(o.name), static_cast<int>(o.op));
    opLabel->setBuddy(operation);
    auto* blockLabel = new QLabel(QStringLiteral("Bloc&k:"), this);
    block = new QLineEdit(this);
    block->setObjectName(QStringLiteral("Block"));
    block->setAccessibleName(QStringLiteral("Block"));
    block->setPlaceholderText(QStringLiteral("10.0.0.0/16"));
    blockLabel->setBuddy(block);
    auto* bar = new QHBoxLayout;
    bar->addWidget(opLabel);
    bar->addWidget(operation, 1);
    bar->addWidget(blockLabel);
    bar->addWidget(block);
    grid->addLayout(bar, 0, 0, 1, 2);
}

void ListsPage::buildListColumns(QGridLayout* grid)
{
    auto list = [&](char name, const char* caption, const char* open, ListBox*& box, QPushButton*& button, int column) {
        auto* label = new QLabel(QString::fromUtf8(caption), this);
        box = new ListBox(name == 'A' ? "ListA" : "ListB", name == 'A' ? "List A" : "List B", this);
        label->setBuddy(box);
        button = new QPushButton(QString::fromUtf8(open), this);
        button->setObjectName(name == 'A' ? QStringLiteral("OpenA") : QStringLiteral("OpenB"));
        button->setAccessibleName(name == 'A' ? QStringLiteral("Open into A") : QStringLiteral("Open into B"));
        connect(button, &QPushButton::clicked, this, [this, name] { openList(name); });
        connect(box, &ListBox::edited, this, &ListsPage::listsEdited);
        connect(box, &ListBox::fileDropped, this, [this, name](const QString& path) { loadList(name, path); });
        connect(box, &ListBox::progress, this, [this, name](int percent) { filling(name, percent); });
        connect(box, &ListBox::filled, this, &ListsPage::filled);
        auto* head = new QHBoxLayout;
        head->addWidget(label, 1);
        head->addWidget(button);
        grid->addLayout(head, 1, column);
        grid->addWidget(box, 2, column);
    };
    list('A', "Lis&t A (one item a line):", "Op&en into A...", listA, openA, 0);
    list('B', "List &B:", "Open &into B...", listB, openB, 1);
    listsMessage = new QLabel(this);
    listsMessage->setObjectName(QStringLiteral("ListsMessage"));
    listsMessage->setWordWrap(true);
    listsMessage->setTextFormat(Qt::PlainText);  // a file name is no markup
    listsMessage->hide();
    grid->addWidget(listsMessage, 3, 0, 1, 2);
}

void ListsPage::buildResultRows(QGridLayout* grid)
{
    listsCounts = new QLabel(this);
    listsCounts->setObjectName(QStringLiteral("ListsCounts"));
    listsCounts->setTextInteractionFlags(Qt::TextSelectableByMouse);
    listsCounts->setWordWrap(true);
    listsCounts->setMinimumHeight(2 * listsCounts->fontMetrics().lineSpacing() + 4);  // two lines at most
    listsCopy = new QPushButton(QStringLiteral("Cop&y result"), this);
    listsCopy->setObjectName(QStringLiteral("CopyResult"));
    listsCopy->setAccessibleName(QStringLiteral("Copy result"));
    connect(listsCopy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(listsOutput->text()); });
    auto* foot = new QHBoxLayout;
    foot->addWidget(listsCounts, 1);
    foot->addWidget(listsCopy);
    grid->addLayout(foot, 4, 0, 1, 2);
    listsOutput = new LinesView("ListsOutput", "Result", this);
    grid->addWidget(listsOutput, 5, 0, 1, 2);
    listsErrors = new LinesView("ListsErrors", "Lines not read", this);
    listsErrors->setMaximumHeight(90);
    setAccentText(listsErrors, Accent::Warning);
    grid->addWidget(listsErrors, 6, 0, 1, 2);
    grid->setRowStretch(2, 3);
    grid->setRowStretch(5, 2);
}

ListsPage::ListsPage(QWidget* parent) : QWidget(parent)
{
    auto* grid = new QGridLayout(this);
    buildOperationBar(grid);
    buildListColumns(grid);
    buildResultRows(grid);

    listsPause.setSingleShot(true);
    listsPause.setInterval(kListPauseMs);
    connect(&listsPause, &QTimer::timeout, this, &ListsPage::listsStart);
    connect(operation, &QComboBox::currentIndexChanged, this, &ListsPage::operationChosen);
    connect(block, &QLineEdit::textChanged, this, &ListsPage::listsEdited);
    describeControls();
    operationChosen();
}

ListsPage::~ListsPage()
{
    if (loader) {  // closed while a file was being read
        loader->wait();
        delete loader;
    }
}

// What each control is for, as a screen reader says it after the name.
void ListsPage::describeControls()
{
    const std::pair<QWidget*, const char*> descriptions[] = {
        {operation, "What to work out from list A, or from lists A and B"},
        {block, "The block whose free space is worked out, list A being in use"},
        {listA, "Addresses, prefixes and ranges, one a line; # starts a comment"},
        {listB, "The second list, for the operations that take two"},
        {openA, "Loads a file into list A"},
        {openB, "Loads a file into list B"},
        {listsOutput, "The result: prefixes, or the pairs of items that overlap"},
        {listsCounts, "Items read, the result's size and the addresses it covers"},
        {listsErrors, "The lines that could not be read, with their list, line number and reason"},
        {listsCopy, "Copies the result to the clipboard"},
        {listsMessage, "Why a file could not be loaded, or how far a long list has got into its box"},
    };
    for (const auto& [widget, text] : descriptions)
        widget->setAccessibleDescription(QString::fromUtf8(text));
    listsCounts->setAccessibleName(QStringLiteral("Result counts"));
}

QList<QWidget*> ListsPage::focusOrder() const
{
    return {operation, block, openA, listA, openB, listB, listsCopy, listsOutput, listsErrors};
}

// B and the block take part only in the operations that use them.
void ListsPage::operationChosen()
{
    const auto op = static_cast<classless::ListOperation>(operation->currentData().toInt());
    const classless::OperationInfo& info = classless::operationInfo(op);
    listsModel.request.op = op;
    listB->setEnabled(info.usesB);
    enableOpen();
    block->setEnabled(info.needsBlock);
    listsEdited();
}

// Something changed: what was under way is dropped, and the lists are worked out
// again once typing pauses; the last result stays on show meanwhile.
void ListsPage::listsEdited()
{
    if (!listsCounts)
        return;  // still being built
    listsWork.cancel();
    listsPause.start();
    listsCounts->setText(q(listsModel.countsText()) + QStringLiteral(" (working out the changed lists…)"));
}

void ListsPage::listsStart()
{
    listsPause.stop();
    const auto op = static_cast<classless::ListOperation>(operation->currentData().toInt());
    const QString a = listA->text();
    const QString b = classless::operationInfo(op).usesB ? listB->text() : QString();
    const QString blockText = block->text();
    listsWork.start([this, op, a = QString(a), b = QString(b),
                     blockText](const std::atomic<bool>& cancel) mutable -> std::function<void()> {
        classless::ListsRequest request{op, a.toStdString(), b.toStdString(), blockText.toStdString()};
        // Let go of the shared texts at once: while held here, the next edit copies them whole.
        a = b = QString();
        auto result = std::make_shared<classless::ListsResult>(classless::workOut(request, &cancel));
        return [this, result] {
            listsModel.setResult(std::move(*result));
            refreshLists();
            emit listsShown();
        };
    });
}

void ListsPage::refreshLists()
{
    listsOutput->setLines(&listsModel.result.lines);
    listsErrorLines = listsModel.errors();
    listsErrors->setLines(&listsErrorLines);
    listsCounts->setText(q(listsModel.countsText()));
    listsCounts->setAccessibleName(listsCounts->text());
}

void ListsPage::showMessage(const QString& text, bool problem)
{
    if (problem)
        setAccentText(listsMessage, Accent::Warning);
    else
        clearAccentText(listsMessage);
    listsMessage->setText(text);
    listsMessage->setAccessibleName(text);
    listsMessage->setVisible(!text.isEmpty());
}

// Open waits for no file read and no list filling.
void ListsPage::enableOpen()
{
    const bool idle = !loader && !listA->filling() && !listB->filling();
    openA->setEnabled(idle);
    openB->setEnabled(idle && classless::operationInfo(listsModel.request.op).usesB);
}

namespace {
const QString kListKind = QStringLiteral("list");
}

// The file is read on a thread of its own and made plain there; its text then goes
// into the box a slice at a time while the worker works the list out.
void ListsPage::openList(char list)
{
    if (loader)
        return;
    QString path;
    if (openChooser)
        path = openChooser(list);
    else
        path = QFileDialog::getOpenFileName(this, QStringLiteral("Open into list %1").arg(QLatin1Char(list)),
                                            rememberedFolder(kListKind));
    rememberFolderOf(kListKind, path);
    loadList(list, path);
}

void ListsPage::loadList(char list, const QString& path)
{
    if (loader || path.isEmpty())
        return;
    auto error = std::make_shared<std::string>();
    auto text = std::make_shared<QString>();
    loader = QThread::create([error, text, file = path.toStdString()] {
        // A workbook gives its first sheet, a row a line, bounded as a list file is.
        const auto bytes = sheets::isWorkbook(file) ? sheets::sheetText(file, classless::kMaxListFileBytes, error.get())
                                                    : classless::readListFile(file, error.get());
        if (bytes)
            *text = boxPlainText(QString::fromUtf8(bytes->data(), static_cast<qsizetype>(bytes->size())));
    });
    connect(loader, &QThread::finished, this, [this, list, error, text, path] {
        loader->deleteLater();
        loader = nullptr;
        listRead(list, *text, *error, path);
    });
    loading = list;
    enableOpen();
    showMessage(QStringLiteral("Opening %1…").arg(shownPath(path)), false);
    loader->start();
}

void ListsPage::listRead(char list, const QString& text, const std::string& error, const QString& path)
{
    if (!error.empty()) {
        loading = 0;
        enableOpen();
        showMessage(QStringLiteral("Could not open %1: %2").arg(shownPath(path), q(error)), true);
        emit listLoaded();
        return;
    }
    (list == 'A' ? listA : listB)->load(text);
    listsStart();  // at once, from the text read: the box fills meanwhile
}

void ListsPage::filling(char list, int percent)
{
    if (percent < 100)
        showMessage(QStringLiteral("Putting list %1 into its box: %2%…").arg(QLatin1Char(list)).arg(percent), false);
}

void ListsPage::filled()
{
    if (listA->filling() || listB->filling())
        return;
    showMessage(QString(), false);
    enableOpen();
    if (loading) {
        loading = 0;
        emit listLoaded();
    }
}

QString ListsPage::listText(char list) const
{
    return (list == 'A' ? listA : listB)->text();
}

}  // namespace mq::ui
