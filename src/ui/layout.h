// The main window's geometry in twips (1440 per inch, 15 per logical pixel), and the layout rule
// that runs on every resize. Kept as plain data so the numbers can be checked without a screen.
#pragma once

namespace morvek {

inline constexpr double kTwipsPerPixel = 15.0;

struct TwipsRect {
    double left = 0, top = 0, width = 0, height = 0;
    double Bottom() const { return top + height; }
    bool operator==(const TwipsRect&) const = default;
};

// Every region of the main window that moves, relative to the client area (frames) or to the
// enclosing frame (inner frames and the chart). The values at construction are the design ones.
struct MainLayout {
    TwipsRect serverFrame{0, 60, 6255, 1215};
    TwipsRect serverFields{60, 240, 6135, 915};
    TwipsRect playerFrame{0, 1320, 6255, 1875};
    TwipsRect playerPanel{180, 300, 6015, 1515};
    TwipsRect graphFrame{0, 3180, 6255, 2535};
    TwipsRect fragChart{75, 240, 5955, 2160};
    TwipsRect creditLabel{60, 5760, 1485, 195};
    TwipsRect menuButton{285, 6000, 1275, 330};
    TwipsRect trafficLamp{75, 5985, 195, 300};
    TwipsRect statusFrame{1680, 5760, 2535, 570};
    TwipsRect statusLine{660, 240, 1815, 195};
    TwipsRect replayFrame{4260, 5760, 1995, 570};
    // The minimum outer width and height.
    double min_width = 6300;
    double min_height = 6360;
    bool graph_visible = true;
};

// Minimum heights with the graph frame shown and hidden, and the window heights set when it is
// switched.
inline constexpr double kMinHeightWithGraph = 6360;
inline constexpr double kMinHeightWithoutGraph = 4280;
inline constexpr double kHeightWithGraph = 6765;
inline constexpr double kHeightWithoutGraph = 4280;
// The designed window's borders and caption: its outer size less its client area.
inline constexpr double kDesignFrameWidth = 120;
inline constexpr double kDesignFrameHeight = 405;

// The resize rule. `width` and `height` are the window's outer size in twips; they are raised to
// the minimum first (the caller resizes the window when they changed). Everything else follows.
void ApplyLayoutRule(MainLayout& layout, double& width, double& height);

}  // namespace morvek
