// Arbitrary datagrams through the NetQuake decoder and into the picture, for both game types and
// with the rules window open, so replies of every kind are applied.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/hooks.h"
#include "query/connection.h"
#include "query/netquake.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    static morvek::Monitor monitor;
    static morvek::MonitorHooks hooks;
    static morvek::Connection connection(monitor, hooks);
    monitor.options.disconnect_on_map_change = size % 2;
    monitor.rules.shown = monitor.rules.listing = size % 3 == 0;
    for (morvek::ServerType type : {morvek::ServerType::QuakeI, morvek::ServerType::HexenII}) {
        (void)morvek::netquake::Decode(bytes, type);
        monitor.server_type = type;
        connection.HandleDatagram(bytes);
    }
    if (monitor.rules.lines.size() > 1000) monitor.rules.Clear();
    return 0;
}
