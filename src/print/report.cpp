#include "print/report.h"

#include "core/numbers.h"
#include "core/quake_text.h"

namespace morvek::print {

namespace {

#ifndef MORVEK_VERSION_MAJOR
#error "MORVEK_VERSION_MAJOR must be defined by the build"
#endif

// Frags texts above this value are negative counts stored in a log's unsigned form.
constexpr double kUnsignedFragsLimit = 4244897000.0;

// Column x positions of the player list.
constexpr int kColPresent = 500;
constexpr int kColId = 1000;
constexpr int kColName = 2000;
constexpr int kColAddress = 4000;
constexpr int kColPort = 6500;
constexpr int kColTime = 7800;
constexpr int kColFrags = 8800;

const FontSpec kNormal{"Arial", 10, false};
const FontSpec kBold{"Arial", 10, true};
const FontSpec kTitle{"Arial", 16, true};

// Writes operations and follows the printer's current y: a text ends its line (current y moves
// to the text's y plus one line of its font), a line leaves the pen at its end point.
class Page {
  public:
    Page(std::vector<PageOp>& ops, const LineHeights& metrics) : ops_(ops), metrics_(metrics) {}

    void Text(int x, int y, std::string text, const FontSpec& font) {
        PageOp op;
        op.kind = PageOp::kText;
        op.x = x;
        op.y = y;
        op.text = std::move(text);
        op.font = font;
        ops_.push_back(std::move(op));
        current_y = y + Height(font);
    }

    void Line(int x, int y, int x2, int y2) {
        PageOp op;
        op.kind = PageOp::kLine;
        op.x = x;
        op.y = y;
        op.x2 = x2;
        op.y2 = y2;
        ops_.push_back(std::move(op));
        current_y = y2;
    }

    void Picture(int x, int y, int width, int height) {
        PageOp op;
        op.kind = PageOp::kPicture;
        op.x = x;
        op.y = y;
        op.x2 = x + width;
        op.y2 = y + height;
        ops_.push_back(std::move(op));
    }

    void NewPage() {
        PageOp op;
        op.kind = PageOp::kNewPage;
        ops_.push_back(std::move(op));
        current_y = 0;
    }

    int Height(const FontSpec& font) const {
        int h = metrics_ ? metrics_(font) : 0;
        return h > 0 ? h : 0;
    }

    int current_y = 0;

  private:
    std::vector<PageOp>& ops_;
    const LineHeights& metrics_;
};

// The player list's headings at y = h and the rule under them; returns the first row's y.
int Headings(Page& page, int w, int h, ServerType type) {
    // An unknown type prints the NetQuake headings.
    const ServerTypeInfo* known = FindServerType(type);
    const ServerTypeInfo& info = known ? *known : kServerTypes[0];
    page.Text(kColPresent, h, "S", kBold);
    page.Text(kColId, h, "ID", kBold);
    page.Text(kColName, h, "Name", kBold);
    page.Text(kColAddress, h, info.report_address, kBold);
    page.Text(kColPort, h, info.report_port, kBold);
    page.Text(kColTime, h, "Time", kBold);
    page.Text(kColFrags, h, "Frags", kBold);
    page.Line(kColPresent, h + 250, w, h + 250);
    return page.current_y + 150;
}

std::string FragsText(const std::string& frags) {
    if (LeadingNumber(frags) > kUnsignedFragsLimit) return DecimalText(FragsValue(frags));
    return frags;
}

}  // namespace

std::string ReportTitle() {
    return "Graph " + IntegerText(MORVEK_VERSION_MAJOR) + "." + IntegerText(MORVEK_VERSION_MINOR) +
           "." + IntegerText(MORVEK_VERSION_PATCH);
}

std::string ReportCredit() {
    return "(c) The Morvek developers";
}

std::vector<PageOp> LayoutReport(const Monitor& monitor, int page_width_twips,
                                 int page_height_twips, const LineHeights& metrics) {
    std::vector<PageOp> ops;
    Page page(ops, metrics);
    const int w = page_width_twips - 2000;
    const int lw = kLogoWidth;
    const int lh = kLogoHeight;
    const double half_w = w / 2.0;
    // Half a twip is far below a printer dot: x positions at W / 2 are rounded.
    const int mid = static_cast<int>(RoundHalfEven(half_w));
    const int mid_value = static_cast<int>(RoundHalfEven(half_w + 1500));
    const ServerSnapshot& s = monitor.snapshot;

    // Header band.
    page.Line(0, 0, w, 0);
    page.Line(w, 0, w, lh);
    page.Line(0, lh, w, lh);
    page.Line(0, lh, 0, 0);
    page.Picture(10, 10, kLogoPictureWidth, kLogoPictureHeight);
    page.Text(lw, 35, ReportTitle(), kTitle);
    page.Text(w - 2650, 10, ReportCredit(), kNormal);

    // Server block.
    page.Line(0, lh + 1000, w, lh + 1000);
    page.Text(0, lh + 850, "Server: ", kBold);
    int y = page.current_y + 250;
    page.Text(500, y, "Name:", kBold);
    page.Text(2000, y, ShownText(s.name, monitor.options.readable_names), kNormal);
    page.Text(mid, y, "Net Address:", kBold);
    page.Text(mid_value, y, s.address, kNormal);
    y = page.current_y + 50;
    page.Text(500, y, "Net Port:", kBold);
    page.Text(2000, y, s.port, kNormal);
    page.Text(mid, y, "Map:", kBold);
    page.Text(mid_value, y, s.map, kNormal);
    y = page.current_y + 50;
    page.Text(500, y, "Max Players:", kBold);
    page.Text(2000, y, s.max_players, kNormal);
    page.Text(mid, y, "Curr. Players:", kBold);
    page.Text(mid_value, y, s.players, kNormal);
    y = page.current_y + 50;
    page.Text(500, y, "Type:", kBold);
    page.Text(2000, y, s.type_name, kNormal);

    // Player list.
    const int b = page.current_y + 1000;
    page.Line(0, b, w, b);
    page.Text(0, b, "Players: ", kBold);
    y = Headings(page, w, page.current_y + 250, monitor.server_type);

    std::vector<const PlayerRecord*> rows;
    for (const PlayerRecord& row : monitor.view.rows)
        if (!IsEmptyMark(row[kName])) rows.push_back(&row);

    const int row_height = page.Height(kNormal);
    bool rows_on_page = false;  // a continuation page always takes at least one row
    bool continuation = false;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        // The last row must leave room for the closing rule under it.
        const int bottom = y + row_height + (i + 1 == rows.size() ? 25 + 50 : 0);
        if (page_height_twips > 0 && bottom > page_height_twips &&
            (rows_on_page || !continuation)) {
            page.NewPage();
            continuation = true;
            rows_on_page = false;
            y = Headings(page, w, page.current_y + 250, monitor.server_type);
        }
        const PlayerRecord& row = *rows[i];
        page.Text(kColPresent, y, row[kPresent] == "1" ? "On" : "Off", kNormal);
        page.Text(kColId, y, row[kId], kNormal);
        page.Text(kColName, y, ShownName(monitor.options, row[kName]), kNormal);
        page.Text(kColAddress, y, row[kAddress], kNormal);
        page.Text(kColPort, y, row[kPort], kNormal);
        page.Text(kColTime, y, row[kTime], kNormal);
        page.Text(kColFrags, y, IsSpectator(monitor.options, row) ? "S" : FragsText(row[kFrags]),
                  kNormal);
        y = page.current_y + 25;
        rows_on_page = true;
    }
    page.Line(500, y + 50, w, y + 50);
    return ops;
}

}  // namespace morvek::print
