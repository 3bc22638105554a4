#include "ui/frmAbout/frmabout.h"

#include "ui/frmAbout/qt_system_access.h"
#include "ui/platform/geometry.h"
#include "ui/platform/panel3d.h"
#include "ui/platform/qt_services.h"
#include "ui/platform/texts.h"
#include "ui/platform/theme.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace mq::ui {

namespace {

QLabel* label(QWidget* parent, const char* name, QRect r)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setGeometry(r);
    l->setFont(uiFont());
    return l;
}

}  // namespace

QPixmap FrmAbout::programIcon(int size)
{
    const QIcon appIcon = QApplication::windowIcon();
    if (!appIcon.isNull())
        return appIcon.pixmap(size, size);
    // A mask drawn as its three fields: network, subnet, host.
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap pm(QSize(size, size) * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal third = size / 3.0;
    p.fillRect(QRectF(0, 0, third, size), toQColor(colour::Red));
    p.fillRect(QRectF(third, 0, third, size), toQColor(colour::Blue));
    p.fillRect(QRectF(2 * third, 0, size - 2 * third, size), toQColor(colour::Olive));
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(QRectF(0.5, 0.5, size - 1, size - 1));
    return pm;
}

QPixmap FrmAbout::programPicture(QSize size)
{
    // The mask 255.255.255.192 in binary, coloured by field as the calculator shows it.
    // Drawn at the screen's scale factor, so that it stays sharp on a high-density screen.
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap pm(size * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::white);
    QPainter p(&pm);
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setStyleHint(QFont::Monospace);
    // Each digit keeps to its sixteenth of the width (a monospace digit is about 0.6 of the size).
    f.setPixelSize(std::max(6, std::min(size.height() * 2 / 5, static_cast<int>(size.width() / 16.0 / 0.62))));
    f.setBold(true);
    p.setFont(f);
    // Two rows of sixteen bits each.
    const QString bits = QStringLiteral("11111111111111111111111111000000");
    const qreal cellWidth = size.width() / 16.0;
    const qreal rowHeight = size.height() / 2.0;
    for (int i = 0; i < 32; ++i) {
        const Colour c = i < 24 ? colour::Red : i < 26 ? colour::Blue : colour::Olive;
        p.setPen(toQColor(c));
        p.drawText(QRectF((i % 16) * cellWidth, (i / 16) * rowHeight, cellWidth, rowHeight), Qt::AlignCenter,
                   bits.mid(i, 1));
    }
    p.setPen(QPen(QColor(128, 128, 128), 1));
    p.drawRect(QRect(0, 0, size.width() - 1, size.height() - 1));
    return pm;
}

namespace {

// Two lines drawn one under the other make an etched separator: grey, then white.
QFrame* etchedLine(QWidget* parent, int i)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QStringLiteral("Line1(%1)").arg(i));
    line->setGeometry(twipsRect(240, 1080 + 15 * i, 6120, 15));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setPalette(QPalette(i == 0 ? QColor(128, 128, 128) : QColor(255, 255, 255)));
    line->setForegroundRole(QPalette::WindowText);
    return line;
}

}  // namespace

