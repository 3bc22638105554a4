#include "ui/help/help_window.h"

#include "ui/platform/theme.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace mq::ui {

QStringList helpSearchPaths()
{
    const QString app = QCoreApplication::applicationDirPath();
    QStringList folders{app + QStringLiteral("/help"), app + QStringLiteral("/../share/maskquill/help"),
                        app + QStringLiteral("/share/maskquill/help")};
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << data + QStringLiteral("/maskquill/help");
    for (QString& f : folders)
        f = QDir::cleanPath(f);
    folders.removeDuplicates();
    return folders;
}

QString findHelpDocument(const QStringList& folders)
{
    for (const QString& folder : folders) {
        const QFileInfo file(QDir(folder).filePath(QString::fromLatin1(kHelpFileName)));
        if (file.isFile() && file.isReadable())
            return file.absoluteFilePath();
    }
    return {};
}

HelpWindow::HelpWindow(QWidget* parent, QStringList folders)
    : QWidget(parent, Qt::Window), searchFolders(std::move(folders))
{
    setObjectName(QStringLiteral("help"));
    // The help document brings its own colours for a white page, as the classic windows do.
    keepClassicColours(this);
    setWindowTitle(QStringLiteral("Maskquill Help"));
    resize(760, 600);

    contentsButton = new QPushButton(QStringLiteral("&Contents"), this);
    backButton = new QPushButton(QStringLiteral("&Back"), this);
    forwardButton = new QPushButton(QStringLiteral("&Forward"), this);
    contentsButton->setObjectName(QStringLiteral("contents"));
    backButton->setObjectName(QStringLiteral("back"));
    forwardButton->setObjectName(QStringLiteral("forward"));
    contentsButton->setAccessibleName(QStringLiteral("Contents"));
    backButton->setAccessibleName(QStringLiteral("Back"));
    forwardButton->setAccessibleName(QStringLiteral("Forward"));
    contentsButton->setAccessibleDescription(QStringLiteral("Shows the help from its contents"));
    backButton->setAccessibleDescription(QStringLiteral("Goes back to the page shown before"));
    forwardButton->setAccessibleDescription(QStringLiteral("Goes forward again to the next page"));
    backButton->setEnabled(false);
    forwardButton->setEnabled(false);

    view = new QTextBrowser(this);
    view->setObjectName(QStringLiteral("browser"));
    view->setOpenExternalLinks(true);
    view->setAccessibleName(QStringLiteral("Help"));
    view->setAccessibleDescription(QStringLiteral("The help document; links open its topics"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contentsButton);
    buttons->addWidget(backButton);
    buttons->addWidget(forwardButton);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(view, 1);

    connect(contentsButton, &QPushButton::clicked, this, &HelpWindow::showContents);
    connect(backButton, &QPushButton::clicked, view, &QTextBrowser::backward);
    connect(forwardButton, &QPushButton::clicked, view, &QTextBrowser::forward);
    connect(view, &QTextBrowser::backwardAvailable, backButton, &QPushButton::setEnabled);
    connect(view, &QTextBrowser::forwardAvailable, forwardButton, &QPushButton::setEnabled);
}

bool HelpWindow::showContents()
{
    // Look again each time: the document may have been installed or removed meanwhile.
    document = findHelpDocument(searchFolders);
    if (document.isEmpty()) {
        showMissing();
        return false;
    }
    const QUrl url = QUrl::fromLocalFile(document);
    if (view->source() != url)
        view->setSource(url);
    // The contents open the document, so show it from its top.
    view->verticalScrollBar()->setValue(0);
    return true;
}

void HelpWindow::showMissing()
{
    QString places;
    for (const QString& folder : searchFolders)
        places += QStringLiteral("<li>%1</li>").arg(QDir::toNativeSeparators(folder).toHtmlEscaped());
    view->clearHistory();
    view->setHtml(QStringLiteral("<h2>Help is not available</h2>"
                                 "<p>The help document <b>%1</b> could not be found. Maskquill looked for it "
                                 "in these folders:</p><ul>%2</ul>"
                                 "<p>Reinstall Maskquill, or copy %1 into one of these folders, then choose "
                                 "Contents.</p>")
                      .arg(QString::fromLatin1(kHelpFileName), places));
}

HelpWindow* HelpWindow::showHelp(QWidget* owner, const QString& section)
{
    static QPointer<HelpWindow> instance;
    if (!instance) {
        instance = new HelpWindow(owner);
        instance->setAttribute(Qt::WA_DeleteOnClose);
    }
    const bool found = instance->showContents();
    instance->show();
    instance->raise();
    instance->activateWindow();
    if (found && !section.isEmpty())
        instance->view->scrollToAnchor(section);
    return instance;
}

}  // namespace mq::ui
