#include "ui/frmMain/tool_icons.h"

#include <QPainter>
#include <QPainterPath>

namespace mq::ui {

namespace {

QPixmap canvas()
{
    QPixmap p(16, 16);
    p.fill(Qt::transparent);
    return p;
}

QPixmap exitImage()
{
    QPixmap p = canvas();
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(90, 60, 30), 1));
    g.setBrush(QColor(170, 120, 60));
    g.drawRect(2, 1, 8, 14);  // door
    g.setBrush(QColor(250, 220, 60));
    g.drawEllipse(QPointF(8, 8.5), 0.8, 0.8);
    g.setPen(QPen(QColor(200, 0, 0), 2));
    g.drawLine(11, 8, 15, 8);  // arrow out
    g.drawLine(13, 6, 15, 8);
    g.drawLine(13, 10, 15, 8);
    return p;
}

QPixmap subnetImage()
{
    QPixmap p = canvas();
    QPainter g(&p);
    // Four octets as coloured bars: network, network, subnet, host.
    const QColor cols[] = {QColor(255, 0, 0), QColor(255, 0, 0), QColor(0, 0, 255), QColor(128, 128, 0)};
    for (int i = 0; i < 4; ++i)
        g.fillRect(1 + i * 4, 3, 3, 10, cols[i]);
    g.setPen(Qt::black);
    g.drawLine(0, 14, 15, 14);
    return p;
}

QPixmap calculatorImage()
{
    QPixmap p = canvas();
    QPainter g(&p);
    g.setPen(QColor(40, 40, 40));
    g.setBrush(QColor(200, 200, 200));
    g.drawRect(2, 0, 11, 15);
    g.fillRect(4, 2, 8, 3, QColor(160, 220, 160));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            g.fillRect(4 + c * 3, 7 + r * 3, 2, 2, QColor(40, 40, 120));
    return p;
}

QPixmap macImage()
{
    QPixmap p = canvas();
    QPainter g(&p);
    g.setPen(QColor(0, 70, 0));
    g.setBrush(QColor(40, 140, 60));
    g.drawRect(0, 3, 15, 8);  // network card
    g.fillRect(2, 5, 4, 4, QColor(30, 30, 30));
    g.setPen(QColor(230, 190, 60));
    for (int x = 3; x < 15; x += 2)
        g.drawLine(x, 12, x, 14);  // contacts
    g.setPen(Qt::white);
    g.drawLine(8, 6, 13, 6);
    g.drawLine(8, 8, 13, 8);
    return p;
}

QPixmap vlsmImage()
{
    QPixmap p = canvas();
    QPainter g(&p);
    g.setPen(Qt::black);
    // One block split into shrinking pieces.
    g.setBrush(QColor(0, 0, 255));
    g.drawRect(0, 2, 7, 11);
    g.setBrush(QColor(0, 160, 220));
    g.drawRect(8, 2, 4, 11);
    g.setBrush(QColor(128, 128, 0));
    g.drawRect(13, 2, 2, 5);
    g.setBrush(QColor(255, 0, 0));
    g.drawRect(13, 8, 2, 5);
    return p;
}

QPixmap listImage()
{
    QPixmap p = canvas();
    QPainter g(&p);
    g.setPen(QColor(60, 60, 60));
    g.setBrush(Qt::white);
    g.drawRect(1, 0, 13, 15);
    for (int y = 3; y < 14; y += 3) {
        g.fillRect(3, y, 2, 2, QColor(0, 0, 160));
        g.fillRect(6, y, 7, 1, QColor(90, 90, 90));
    }
    return p;
}

QPixmap saveImage()
{
    QPixmap p = canvas();
    QPainter g(&p);
    g.setPen(Qt::black);
    g.setBrush(QColor(30, 60, 150));
    g.drawRect(0, 0, 15, 15);  // floppy
    g.fillRect(3, 1, 10, 6, Qt::white);
    g.fillRect(4, 10, 8, 5, QColor(180, 180, 180));
    g.fillRect(9, 11, 2, 3, QColor(30, 60, 150));
    return p;
}

QPixmap printImage()
{
    QPixmap p = canvas();
    QPainter g(&p);
    g.setPen(Qt::black);
    g.setBrush(Qt::white);
    g.drawRect(4, 0, 8, 6);  // paper
    g.setBrush(QColor(170, 170, 170));
    g.drawRect(0, 6, 15, 6);  // printer
    g.setBrush(Qt::white);
    g.drawRect(3, 10, 10, 5);
    g.fillRect(12, 8, 2, 1, QColor(0, 170, 0));
    return p;
}

QPixmap letterImage(const QString& letter, const QColor& fill)
{
    QPixmap p = canvas();
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setRenderHint(QPainter::TextAntialiasing);
    g.setPen(fill.darker(150));
    g.setBrush(fill);
    g.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(12);
    f.setBold(true);
    g.setFont(f);
    g.setPen(Qt::white);
    g.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, letter);
    return p;
}

}  // namespace

std::vector<QPixmap> toolImages()
{
    return {exitImage(),
            subnetImage(),
            calculatorImage(),
            macImage(),
            vlsmImage(),
            listImage(),
            saveImage(),
            printImage(),
            letterImage(QStringLiteral("i"), QColor(0, 90, 200)),
            letterImage(QStringLiteral("?"), QColor(0, 140, 60))};
}

}  // namespace mq::ui
