// The main window as the dialogs see it (MainWindowApi) on top of the rig: the picture the
// settings' defaults leave (server localhost, 20 graph rows, the graph shown), the publisher with
// its HTML timer, and a record of what the dialogs asked of the window.
#pragma once

#include <string>
#include <vector>

#include "platform/timer.h"
#include "query/live_settings.h"
#include "support/rig.h"
#include "ui/main_window_api.h"
#include "web/publisher.h"

namespace morvek::testing {

class WindowRig : public MainWindowApi {
  public:
    WindowRig() {
        rig.connection.socket().SetRemoteHost("localhost");
        SetupGraph(rig.monitor.graph);
    }

    Monitor& monitor() override { return rig.monitor; }
    platform::Dialogs& dialogs() override { return rig.dialogs; }
    SettingsValues Settings() override {
        return CurrentSettings(rig.monitor, rig.connection, &html);
    }
    void ApplySettings(const SettingsValues& values, unsigned reach) override {
        morvek::ApplySettings(values, rig.monitor, rig.connection, &html, reach);
    }
    void SetPublishing(bool periodic) override {
        publisher.SetPeriodic(periodic);
        if (!periodic) rig.connection.OnPollTick();
    }

    bool GraphVisible() const override { return graph_visible; }
    void SetGraphVisible(bool visible) override {
        calls.push_back(visible ? "SetGraphVisible(true)" : "SetGraphVisible(false)");
        graph_visible = visible;
        rig.monitor.graph.visible = visible;
    }
    bool IsMaximized() const override { return false; }
    void ApplyLayout() override { calls.push_back("ApplyLayout"); }
    void RefreshAll() override { calls.push_back("RefreshAll"); }

    Rig rig;
    web::HtmlPublisher publisher{rig.monitor, rig.dialogs};
    platform::Timer& html = publisher.publishTimer;
    bool graph_visible = true;
    std::vector<std::string> calls;
};

}  // namespace morvek::testing
