// The printed report as data: the page operations (texts, lines, the logo, page breaks) that the
// painter draws on a printer. Coordinates are twips (1440 per inch) from the top-left corner of
// the printable area; every text is placed by the top of its line.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/monitor.h"

namespace morvek::print {

struct FontSpec {
    std::string family = "Arial";
    int point_size = 10;
    bool bold = false;
    bool operator==(const FontSpec&) const = default;
};

struct PageOp {
    enum Kind { kText, kLine, kPicture, kNewPage };
    Kind kind = kText;
    // kText: top-left of the text line. kLine: from (x, y) to (x2, y2). kPicture: the logo's
    // top-left (x, y) and bottom-right (x2, y2) corners.
    int x = 0, y = 0;
    int x2 = 0, y2 = 0;
    std::string text;  // Windows-1252 bytes
    FontSpec font;
};

// Height of one printed line of a font, in twips. The painter measures it on the printer; tests
// give fixed numbers.
using LineHeights = std::function<int(const FontSpec&)>;

// The logo box of the main window, in twips.
constexpr int kLogoWidth = 435;   // LW
constexpr int kLogoHeight = 510;  // LH
// The logo picture inside that box, painted in its own size: 25 x 30 pixels at 15 twips each.
constexpr int kLogoPictureWidth = 375;
constexpr int kLogoPictureHeight = 450;

// "Graph " and the program version.
std::string ReportTitle();
// The one-line credit at the header's right.
std::string ReportCredit();

// Lays the report out for a printable area of the given size (twips). A page height of 0 or less
// means the paper never ends. Player rows that do not fit continue on a new page, which starts
// with the column headings again.
std::vector<PageOp> LayoutReport(const Monitor& monitor, int page_width_twips,
                                 int page_height_twips, const LineHeights& metrics);

}  // namespace morvek::print
