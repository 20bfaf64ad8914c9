// morvek-sim: a simulated Quake-family server on 127.0.0.1 for trying Morvek without a game
// server. Prints the port it listens on.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "sim/netquake_replies.h"
#include "sim/sim_server.h"
#include "sim/status_replies.h"

namespace {

// The replies of every server type, one file per datagram, as seeds for the fuzz targets:
// <folder>/fuzz_netquake/... and <folder>/fuzz_status/....
bool WriteCorpus(const QString& folder) {
    using namespace morvek::sim;
    bool ok = true;
    auto put = [&](const QString& target, const QString& name, const std::string& bytes) {
        QDir(folder).mkpath(target);
        QFile file(QDir(folder).filePath(target + "/" + name));
        ok = ok && file.open(QIODevice::WriteOnly) &&
             file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
    };
    for (const morvek::ServerTypeInfo& info : morvek::kServerTypes) {
        const SimState state = DemoState(info.type);
        const QString prefix = QString::number(morvek::TypeCode(info.type)) + "-";
        if (morvek::IsStatusProtocol(info.type)) {
            put("fuzz_status", prefix + "status",
                info.protocol == morvek::Protocol::QuakeWorld ? BuildQuakeWorldStatus(state)
                                                              : BuildQuakeIIStatus(state));
            continue;
        }
        put("fuzz_netquake", prefix + "server-info", NetQuakeServerInfoReply(state));
        for (int p = 0; p < int(state.players.size()); ++p)
            put("fuzz_netquake", prefix + "player-" + QString::number(p),
                *NetQuakePlayerInfoReply(state, p));
        put("fuzz_netquake", prefix + "rule-first", NetQuakeRuleReply(state, ""));
        put("fuzz_netquake", prefix + "rules-done",
            NetQuakeRuleReply(state, state.rules.back().first));
    }
    return ok;
}

// A name given on the command line: \xNN gives the byte NN, \n and \r a line feed and a carriage
// return, \\ a backslash; every other character is taken as Latin-1.
std::string NameBytes(const QString& text) {
    const std::string in = text.toLatin1().toStdString();
    std::string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\' || i + 1 == in.size()) {
            out += in[i];
            continue;
        }
        const char next = in[++i];
        if (next == 'n') {
            out += '\n';
        } else if (next == 'r') {
            out += '\r';
        } else if (next == 'x' && i + 2 < in.size() &&
                   std::isxdigit(static_cast<unsigned char>(in[i + 1])) &&
                   std::isxdigit(static_cast<unsigned char>(in[i + 2]))) {
            out += static_cast<char>(std::stoi(in.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += next;
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Simulated Quake-family server on 127.0.0.1");
    parser.addHelpOption();
    QCommandLineOption type(
        {"t", "type"}, "Server type: 0 Quake I, 1 QuakeWorld, 2 Hexen II, 3 Quake II.", "n", "0");
    QCommandLineOption port({"p", "port"}, "UDP port (0: any free port).", "port", "0");
    QCommandLineOption players(
        "players", "Number of players (at most 6 named demo players, more are numbered).", "k",
        "6");
    QCommandLineOption delay("delay", "Reply delay in milliseconds.", "ms", "0");
    QCommandLineOption stop("stop-after",
                            "Stop answering this many seconds after the first request.", "s", "-1");
    QCommandLineOption garbage("garbage", "Answer every request with random bytes.");
    QCommandLineOption map_change("map-change-after", "Change the map after this many polls.",
                                  "polls", "0");
    QCommandLineOption next_map("next-map", "The map to change to.", "name", "e1m2");
    QCommandLineOption join("join-after", "The last player joins after this many polls.", "polls",
                            "0");
    QCommandLineOption still("still", "Keep frags, times and pings still.");
    QCommandLineOption name("name",
                            "A player name, given once per player in order (\\xNN is the byte "
                            "NN, \\n a line feed); replaces the demo names.",
                            "text");
    QCommandLineOption limited("one-reply-per-second",
                               "Answer one request per second per address, as a server with a "
                               "flood limit does.");
    QCommandLineOption bots("bots",
                            "The last k players are bots, as a darkplaces server has them: all "
                            "named Bot, at the address botclient, joined together.",
                            "k", "0");
    QCommandLineOption hostname("hostname", "The server name (escapes as for --name).", "text");
    QCommandLineOption corpus("write-corpus",
                              "Write every reply of every server type into this folder, one file "
                              "per datagram (the fuzz targets' seeds), and exit.",
                              "folder");
    parser.addOptions({type, port, players, delay, stop, garbage, map_change, next_map, join, still,
                       name, bots, hostname, limited, corpus});
    parser.process(app);
    if (parser.isSet(corpus)) return WriteCorpus(parser.value(corpus)) ? 0 : 1;

    auto server_type = static_cast<morvek::ServerType>(parser.value(type).toUInt());
    morvek::sim::SimState state = morvek::sim::DemoState(server_type);
    int count = parser.value(players).toInt();
    if (count < 0) count = 0;
    if (count > 64) count = 64;
    while (static_cast<int>(state.players.size()) < count) {
        morvek::sim::SimPlayer p;
        p.name = "Player" + std::to_string(state.players.size() + 1);
        p.user_id = static_cast<int>(state.players.size()) + 1;
        p.address =
            "192.0.2." + std::to_string(10 + p.user_id) + ":" + std::to_string(26000 + p.user_id);
        state.players.push_back(p);
    }
    state.players.resize(std::size_t(count));
    if (parser.isSet(hostname)) state.hostname = NameBytes(parser.value(hostname));
    const QStringList names = parser.values(name);
    for (int i = 0; i < names.size() && i < int(state.players.size()); ++i)
        state.players[std::size_t(i)].name = NameBytes(names[i]);
    const int bot_count = std::min(parser.value(bots).toInt(), int(state.players.size()));
    for (int i = int(state.players.size()) - std::max(bot_count, 0); i < int(state.players.size());
         ++i) {
        state.players[std::size_t(i)].name = "Bot";
        state.players[std::size_t(i)].address = "botclient";
        state.players[std::size_t(i)].seconds = 6;
    }

    morvek::sim::SimOptions options;
    options.port = static_cast<quint16>(parser.value(port).toUInt());
    options.delay_ms = parser.value(delay).toInt();
    options.stop_after_s = parser.value(stop).toDouble();
    options.garbage = parser.isSet(garbage);
    options.map_change_after = parser.value(map_change).toInt();
    options.next_map = parser.value(next_map).toStdString();
    options.join_after = parser.value(join).toInt();
    options.move = !parser.isSet(still);
    if (parser.isSet(limited)) options.reply_interval_ms = 1000;

    morvek::sim::SimServer server(state, options);
    if (!server.Start()) {
        std::fprintf(stderr, "cannot bind 127.0.0.1:%u\n", unsigned(options.port));
        return 1;
    }
    std::printf("port %u\n", unsigned(server.Port()));
    std::fflush(stdout);
    return app.exec();
}
