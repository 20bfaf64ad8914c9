#include "ui/layout.h"

namespace morvek {

void ApplyLayoutRule(MainLayout& l, double& width, double& height) {
    if (width < l.rouler_h_x2) width = l.rouler_h_x2;
    if (height < l.rouler_v_y2) height = l.rouler_v_y2;

    l.frServer.width = width - 120;
    l.frPlayer.width = width - 120;
    l.frGraph.width = width - 120;
    l.frGraph.height = height - l.frPlayer.top - l.frPlayer.height - 1040;

    const TwipsRect& above = l.graph_visible ? l.frGraph : l.frPlayer;
    l.lblCopy.top = above.top + above.height;
    l.lblCopy.left = above.left + 60;
    l.cmdMenu.top = l.lblCopy.top + l.lblCopy.height + 60;
    l.frStatus.top = above.Bottom() + 30;
    l.frStatus.width = width - l.frStatus.left - l.frPlay.width - 180;
    l.frPlay.top = l.frStatus.top;
    l.frPlay.left = width - l.frPlay.width - 120;
    l.frInsideStatus.left = (l.frStatus.width - l.frInsideStatus.width) / 2 + 300;
    if (l.graph_visible) {
        l.chtGrafico.width = l.frGraph.width - 120;
        l.chtGrafico.height = l.frGraph.height - 300;
    }
    l.frInsidePlayer.left = (l.frPlayer.width - l.frInsidePlayer.width) / 2;
    l.frInsideServer.left = (l.frServer.width - l.frInsideServer.width) / 2;
    l.pctNet.top = l.cmdMenu.top;
}

}  // namespace morvek
