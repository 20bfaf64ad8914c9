#include "sim/sim_server.h"

#include <QNetworkDatagram>
#include <QTimer>

#include "sim/netquake_replies.h"
#include "sim/status_replies.h"

namespace morvek::sim {

SimServer::SimServer(SimState state, SimOptions options, QObject* parent)
    : QObject(parent),
      state_(std::move(state)),
      options_(std::move(options)),
      random_(options_.seed) {
    connect(&socket_, &QUdpSocket::readyRead, this, &SimServer::ReadPending);
    clock_.start();
    if (options_.join_after > 0 && !state_.players.empty()) {
        joining_.push_back(state_.players.back());
        state_.players.pop_back();
    }
}

bool SimServer::Start() {
    if (!socket_.bind(QHostAddress::LocalHost, options_.port)) return false;
    if (IsNetQuake(state_.type))
        state_.announced_address = "127.0.0.1:" + std::to_string(socket_.localPort());
    return true;
}

void SimServer::ReadPending() {
    while (socket_.hasPendingDatagrams()) {
        QNetworkDatagram datagram = socket_.receiveDatagram();
        if (!datagram.isValid()) break;
        ++requests_;
        if (!since_first_.isValid()) since_first_.start();
        if (!answering_) continue;
        if (options_.stop_after_s >= 0 && since_first_.elapsed() > options_.stop_after_s * 1000)
            continue;
        if (options_.reply_interval_ms > 0) {
            // Only a request the limit lets through starts a new interval.
            const QString from = datagram.senderAddress().toString();
            const auto last = last_answered_.find(from);
            const qint64 now = clock_.elapsed();
            if (last != last_answered_.end() && now - last->second < options_.reply_interval_ms)
                continue;
            if (last_answered_.size() < 1024 || last != last_answered_.end())
                last_answered_[from] = now;
        }
        Answer(datagram.data(), datagram.senderAddress(), quint16(datagram.senderPort()));
    }
}

void SimServer::Send(const std::string& bytes, const QHostAddress& to, quint16 port) {
    QByteArray data(bytes.data(), qsizetype(bytes.size()));
    if (options_.delay_ms <= 0) {
        socket_.writeDatagram(data, to, port);
        return;
    }
    QTimer::singleShot(options_.delay_ms, this,
                       [this, data, to, port] { socket_.writeDatagram(data, to, port); });
}

void SimServer::Poll() {
    ++polls_;
    if (options_.map_change_after > 0 && polls_ == options_.map_change_after + 1)
        state_.map = options_.next_map;
    if (!joining_.empty() && polls_ == options_.join_after + 1) {
        state_.players.push_back(joining_.back());
        joining_.clear();
    }
    if (!options_.move) return;
    std::uniform_int_distribution<int> step(-1, 3);
    std::uniform_int_distribution<int> jitter(-5, 5);
    for (SimPlayer& p : state_.players) {
        int s = step(random_);
        if (s > 0)
            p.frags += s - 1;
        else
            p.frags += s;
        p.ping = std::max(5, p.ping + jitter(random_));
    }
}

void SimServer::Answer(const QByteArray& request, const QHostAddress& to, quint16 port) {
    if (options_.garbage) {
        std::uniform_int_distribution<int> length(0, 64), byte(0, 255);
        std::string junk(std::size_t(length(random_)), '\0');
        for (char& c : junk) c = char(byte(random_));
        Send(junk, to, port);
        return;
    }
    if (options_.move) {
        // Connection times run with the clock, as a real server's do.
        const int whole = int((clock_.elapsed() - aged_ms_) / 1000);
        for (SimPlayer& p : state_.players) p.seconds += whole;
        aged_ms_ += whole * 1000LL;
    }
    std::string_view r(request.constData(), std::size_t(request.size()));
    if (IsNetQuake(state_.type)) {
        using namespace netquake;
        const std::optional<std::string_view> request = ControlBody(r);
        if (!request) return;
        const std::string_view body = *request;
        switch (static_cast<unsigned char>(r[4])) {
            case kServerInfo:
                Poll();
                Send(NetQuakeServerInfoReply(state_), to, port);
                break;
            case kPlayerInfo: {
                unsigned char player = 0;
                if (Reader(body).Byte(player)) {
                    if (auto reply = NetQuakePlayerInfoReply(state_, player))
                        Send(*reply, to, port);
                }
                break;
            }
            case kRuleInfo: {
                std::string_view name = body;
                if (!name.empty() && name.back() == '\0') name.remove_suffix(1);
                Send(NetQuakeRuleReply(state_, name), to, port);
                break;
            }
            default:
                break;
        }
        return;
    }
    if (r.size() >= 10 && r.substr(0, 4) == "\xFF\xFF\xFF\xFF" && r.substr(4, 6) == "status") {
        Poll();
        Send(state_.type == ServerType::QuakeII ? BuildQuakeIIStatus(state_)
                                                : BuildQuakeWorldStatus(state_),
             to, port);
    }
}

}  // namespace morvek::sim
