#include "packaging/icon/app_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace mq::app {

namespace {

const QColor kNavy(26, 60, 110);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kOlive(128, 128, 0);

void paintCard(QPainter& p, int s)
{
    const qreal pen = std::max(1.0, s / 32.0);
    const QRectF card(pen / 2, pen / 2, s - pen, s - pen);
    QLinearGradient fill(0, 0, 0, s);
    fill.setColorAt(0, QColor(252, 253, 255));
    fill.setColorAt(1, QColor(214, 224, 238));
    p.setPen(QPen(kNavy, pen));
    p.setBrush(fill);
    const qreal radius = s * 0.16;
    p.drawRoundedRect(card, radius, radius);
}

// The four octets of an address as upright bars: network, network, subnet, host.
// From 48 pixels up each bar shows its eight bits as cells.
void paintOctets(QPainter& p, int s)
{
    const QColor colours[4] = {kRed, kRed, kBlue, kOlive};
    const int gap = std::max(1, static_cast<int>(std::lround(s / 28.0)));
    const int margin = std::max(2, static_cast<int>(std::lround(s * 0.15)));
    const int barWidth = (s - 2 * margin - 3 * gap) / 4;
    const int left = (s - (4 * barWidth + 3 * gap)) / 2;
    const bool bits = s >= 48;
    const int bitGap = std::max(1, s / 80);
    int top = static_cast<int>(std::lround(s * 0.22));
    int height = static_cast<int>(std::lround(s * 0.58));
    int cell = 0;
    if (bits) {
        cell = (height - 7 * bitGap) / 8;
        height = 8 * cell + 7 * bitGap;
        top = (s - height) / 2;
    }
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        const int x = left + i * (barWidth + gap);
        if (!bits) {
            p.fillRect(QRect(x, top, barWidth, height), colours[i]);
            continue;
        }
        for (int b = 0; b < 8; ++b)
            p.fillRect(QRect(x, top + b * (cell + bitGap), barWidth, cell), colours[i]);
    }
}

// A quill laid across the card, its nib at the lower left. Drawn on a 256-unit grid.
void paintQuill(QPainter& p, int s)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(s / 256.0, s / 256.0);
    const QPointF nib(58, 222);
    const QPointF tip(236, 22);
    const QLineF axis(nib, tip);
    p.translate(nib);
    p.rotate(-axis.angle());
    const qreal len = axis.length();

    // The vane: a long leaf from a third of the way along to the tip.
    QPainterPath vane;
    vane.moveTo(len * 0.30, 0);
    vane.cubicTo(len * 0.45, -30, len * 0.80, -46, len, 0);
    vane.cubicTo(len * 0.82, 18, len * 0.52, 20, len * 0.30, 0);
    p.setPen(QPen(kNavy, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawPath(vane);
    // The shaft, and the cut nib at its end.
    p.setPen(QPen(kNavy, 8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(26, 0), QPointF(len * 0.97, 0));
    QPainterPath point;
    point.moveTo(0, 0);
    point.lineTo(30, -6);
    point.lineTo(30, 6);
    point.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 20, 30));
    p.drawPath(point);
    p.restore();
}

}  // namespace

const std::vector<int>& appIconSizes()
{
    static const std::vector<int> sizes{16, 24, 32, 48, 64, 128, 256};
    return sizes;
}

QImage appIconImage(int size)
{
    const int s = std::clamp(size, 8, 1024);
    QImage image(s, s, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    paintCard(p, s);
    p.setRenderHint(QPainter::Antialiasing, false);
    paintOctets(p, s);
    if (s >= 32)
        paintQuill(p, s);
    p.end();
    return image;
}

QIcon appIcon()
{
    QIcon icon;
    for (const int n : appIconSizes())
        icon.addPixmap(QPixmap::fromImage(appIconImage(n)));
    return icon;
}

}  // namespace mq::app