FrmAbout::FrmAbout(QWidget* parent, Services* services, SystemAccess* system) : QDialog(parent)
{
    if (!services) {
        ownServices = std::make_unique<QtServices>(this);
        services = ownServices.get();
    }
    if (!system) {
        ownSystem = std::make_unique<QtSystemAccess>();
        system = ownSystem.get();
    }
    m = std::make_unique<FrmAboutModel>(*services, *system);
    m->SSPanel5 = disclaimerText().toStdString();
    m->unload = [this] { close(); };

    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFont(uiFont());
    setFixedSize(twipsToPixels(6600), twipsToPixels(4620));
    keepClassicColours(this);

    picIcon = label(this, "picIcon", twipsRect(240, 240, 540, 540));
    picIcon->setPixmap(programIcon(twipsToPixels(480)));
    picIcon->setAlignment(Qt::AlignCenter);

    lblTitle = label(this, "lblTitle", twipsRect(1050, 200, 3400, 480));
    lblTitle->setFont(uiFont(14, true));
    lblVersion = label(this, "lblVersion", twipsRect(1050, 700, 3400, 260));

    Image1 = label(this, "Image1", twipsRect(4440, 240, 1920, 600));
    Image1->setPixmap(programPicture(Image1->size()));
    Image1->setAccessibleName(QStringLiteral("Program picture"));

    for (int i = 0; i < 2; ++i)
        Line1[i] = etchedLine(this, i);

    SSPanel5 = new Panel3D(Panel3D::Bevel::Inset, this);
    SSPanel5->setObjectName(QStringLiteral("SSPanel5"));
    SSPanel5->setGeometry(twipsRect(240, 1260, 6120, 1200));
    SSPanel5->setWordWrap(true);
    SSPanel5->setMargin(twipsToPixels(90));
    SSPanel5->setAccessibleName(QStringLiteral("Warning"));
    SSPanel5->setAccessibleDescription(QStringLiteral("The program's warning notice"));

    SSPanel8 = new Panel3D(Panel3D::Bevel::Inset, this);
    SSPanel8->setObjectName(QStringLiteral("SSPanel8"));
    SSPanel8->setGeometry(twipsRect(240, 2580, 6120, 780));
    SSPanel8->setWordWrap(true);
    SSPanel8->setMargin(twipsToPixels(90));
    SSPanel8->setAccessibleName(QStringLiteral("Distribution"));
    SSPanel8->setAccessibleDescription(QStringLiteral("The terms the program may be passed on under"));

    lblDisclaimer = label(this, "lblDisclaimer", twipsRect(240, 3540, 4200, 800));
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twipsRect(4680, 3480, 1680, 375));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setGeometry(twipsRect(4680, 3960, 1680, 375));
    cmdOK->setAccessibleDescription(QStringLiteral("Closes the About box"));
    cmdSysInfo->setAccessibleDescription(QStringLiteral("Starts the system information tool"));

    connect(cmdOK, &QPushButton::clicked, this, [this] { m->cmdOK_Click(); });
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] {
        m->cmdSysInfo_Click();
        refresh();
    });

    m->Form_Load();
    refresh();
}

FrmAbout::~FrmAbout() = default;

void FrmAbout::refresh()
{
    setWindowTitle(QString::fromStdString(m->Caption));
    lblTitle->setText(QString::fromStdString(m->lblTitle));
    lblVersion->setText(QString::fromStdString(m->lblVersion));
    SSPanel5->setCaption(m->SSPanel5);
    SSPanel8->setCaption(m->SSPanel8);
    lblDisclaimer->setText(QString::fromStdString(m->lblDisclaimer));
    cmdOK->setText(QString::fromStdString(m->cmdOK.caption));
    cmdSysInfo->setText(QString::fromStdString(m->cmdSysInfo.caption));
    cmdOK->setAccessibleName(cmdOK->text().remove(QLatin1Char('&')));
    cmdSysInfo->setAccessibleName(cmdSysInfo->text().remove(QLatin1Char('&')));
    cmdOK->setEnabled(m->cmdOK.enabled);
    cmdSysInfo->setEnabled(m->cmdSysInfo.enabled);
}

void FrmAbout::centreOverOwner()
{
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    QRect area;
    if (owner && owner->isVisible())
        area = owner->frameGeometry();
    else if (const QScreen* s = screen())
        area = s->availableGeometry();
    if (area.isValid())
        move(area.center() - QPoint(width() / 2, height() / 2));
}

void FrmAbout::done(int result)
{
    QDialog::done(result);
    deleteLater();
}

void FrmAbout::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!placed) {
        placed = true;
        centreOverOwner();
    }
}

}  // namespace mq::ui
