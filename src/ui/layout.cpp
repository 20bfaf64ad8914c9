#include "ui/layout.h"

namespace morvek {

void ApplyLayoutRule(MainLayout& l, double& width, double& height) {
    if (width < l.min_width) width = l.min_width;
    if (height < l.min_height) height = l.min_height;

    l.serverFrame.width = width - 120;
    l.playerFrame.width = width - 120;
    l.graphFrame.width = width - 120;
    l.graphFrame.height = height - l.playerFrame.top - l.playerFrame.height - 1040;

    const TwipsRect& above = l.graph_visible ? l.graphFrame : l.playerFrame;
    l.creditLabel.top = above.top + above.height;
    l.creditLabel.left = above.left + 60;
    l.menuButton.top = l.creditLabel.top + l.creditLabel.height + 60;
    l.statusFrame.top = above.Bottom() + 30;
    l.statusFrame.width = width - l.statusFrame.left - l.replayFrame.width - 180;
    l.replayFrame.top = l.statusFrame.top;
    l.replayFrame.left = width - l.replayFrame.width - 120;
    l.statusLine.left = (l.statusFrame.width - l.statusLine.width) / 2 + 300;
    if (l.graph_visible) {
        l.fragChart.width = l.graphFrame.width - 120;
        l.fragChart.height = l.graphFrame.height - 300;
    }
    l.playerPanel.left = (l.playerFrame.width - l.playerPanel.width) / 2;
    l.serverFields.left = (l.serverFrame.width - l.serverFields.width) / 2;
    l.trafficLamp.top = l.menuButton.top;
}

}  // namespace morvek
