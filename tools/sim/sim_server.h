// A simulated Quake-family server on 127.0.0.1: answers the requests of its server type from a
// SimState that moves on at every poll (frags, connection times, pings), and can change map,
// delay its replies, stop answering or answer with garbage.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QUdpSocket>
#include <cstdint>
#include <map>
#include <random>
#include <string>

#include "sim/sim_state.h"

namespace morvek::sim {

struct SimOptions {
    quint16 port = 0;          // 0: any free port
    int delay_ms = 0;          // reply delay
    double stop_after_s = -1;  // stop answering this many seconds after the first request
    bool garbage = false;      // answer every request with random bytes
    int map_change_after = 0;  // polls before the map changes (0: never)
    int join_after = 0;        // polls before the last player joins (0: there from the start)
    std::string next_map = "e1m2";
    bool move = true;  // frags and pings move at every poll, connection times with the clock
    // Like a server with a flood limit: after a request it answers, requests from the same address
    // get no reply for this many milliseconds (0: every request is answered).
    int reply_interval_ms = 0;
    unsigned seed = 1;
};

class SimServer : public QObject {
    Q_OBJECT
  public:
    SimServer(SimState state, SimOptions options, QObject* parent = nullptr);

    // Binds 127.0.0.1 on the given port (0: any); false when that fails.
    bool Start();
    quint16 Port() const { return socket_.localPort(); }

    SimState& State() { return state_; }
    void SetAnswering(bool answering) { answering_ = answering; }
    int Polls() const { return polls_; }
    int RequestsReceived() const { return requests_; }

  private:
    void ReadPending();
    void Answer(const QByteArray& request, const QHostAddress& to, quint16 port);
    void Send(const std::string& bytes, const QHostAddress& to, quint16 port);
    void Poll();

    SimState state_;
    SimOptions options_;
    std::vector<SimPlayer> joining_;  // the player held back until join_after
    QUdpSocket socket_;
    QElapsedTimer since_first_;
    QElapsedTimer clock_;
    qint64 aged_ms_ = 0;                       // the clock when connection times last moved on
    std::map<QString, qint64> last_answered_;  // per sender address, for reply_interval_ms
    bool answering_ = true;
    int polls_ = 0;
    int requests_ = 0;
    std::mt19937 random_;
};

}  // namespace morvek::sim
