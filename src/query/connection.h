// Connection and polling: owns the socket and the poll and timeout timers, sends the requests of
// the server type on every poll tick, turns every arriving datagram into the Connected state
// before its decoder runs, applies decoded replies to the picture, and brings the monitor back to
// Disconnected on a user disconnect, a timeout, a socket error or a map change.
#pragma once

#include <QObject>
#include <bitset>
#include <string>
#include <string_view>
#include <vector>

#include "core/hooks.h"
#include "core/monitor.h"
#include "platform/dialogs.h"
#include "platform/timer.h"
#include "platform/udp_socket.h"
#include "query/netquake.h"
#include "query/pacing.h"
#include "query/status.h"

namespace morvek {

inline constexpr const char* kAppTitle = "Morvek";
inline constexpr const char* kTimeoutTitle = "Brelan+";
inline constexpr const char* kTimeoutText =
    "Timeout time elapsed. Please reconfigure Server Address and port or increase Timeout.";
inline constexpr const char* kMapChangedText = "Map changed: disconnecting.";
// The socket's number for a port where nothing listens (the server's process is gone).
inline constexpr int kRefusedError = 10061;

// Something the user is told: the text and title as users know them. The front-end decides how
// (a box in the window, a message line in the headless monitor).
struct Notice {
    enum class Kind { TimedOut, SocketFailed, MapChanged, UnknownReply };
    Kind kind;
    std::string text;
    std::string title;
    platform::MessageIcon icon;
};

// "Error 10061 (Connection refused)": the socket's number and its description.
std::string SocketErrorText(int number, const QString& description);

class Connection : public QObject {
    Q_OBJECT
  public:
    Connection(Monitor& monitor, MonitorHooks& hooks, QObject* parent = nullptr);

    platform::UdpSocket& socket() { return socket_; }
    platform::Timer& pollTimer() { return check_; }
    platform::Timer& timeoutTimer() { return timeout_; }

    // The "&Connect" command: connect and, when that succeeds, start polling with one tick at once.
    // A host name is looked up meanwhile without blocking; the state says "Trying to connect".
    void Connect();
    // The "&Disconnect" command.
    void Disconnect();
    // The "&Stop recording" command, also run whenever a connection ends.
    void StopRecording();
    // Tells the front-end that the commands on offer follow the state and recording again.
    void UpdateMenuState();

    void OnPollTick();
    void OnTimeout();
    void OnDatagram(int bytes_total);
    void OnSocketError(int number, const QString& description);
    void DisconnectOnMapChange();

    // The rules command: for NetQuake servers empties the list, starts the timeout and asks for
    // the first rule; the list is then shown (the window sets rules.shown) for every type.
    void ShowRules();
    // The rules window is closed: its list goes, and a NetQuake listing stops.
    void CloseRules();

    // Steps 5 to 8 of the handling of a datagram (read, ping, decode, lamp); public so the
    // decoders can be driven with bytes in tests.
    void HandleDatagram(std::string_view datagram);

    // How many datagrams arrived since the program started.
    std::uint64_t DatagramsReceived() const { return datagrams_; }

    // NetQuake requests paced for a server with a flood limit (query/pacing.h).
    const NetQuakePacing& Pacing() const { return pacing_; }
    // The time between two paced requests; tests shorten it together with the simulator's limit.
    void SetPaceGap(int gap_ms) { pace_gap_ms_ = gap_ms; }
    // An unanswered paced rule request is sent again at most this many times.
    static constexpr int kRuleRetries = 3;

  signals:
    // The poll tick reached the point where a log record is due (Connected and recording): the
    // front-end connects the log recorder here, so the connection knows nothing of logs.
    void RecordDue();
    // Raised where the user is told something, before or after the state changes as the handler
    // says; a front-end may show a modal box here, and the connection goes on after it returns.
    void told(const morvek::Notice& notice);
    // Connecting failed (a host that cannot be resolved, no socket): the state is Disconnected
    // again. The window says nothing; `why` is for a log line.
    void connectFailed(const std::string& why);

  private:
    void SendNetQuakeRequests();
    void SendStatusRequest();
    // Returns false when a NetQuake rule reply was ignored (the lamp stays bright green).
    bool ApplyNetQuake(const netquake::Reply& reply);
    void EndRuleListing();
    // NetQuake: ends a roll call once the server's count is known and every player number below
    // it was heard since the roll call began.
    void EndRollCallWhenWhole();
    void ApplyStatus(const status::StatusReply& reply);
    void AnnounceMap(const std::string& map);
    void SetTraffic(Traffic lamp, bool repaint);
    // The socket is open, or could not be: poll, or go back to Disconnected.
    void FinishConnect();
    // A timeout or a socket error with "Keep trying after a timeout" on.
    void KeepTrying();
    // The server information and the sixteen player requests at once.
    void SendBurst();
    // Judges the last burst (query/pacing.h); when pacing starts, the players already listed stay
    // present until their turn.
    void JudgeBurst();
    void StartPacer();
    // A paced turn: a burst to judge first, then the next request of the rotation, a pending rule
    // request taking every other turn.
    void PaceTimer();
    void SendRuleRequest(std::string request);
    void StopPacing();
    // Every way of ending the talk with the server ends it alike: socket closed, pacing and the
    // timeout stopped, both timers stopped, state Disconnected, recording ended, panel refreshed.
    void StopTalking();

    Monitor& monitor_;
    MonitorHooks& hooks_;
    platform::UdpSocket socket_;
    platform::Timer check_{5000};
    platform::Timer timeout_{30000};
    std::uint64_t datagrams_ = 0;
    // The last request was refused: the timeout that follows counts no timeout.
    bool refused_ = false;
    bool connecting_ = false;  // a connect waits for its host name to be looked up
    // NetQuake, during a roll call: the server's count (-1: not told yet), the numbers heard.
    int roll_count_ = -1;
    std::bitset<16> roll_orders_;

    NetQuakePacing pacing_;
    platform::Timer pace_{NetQuakePacing::kGapMs};
    int pace_gap_ms_ = NetQuakePacing::kGapMs;
    std::string paced_rule_;  // empty: none pending
    int rule_sends_ = 0;
    bool last_turn_was_rule_ = false;
};

}  // namespace morvek
