// Draws the report's page operations on a paged device (a PDF writer, or the printer the window
// hands in) and runs the print command: the print dialog, the hourglass, the layout, the drawing
// and the end of the document. Everything here needs a QGuiApplication (fonts and images), and
// nothing here needs a printer driver: the window wires the printer and its dialog.
#pragma once

#include <QFont>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "core/monitor.h"
#include "print/report.h"

class QPagedPaintDevice;
class QPainter;
class QPaintDevice;
class QPdfWriter;

namespace morvek::print {

// Shows the print dialog for the device (which it may configure: printer, file, paper, copies);
// false when the user cancels.
using PrintDialogFn = std::function<bool(QPagedPaintDevice& device)>;
// The hourglass pointer on (true) or off (false).
using BusyFn = std::function<void(bool busy)>;

// Arial, or its metric-compatible free equivalent where Arial is not installed.
QFont ReportFont(const FontSpec& spec);

// Height of one line of the font on the device, in twips.
int LineHeightTwips(const FontSpec& spec, const QPaintDevice& device);

// The printable area of the device's page in twips (width, height).
QSize PrintableTwips(const QPagedPaintDevice& device);

// Draws the operations with a painter that is active on the device: twips become device pixels
// at the device's resolution, texts are placed by the top of their line, kNewPage starts a new
// sheet. Returns false when a new page could not be started (the rest is still drawn).
bool PaintOps(const std::vector<PageOp>& ops, QPainter& painter, QPagedPaintDevice& device);

// The print command. Cancel in the dialog prints nothing and returns false before the hourglass
// is shown. Otherwise the report is laid out for the device's page, drawn and the document
// ended; a step that fails is skipped and the hourglass is always turned off again. Returns true
// when the document was drawn and ended.
bool PrintReport(const Monitor& monitor, QPagedPaintDevice& device, const PrintDialogFn& dialog,
                 const BusyFn& busy = {});

// The document's title, as a PDF's properties show it: "Morvek – <server name>".
QString ReportTitle(const Monitor& monitor);

// Sets a PDF writer up as PrintReportToPdf uses it: A4 portrait, 1200 dots per inch, the page
// margins a printer's PDF output has.
void ConfigurePdfWriter(QPdfWriter& writer);

// Writes the report to a PDF file without any dialog, through the same layout and painter.
bool PrintReportToPdf(const Monitor& monitor, const QString& path);

}  // namespace morvek::print
