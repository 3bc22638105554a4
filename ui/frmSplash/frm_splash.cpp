#include "ui/frmSplash/frm_splash.h"

#include "ui/frmAbout/frmabout_model.h"
#include "ui/platform/geometry.h"
#include "ui/platform/texts.h"
#include "ui/platform/theme.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

namespace mq::ui {

QPixmap splashPicture(int size)
{
    // Drawn at the screen's scale factor, so that it stays sharp on a high-density screen.
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap p(QSize(size, size) * ratio);
    p.setDevicePixelRatio(ratio);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.scale(size / 100.0, size / 100.0);
    // A panel of address bits: network, subnet and host in the calculator's colours.
    g.setPen(QPen(QColor(60, 60, 60), 1.5));
    g.setBrush(QColor(235, 235, 228));
    g.drawRoundedRect(QRectF(4, 30, 92, 64), 6, 6);
    const QColor fields[] = {QColor(255, 0, 0), QColor(255, 0, 0), QColor(0, 0, 255), QColor(128, 128, 0)};
    for (int octet = 0; octet < 4; ++octet)
        for (int bit = 0; bit < 8; ++bit) {
            const bool one = ((0xC0A8 >> ((octet * 8 + bit) % 16)) & 1) != 0;
            g.setPen(Qt::NoPen);
            g.setBrush(one ? fields[octet] : fields[octet].lighter(180));
            g.drawRect(QRectF(10 + octet * 21 + (bit % 4) * 4.5, 44 + (bit / 4) * 9, 3.5, 7));
        }
    g.setPen(QPen(QColor(90, 90, 90), 1));
    g.drawLine(QPointF(10, 70), QPointF(90, 70));
    g.drawLine(QPointF(10, 80), QPointF(70, 80));
    // The quill.
    QPainterPath feather;
    feather.moveTo(30, 78);
    feather.cubicTo(40, 45, 70, 12, 96, 4);
    feather.cubicTo(86, 28, 62, 56, 30, 78);
    g.setPen(QPen(QColor(40, 40, 90), 1.2));
    g.setBrush(QColor(250, 250, 255));
    g.drawPath(feather);
    g.drawLine(QPointF(30, 78), QPointF(86, 14));
    g.setPen(QPen(QColor(20, 20, 20), 2.5));
    g.drawLine(QPointF(30, 78), QPointF(24, 88));
    return p;
}

FrmSplash::FrmSplash(std::function<QWidget*()> make, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), makeMain(std::move(make))
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Maskquill starting"));
    setFont(uiFont(8));
    build();
    keepClassicColours(this);
}

void FrmSplash::build()
{
    setFixedSize(twipsToPixels(7305), twipsToPixels(4650));
    fraMainFrame = new QFrame(this);
    fraMainFrame->setObjectName(QStringLiteral("fraMainFrame"));
    fraMainFrame->setFrameShape(QFrame::Box);
    fraMainFrame->setFrameShadow(QFrame::Sunken);
    fraMainFrame->setGeometry(twipsRect(60, 60, 7185, 4530));

    auto label = [this](const char* name, const QString& text, int l, int t, int w, int h) {
        auto* lab = new QLabel(text, fraMainFrame);
        lab->setObjectName(QString::fromUtf8(name));
        lab->setWordWrap(true);
        lab->setGeometry(twipsRect(l, t, w, h));
        return lab;
    };

    Image1 = new QLabel(fraMainFrame);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(twipsRect(240, 240, 1815, 1815));
    Image1->setPixmap(splashPicture(twipsToPixels(1815)));

    QLabel* product = label("lblProductName", QStringLiteral("Maskquill"), 2280, 240, 4700, 720);
    QFont arial(QStringLiteral("Arial"));
    arial.setStyleHint(QFont::SansSerif);
    arial.setPointSize(28);
    arial.setBold(true);
    product->setFont(arial);
    product->setWordWrap(false);

    QLabel* what = label("lblCompanyProduct",
                         QStringLiteral("Supports Subnetting, MAC conversion. binary calculator and a reference for "
                                        "MAC vendor codes, TCP/UDP port numbers and IP Multicast addresses."),
                         2280, 1020, 4700, 840);
    what->setFont(uiFont(9));

    QLabel* platform = label("lblPlatform", QStringLiteral("For Win95"), 4680, 1920, 2300, 380);
    platform->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    platform->setFont(uiFont(14, true));
    QLabel* version = label("lblVersion", QStringLiteral("Version 5.1"), 4680, 2300, 2300, 300);
    version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    version->setFont(uiFont(10, true));

    // The writer and the terms the program is passed on under, worded as in the
    // About box and the package's copyright file.
    label("lblCopyright", QString::fromUtf8(kWriterLine), 240, 2100, 4300, 420);
    label("lblCompany", QString::fromUtf8(kDistributionNotice), 240, 2580, 6700, 440);

    QLabel* warning = label("lblWarning", QStringLiteral("Warning"), 240, 3060, 6700, 255);
    warning->setFont(uiFont(8, true));
    label("Label1", disclaimerText(), 240, 3320, 6700, 1100);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1500);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
}

void FrmSplash::Form_Load()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r = rect();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    show();
    splashtick = 0;
    mainForm = makeMain ? makeMain() : nullptr;
    Timer1->start();
}

void FrmSplash::Timer1_Timer()
{
    if (splashtick == 0) {
        splashtick = 1;
        return;
    }
    Timer1->stop();
    if (mainForm)
        mainForm->show();
    close();
}

}  // namespace mq::ui
