#include "ui/reports/qt_report_output.h"

#include "ui/platform/file_writer.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>

namespace mq::ui {

namespace {

constexpr double kFirstTabStop = 1000;  // twips
constexpr double kTabStep = 1750;
constexpr double kMinTabGap = 90;

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

std::string str(const QString& s)
{
    return s.toStdString();
}

// A line too wide for the page, cut into lines that fit: after the last blank that
// fits when there is one, else where the page ends; the later lines indented.
QStringList wrapped(const QString& text, const QFontMetricsF& fm, double width)
{
    QStringList out;
    QString rest = text;
    const QString indent = QStringLiteral("    ");
    while (fm.horizontalAdvance(rest) > width && rest.size() > indent.size() + 1) {
        int lo = 1, hi = static_cast<int>(rest.size());  // the longest head that fits: lo
        while (lo < hi) {
            const int mid = (lo + hi + 1) / 2;
            if (fm.horizontalAdvance(rest.left(mid)) <= width)
                lo = mid;
            else
                hi = mid - 1;
        }
        int cut = static_cast<int>(rest.lastIndexOf(QLatin1Char(' '), lo));
        if (cut <= static_cast<int>(indent.size()))
            cut = std::max(lo, static_cast<int>(indent.size()) + 1);
        out << rest.left(cut);
        rest = indent + rest.mid(cut).trimmed();
    }
    out << rest;
    return out;
}

}  // namespace

std::vector<double> tabPositions(const std::vector<double>& widths)
{
    std::vector<double> x;
    double end = 0;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        double start = 0;
        if (i > 0) {
            start = kFirstTabStop;
            while (start < end + kMinTabGap)
                start += kTabStep;
        }
        x.push_back(start);
        end = start + std::max(0.0, widths[i]);
    }
    return x;
}

QtReportOutput::QtReportOutput(QWidget* dialogParent) : parent(dialogParent) { }

QPrinter& QtReportOutput::printer()
{
    if (!device)
        device = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *device;
}

QtReportOutput::~QtReportOutput()
{
    abortPrintJob();
    setBusy(false);
}

void QtReportOutput::setLandscape(bool landscape)
{
    printer().setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

bool QtReportOutput::writeFile(const std::string& path, const std::string& bytes, std::string& error)
{
    return saveFile(
        path, [&bytes](ByteSink& sink) { return sink.write(bytes); }, error);
}

bool QtReportOutput::writeDocument(const std::string& path, const std::string& bytes, std::string& error)
{
    return saveDocument(
        path, [&bytes](ByteSink& sink) { return sink.write(bytes); }, error);
}

std::optional<int> QtReportOutput::printDialog()
{
    std::optional<int> copies;
    if (chooser) {
        copies = chooser(printer());
    } else {
        QPrintDialog dialog(&printer(), parent);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        copies = device->copyCount();
    }
    if (!copies)
        return std::nullopt;
    // Each copy is printed as a document of its own; the printer must not
    // multiply them again.
    device->setCopyCount(1);
    return std::max(1, *copies);
}

std::string QtReportOutput::startFailure() const
{
    const QString file = device->outputFileName();
    if (file.isEmpty())
        return "The printer \"" + str(device->printerName()) + "\" could not start the printout.";
    std::string text = "The file " + str(file) + " could not be written";
    // Find out why without leaving a file behind.
    const bool existed = QFileInfo::exists(file);
    QFile probe(file);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
        text += ": " + str(probe.errorString());
    } else {
        probe.close();
        if (!existed)
            QFile::remove(file);
    }
    return text + ".";
}

bool QtReportOutput::printDocument(const std::vector<PrintLine>& lines, std::string& error)
{
    if (!painter) {
        painter = std::make_unique<QPainter>();
        if (!painter->begin(&printer())) {
            painter.reset();
            error = startFailure();
            return false;
        }
    } else if (!device->newPage()) {
        error = "The printer could not start a new page.";
        return false;
    }

    const double dpi = device->resolution();
    auto px = [dpi](double twips) { return twips * dpi / 1440.0; };
    const double left = px(kPrintOffsetTwips);
    const double top = px(kPrintOffsetTwips);
    const double bottom = device->height() - px(kPrintOffsetTwips);
    double y = top;

    for (const PrintLine& line : lines) {
        QFont font(line.fixedPitch ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("Arial"));
        font.setStyleHint(line.fixedPitch ? QFont::TypeWriter : QFont::SansSerif);
        if (line.fixedPitch)
            font.setLetterSpacing(QFont::AbsoluteSpacing, 0.01);  // letter spacing turns ligatures off
        font.setPointSizeF(line.pointSize);
        font.setBold(line.bold);
        font.setItalic(line.italic);
        painter->setFont(font);
        const QFontMetricsF fm(font, device.get());
        const QString text = qs(line.text);
        // Grid lines keep their columns; any other line too wide for the page wraps.
        const QStringList parts =
            text.contains(QLatin1Char('\t')) ? QStringList{text} : wrapped(text, fm, device->width() - 2 * left);
        for (const QString& part : parts) {
            if (y + fm.height() > bottom && y > top) {
                if (!device->newPage()) {
                    error = "The printer could not start a new page.";
                    return false;
                }
                y = top;
            }
            const QStringList fields = part.split(QLatin1Char('\t'));
            std::vector<double> widths;
            for (const QString& f : fields)
                widths.push_back(fm.horizontalAdvance(f) * 1440.0 / dpi);
            const std::vector<double> xs = tabPositions(widths);
            for (int i = 0; i < fields.size(); ++i)
                if (!fields[i].isEmpty())
                    painter->drawText(QPointF(left + px(xs[static_cast<std::size_t>(i)]), y + fm.ascent()), fields[i]);
            y += fm.lineSpacing();
        }
    }
    if (device->printerState() == QPrinter::Error) {
        error = "The printer reported an error.";
        return false;
    }
    return true;
}

bool QtReportOutput::endPrintJob(std::string& error)
{
    if (!painter)
        return true;
    const bool ended = painter->end();
    painter.reset();
    if (!ended || device->printerState() == QPrinter::Error) {
        const QString file = device->outputFileName();
        error = file.isEmpty() ? "The printer \"" + str(device->printerName()) + "\" did not accept the printout."
                               : "The file " + str(file) + " could not be written.";
        return false;
    }
    return true;
}

void QtReportOutput::abortPrintJob()
{
    if (!painter)
        return;
    device->abort();
    if (painter->isActive())
        painter->end();
    painter.reset();
}

void QtReportOutput::setBusy(bool on)
{
    if (on == busy)
        return;
    busy = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

}  // namespace mq::ui
