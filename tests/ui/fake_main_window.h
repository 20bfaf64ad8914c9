// A main window for dialog tests: the real monitor picture, connection and HTML timer, scripted
// message boxes, and a record of what the dialogs asked of the window.
#pragma once

#include <string>
#include <vector>

#include "core/hooks.h"
#include "core/monitor.h"
#include "platform/dialogs.h"
#include "platform/timer.h"
#include "query/connection.h"
#include "ui/main_window_api.h"

namespace morvek::testing {

class FakeMainWindow : public MainWindowApi {
  public:
    // The picture as the settings' defaults leave it: server localhost, 20 graph rows, the graph
    // shown.
    FakeMainWindow() {
        connection_.Winsock().SetRemoteHost("localhost");
        monitor_.graph.SetRowCount(20);
        morvek::SetupGraph(monitor_.graph);
    }

    Monitor& monitor() override { return monitor_; }
    Connection& connection() override { return connection_; }
    platform::Timer& timHtml() override { return html_; }
    platform::Dialogs& dialogs() override { return dialogs_; }

    bool GraphVisible() const override { return graph_visible; }
    void SetGraphVisible(bool visible) override {
        calls.push_back(visible ? "SetGraphVisible(true)" : "SetGraphVisible(false)");
        graph_visible = visible;
        monitor_.graph.visible = visible;
        rouler_v = visible ? 6360 : 4280;
        if (!maximized) height = visible ? 6765 : 4280;
    }
    bool IsMaximized() const override { return maximized; }
    void Form_Resize() override { calls.push_back("Form_Resize"); }
    void RefreshAll() override { calls.push_back("RefreshAll"); }

    Monitor monitor_;
    platform::ScriptedDialogs dialogs_;
    MonitorHooks hooks_;
    Connection connection_{monitor_, dialogs_, hooks_};
    platform::Timer html_;

    bool graph_visible = true;
    bool maximized = false;
    int rouler_v = 6360;  // twips
    int height = 6765;    // twips
    std::vector<std::string> calls;
};

}  // namespace morvek::testing
