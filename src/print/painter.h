// Draws the report's page operations on a printer and runs the print command: the print dialog,
// the copy count, the hourglass, the layout, the drawing and the end of the document.
// Everything here needs a QGuiApplication (fonts and images).
#pragma once

#include <QFont>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "core/monitor.h"
#include "print/report.h"

class QPainter;
class QPaintDevice;
class QPrinter;

namespace morvek::print {

// Shows the print dialog for the printer (which it may configure: printer, file, paper) and
// returns the number of copies chosen, or nothing when the user cancels.
using PrintDialogFn = std::function<std::optional<int>(QPrinter& printer)>;
// The hourglass pointer on (true) or off (false).
using BusyFn = std::function<void(bool busy)>;

// Arial, or its metric-compatible free equivalent where Arial is not installed.
QFont ReportFont(const FontSpec& spec);

// Height of one line of the font on the device, in twips.
int LineHeightTwips(const FontSpec& spec, const QPaintDevice& device);

// The printable area of the printer's page in twips (width, height).
QSize PrintableTwips(const QPrinter& printer);

// Draws the operations with a painter that is active on the printer: twips become device pixels
// at the printer's resolution, texts are placed by the top of their line, kNewPage starts a new
// sheet. Returns false when a new page could not be started (the rest is still drawn).
bool PaintOps(const std::vector<PageOp>& ops, QPainter& painter, QPrinter& printer);

// The print command. Cancel in the dialog prints nothing and returns false before the hourglass
// is shown. Otherwise the copy count is set, the report is laid out for the printer's page,
// drawn and the document ended; a step that fails is skipped and the hourglass is always turned
// off again. Returns true when the document was drawn and ended.
bool PrintReport(const Monitor& monitor, const PrintDialogFn& dialog, const BusyFn& busy = {});

// Sets a printer up as the PDF writer of PrintReportToPdf: A4, high resolution, the given file.
void ConfigurePdfPrinter(QPrinter& printer, const QString& path);

// Writes the report to a PDF file without any dialog, through the same layout and painter.
bool PrintReportToPdf(const Monitor& monitor, const QString& path);

}  // namespace morvek::print
