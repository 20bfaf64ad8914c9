#include "print/painter.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>

#include "core/quake_text.h"
#include "core/text.h"
#include "platform/files.h"

namespace morvek::print {

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kTwipsPerPoint = 20.0;
// Rules are drawn half a point wide.
constexpr double kRuleWidthTwips = 10.0;

const char* const kLogoResource = ":/morvek/logo.png";

double DeviceDpiX(const QPaintDevice& device) {
    return device.logicalDpiX() > 0 ? device.logicalDpiX() : 72;
}

double DeviceDpiY(const QPaintDevice& device) {
    return device.logicalDpiY() > 0 ? device.logicalDpiY() : 72;
}

// Ends the document and turns the hourglass off on every way out.
class BusyGuard {
  public:
    explicit BusyGuard(const BusyFn& busy) : busy_(busy) {
        if (busy_) busy_(true);
    }
    ~BusyGuard() {
        if (busy_) busy_(false);
    }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

  private:
    const BusyFn& busy_;
};

// Lays out and draws the report on a device that is set up; true when drawing began and the
// document was ended.
bool PrintOn(const Monitor& monitor, QPagedPaintDevice& device) {
    if (!QGuiApplication::instance()) return false;
    const QSize area = PrintableTwips(device);
    const auto metrics = [&device](const FontSpec& spec) { return LineHeightTwips(spec, device); };
    const std::vector<PageOp> ops = LayoutReport(monitor, area.width(), area.height(), metrics);
    QPainter painter;
    if (!painter.begin(&device)) return false;
    PaintOps(ops, painter, device);
    return painter.end();
}

}  // namespace

QFont ReportFont(const FontSpec& spec) {
    QFont font;
    const QString wanted = QString::fromStdString(spec.family);
    QStringList families{wanted};
    if (wanted == QLatin1String("Arial")) {
        // Liberation Sans has Arial's metrics; prefer it outright where Arial is missing so that
        // no other sans-serif face is substituted silently.
        if (!QFontDatabase::hasFamily(wanted))
            families.prepend(QStringLiteral("Liberation Sans"));
        else
            families.append(QStringLiteral("Liberation Sans"));
    }
    font.setFamilies(families);
    font.setPointSize(spec.point_size > 0 ? spec.point_size : 10);
    font.setBold(spec.bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

int LineHeightTwips(const FontSpec& spec, const QPaintDevice& device) {
    QFontMetricsF fm(ReportFont(spec), &device);
    return static_cast<int>(std::lround(fm.lineSpacing() * kTwipsPerInch / DeviceDpiY(device)));
}

QSize PrintableTwips(const QPagedPaintDevice& device) {
    const QRectF paint = device.pageLayout().paintRect(QPageLayout::Point);
    return QSize(static_cast<int>(std::floor(paint.width() * kTwipsPerPoint)),
                 static_cast<int>(std::floor(paint.height() * kTwipsPerPoint)));
}

bool PaintOps(const std::vector<PageOp>& ops, QPainter& painter, QPagedPaintDevice& device) {
    const double sx = DeviceDpiX(device) / kTwipsPerInch;
    const double sy = DeviceDpiY(device) / kTwipsPerInch;
    const QImage logo(QString::fromLatin1(kLogoResource));
    bool ok = true;

    QPen pen(Qt::black);
    pen.setWidthF(std::max(1.0, kRuleWidthTwips * sx));
    pen.setCapStyle(Qt::SquareCap);
    painter.setPen(pen);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    for (const PageOp& op : ops) {
        switch (op.kind) {
            case PageOp::kText: {
                const QFont font = ReportFont(op.font);
                painter.setFont(font);
                const QFontMetricsF fm(font, painter.device());
                // The printer's current y is the top of the line; Qt draws on the baseline.
                painter.drawText(QPointF(op.x * sx, op.y * sy + fm.ascent()), FromCp1252(op.text));
                break;
            }
            case PageOp::kLine:
                painter.drawLine(QPointF(op.x * sx, op.y * sy), QPointF(op.x2 * sx, op.y2 * sy));
                break;
            case PageOp::kPicture:
                if (!logo.isNull())
                    painter.drawImage(
                        QRectF(QPointF(op.x * sx, op.y * sy), QPointF(op.x2 * sx, op.y2 * sy)),
                        logo);
                break;
            case PageOp::kNewPage:
                if (!device.newPage()) ok = false;
                break;
        }
    }
    return ok;
}

bool PrintReport(const Monitor& monitor, QPagedPaintDevice& device, const PrintDialogFn& dialog,
                 const BusyFn& busy) {
    if (!dialog || !dialog(device)) return false;  // cancelled: nothing printed, no hourglass
    BusyGuard guard(busy);
    return PrintOn(monitor, device);
}

QString ReportTitle(const Monitor& monitor) {
    return QStringLiteral("Morvek \u2013 ") +
           FromCp1252(ShownText(monitor.snapshot.name, monitor.options.readable_names)).trimmed();
}

void ConfigurePdfWriter(QPdfWriter& writer) {
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(10, 10, 10, 10), QPageLayout::Point));
}

bool PrintReportToPdf(const Monitor& monitor, const QString& path) {
    if (!QGuiApplication::instance() || !platform::IsReplaceable(path)) return false;
    // The report is made in memory and the file replaced whole: a full disk leaves the previous
    // report as it was.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        ConfigurePdfWriter(writer);
        writer.setTitle(ReportTitle(monitor));
        writer.setCreator(QStringLiteral("Morvek"));
        if (!PrintOn(monitor, writer)) return false;
    }
    return platform::ReplaceFile(path, pdf.data());
}

}  // namespace morvek::print
