#include "query/connection.h"

#include <algorithm>
#include <utility>

#include "core/numbers.h"
#include "platform/clock.h"
#include "query/netquake_wire.h"

namespace morvek {

using platform::MessageIcon;

Connection::Connection(Monitor& monitor, MonitorHooks& hooks, QObject* parent)
    : QObject(parent), monitor_(monitor), hooks_(hooks) {
    connect(&check_, &platform::Timer::Tick, this, &Connection::OnPollTick);
    connect(&timeout_, &platform::Timer::Tick, this, &Connection::OnTimeout);
    connect(&socket_, &platform::UdpSocket::Received, this, &Connection::OnDatagram);
    connect(&socket_, &platform::UdpSocket::Error, this, &Connection::OnSocketError);
    connect(&socket_, &platform::UdpSocket::StateChanged, this, [this] {
        // A lookup settled; only the one of a connect in progress finishes anything.
        if (std::exchange(connecting_, false)) FinishConnect();
    });
    connect(&pace_, &platform::Timer::Tick, this, &Connection::PaceTimer);
}

std::string SocketErrorText(int number, const QString& description) {
    return "Error " + IntegerText(static_cast<std::int16_t>(number)) + " (" +
           description.toStdString() + ")";
}

void Connection::SetTraffic(Traffic lamp, bool repaint) {
    monitor_.traffic = lamp;
    if (repaint) hooks_.RepaintTraffic();
}

void Connection::UpdateMenuState() {
    hooks_.UpdateMenuState();
}

void Connection::StopRecording() {
    monitor_.recording = false;
    monitor_.log_path.clear();
    UpdateMenuState();
}

void Connection::Connect() {
    ShowState(monitor_, ConnectionState::TryingToConnect);
    monitor_.retrying = false;
    hooks_.RefreshPanel();

    ClearMatchData(monitor_, hooks_);
    StopPacing();
    pacing_.Reset();
    ResetServerPanel(monitor_);
    hooks_.ShowPlayers();
    ResetLogPlayer(monitor_);

    ShowState(monitor_, ConnectionState::TryingToConnect);
    hooks_.RefreshPanel();

    // A full timeout interval from now, also while a host name is looked up.
    timeout_.SetEnabled(false);
    timeout_.SetEnabled(true);

    socket_.SetLocalPort(0);
    // A dotted address settles at once; a host name is looked up while the program goes on
    // ("Trying to connect"), and the socket's StateChanged finishes the connect. A timeout, a
    // disconnect or the window closing meanwhile closes the socket, and the answer is dropped.
    socket_.Bind();
    connecting_ = socket_.State() == platform::UdpSocket::kResolving;
    if (!connecting_) FinishConnect();
}

void Connection::FinishConnect() {
    timeout_.SetEnabled(false);
    if (socket_.State() != platform::UdpSocket::kError) {
        UpdateMenuState();
        check_.SetEnabled(true);
        OnPollTick();
        return;
    }
    ShowState(monitor_, ConnectionState::Disconnected);
    socket_.Close();
    check_.SetEnabled(false);
    UpdateMenuState();
    hooks_.RefreshPanel();
    emit connectFailed(socket_.BindError());
}

void Connection::Disconnect() {
    StopTalking();
}

void Connection::StopTalking() {
    connecting_ = false;
    socket_.Close();
    StopPacing();
    ShowState(monitor_, ConnectionState::Disconnected);
    monitor_.retrying = false;
    timeout_.SetEnabled(false);
    check_.SetEnabled(false);
    StopRecording();
    hooks_.RefreshPanel();
}

void Connection::OnPollTick() {
    ++monitor_.counters.polls;
    hooks_.SetBusy(true);
    AgePresence(monitor_.table);
    BuildPlayerView(monitor_.table, monitor_.view, monitor_.options.player_sorting,
                    monitor_.options.keep_disconnected, monitor_.options.readable_names,
                    monitor_.options.show_spectators);
    // While a silent server is tried again, the requests go out once per timeout interval: the
    // timeout timer is then the one that runs, and a tick while it runs sends nothing.
    const bool send = !(monitor_.counters.silent && timeout_.Enabled());
    if (!timeout_.Enabled()) timeout_.SetEnabled(true);
    SetTraffic(Traffic::Sending, true);
    if (send && IsNetQuake(monitor_.server_type))
        SendNetQuakeRequests();
    else if (send && IsStatusProtocol(monitor_.server_type))
        SendStatusRequest();
    hooks_.RecordPoint();
    if (monitor_.state == ConnectionState::Connected && monitor_.recording) emit RecordDue();
    SetTraffic(Traffic::Idle, false);
    hooks_.ShowPlayers();
    // While a silent server is tried again the match is not going on: the graph pauses.
    if (monitor_.graph.visible && !monitor_.retrying)
        AddGraphSample(monitor_.graph, 0, monitor_.table, monitor_.options.show_spectators);
    hooks_.RefreshPanel();
    hooks_.SetBusy(false);
}

void Connection::SendNetQuakeRequests() {
    // A burst not judged yet (polls faster than the gap) is judged now.
    if (pacing_.Judging()) JudgeBurst();
    if (pacing_.Paced()) {
        // The paced requests go on at their own pace, whatever the poll interval; they stop when a
        // connection ends or a timeout runs out, and the tick after starts them again.
        if (!pace_.Enabled()) StartPacer();
        return;
    }
    SendBurst();
    // Judged one gap later, unless a tick comes first.
    pace_.SetEnabled(false);
    pace_.SetInterval(pace_gap_ms_);
    pace_.SetEnabled(pace_gap_ms_ > 0);
}

void Connection::SendBurst() {
    socket_.SendData(netquake::ServerInfoRequest(monitor_.server_type));
    monitor_.ping_sent_at = platform::TickCount();
    for (int i = 0; i < 16; ++i) socket_.SendData(netquake::PlayerInfoRequest(std::uint8_t(i)));
    pacing_.BurstSent();
}

void Connection::JudgeBurst() {
    if (!pacing_.Judge()) return;
    // The server limits its answers: from now on a player is heard once per rotation. Players
    // heard in bursts keep their presence until their turn, and the list that arrives over the
    // first rotation is no news.
    const int ticks = pacing_.PresenceTicks(check_.Interval(), !paced_rule_.empty(), pace_gap_ms_);
    auto& table = monitor_.table;
    for (int s = 0; s < kPlayerSlots; ++s)
        if (!IsEmptyMark(table.slot[s][kPresent]))
            table.countdown[s] = std::max<std::int16_t>(table.countdown[s], std::int16_t(ticks));
    monitor_.list_arriving = true;
}

void Connection::StartPacer() {
    pace_.SetEnabled(false);
    pace_.SetInterval(pace_gap_ms_);
    pace_.SetEnabled(pace_gap_ms_ > 0);
}

void Connection::PaceTimer() {
    if (pacing_.Judging()) {
        JudgeBurst();
        if (!pacing_.Paced()) {
            pace_.SetEnabled(false);
            return;
        }
    }
    // A pending rule request takes every other turn.
    if (!paced_rule_.empty() && !last_turn_was_rule_) {
        last_turn_was_rule_ = true;
        if (rule_sends_ > kRuleRetries) {
            paced_rule_.clear();  // the server never answered it: the listing stops here
        } else {
            ++rule_sends_;
            socket_.SendData(paced_rule_);
            monitor_.ping_sent_at = 0;
            return;
        }
    }
    last_turn_was_rule_ = false;
    const NetQuakePacing::Request next = pacing_.Next();
    if (pacing_.Rotations() > 0) monitor_.list_arriving = false;
    switch (next.kind) {
        case NetQuakePacing::Request::kProbe:
            SendBurst();
            break;
        case NetQuakePacing::Request::kServerInfo:
            socket_.SendData(netquake::ServerInfoRequest(monitor_.server_type));
            monitor_.ping_sent_at = platform::TickCount();
            break;
        case NetQuakePacing::Request::kPlayer:
            socket_.SendData(netquake::PlayerInfoRequest(next.player));
            // Only the server-information reply gives the ping: a later reply to this must not.
            monitor_.ping_sent_at = 0;
            break;
    }
}

void Connection::SendRuleRequest(std::string request) {
    if (!pacing_.Paced()) {
        socket_.SendData(request);
        return;
    }
    // Sent in the next free slot, and again while unanswered.
    paced_rule_ = std::move(request);
    rule_sends_ = 0;
}

void Connection::StopPacing() {
    pace_.SetEnabled(false);
    paced_rule_.clear();
    monitor_.list_arriving = false;
}

void Connection::SendStatusRequest() {
    socket_.SendData(status::StatusRequest(monitor_.options.show_spectators &&
                                           monitor_.server_type == ServerType::QuakeWorld));
    monitor_.ping_sent_at = platform::TickCount();
}

void Connection::OnTimeout() {
    // After a refused request the timeout only spaces the next try: nothing timed out.
    if (!std::exchange(refused_, false)) ++monitor_.counters.timeouts;
    monitor_.counters.silent = true;
    if (monitor_.options.keep_trying) {
        KeepTrying();
        return;
    }
    // Both timers stop before the message, so no second timeout can stack behind the first while
    // it is open.
    timeout_.SetEnabled(false);
    check_.SetEnabled(false);
    StopPacing();
    emit told({Notice::Kind::TimedOut, kTimeoutText, kTimeoutTitle, MessageIcon::Critical});
    // Stopped again: a reply read while the box was open may have started them.
    StopTalking();
}

void Connection::KeepTrying() {
    // No box and no stop: the state says the server is being tried again, polling goes on, and
    // recording resumes with the first reply (records are written only while Connected).
    timeout_.SetEnabled(false);
    // The server is asked afresh when it answers again: a burst first, judged anew.
    StopPacing();
    pacing_.Reset();
    monitor_.retrying = true;
    ShowState(monitor_, ConnectionState::TryingToConnect);
    UpdateMenuState();
    hooks_.RefreshPanel();
}

void Connection::OnSocketError(int number, const QString& description) {
    // A port that refuses is a server whose process is gone (crashed, or restarting): silence that
    // the server has told at once, and it stays so at every request until the server is back.
    if (number == kRefusedError)
        ++monitor_.counters.refusals;
    else
        ++monitor_.counters.socket_errors;
    monitor_.counters.silent = true;
    if (monitor_.options.keep_trying) {
        // The next request goes out a timeout interval after the refused one, as after a timeout;
        // the socket opens again for it.
        socket_.Close();
        StopPacing();
        pacing_.Reset();
        refused_ = true;
        if (!timeout_.Enabled()) timeout_.SetEnabled(true);
        monitor_.retrying = true;
        ShowState(monitor_, ConnectionState::TryingToConnect);
        UpdateMenuState();
        hooks_.RefreshPanel();
        return;
    }
    // Told once: the connection ends as after a timeout, so no later request meets the refusal.
    StopTalking();
    emit told({Notice::Kind::SocketFailed, SocketErrorText(number, description), kAppTitle,
               MessageIcon::None});
}

void Connection::DisconnectOnMapChange() {
    SetTraffic(Traffic::Idle, false);
    StopTalking();
    emit told({Notice::Kind::MapChanged, kMapChangedText, kAppTitle, MessageIcon::Information});
}

void Connection::OnDatagram(int /*bytes_total*/) {
    // A copy: a box opened while it is handled lets the next datagrams replace the socket's.
    const std::string datagram = socket_.GetData();
    // What a NetQuake server sends outside its control header is no reply: dropped unseen.
    if (IsNetQuake(monitor_.server_type) && !netquake::ControlBody(datagram)) return;
    ++datagrams_;
    ++monitor_.counters.replies;
    if (std::exchange(monitor_.counters.silent, false)) {
        // Back after a silence, perhaps restarted with other players: they are counted afresh.
        StartRollCall(monitor_.table);
        roll_count_ = -1;
        roll_orders_.reset();
    }
    monitor_.retrying = false;
    refused_ = false;
    timeout_.SetEnabled(false);
    SetTraffic(Traffic::Receiving, true);
    ShowState(monitor_, ConnectionState::Connected);
    UpdateMenuState();
    HandleDatagram(datagram);
}

void Connection::HandleDatagram(std::string_view datagram) {
    if (monitor_.ping_sent_at != 0) {
        monitor_.snapshot.ping =
            IntegerText(static_cast<long long>(platform::TickCount() - monitor_.ping_sent_at));
        monitor_.ping_sent_at = 0;
    }
    bool reset_lamp = true;
    switch (ProtocolOf(monitor_.server_type)) {
        case Protocol::NetQuake:
            reset_lamp = ApplyNetQuake(netquake::Decode(datagram, monitor_.server_type));
            break;
        case Protocol::QuakeWorld:
            ApplyStatus(status::DecodeQuakeWorld(datagram, monitor_.options.show_spectators));
            break;
        case Protocol::QuakeII:
            ApplyStatus(status::DecodeQuakeII(datagram));
            break;
        case Protocol::None:
            break;
    }
    if (reset_lamp) SetTraffic(Traffic::Idle, false);
    hooks_.RefreshPanel();
}

void Connection::AnnounceMap(const std::string& map) {
    if (!monitor_.snapshot.map.empty() && map != monitor_.snapshot.map &&
        monitor_.options.disconnect_on_map_change == 1)
        DisconnectOnMapChange();
    monitor_.snapshot.map = map;
}

bool Connection::ApplyNetQuake(const netquake::Reply& reply) {
    auto& snap = monitor_.snapshot;
    if (const auto* info = std::get_if<netquake::ServerInfo>(&reply)) {
        snap.address = info->address;
        snap.port = info->port;
        snap.name = info->name;
        AnnounceMap(info->map);
        snap.players = info->players;
        pacing_.ServerInfoReply(int(LeadingNumber(info->players)));
        const double count = LeadingNumber(info->players);
        roll_count_ = count > 0 ? int(std::min(count, double(roll_orders_.size()))) : 0;
        EndRollCallWhenWhole();
        SetMaxPlayers(monitor_, info->max_players);
        snap.version = monitor_.server_type == ServerType::QuakeI ? info->version : std::string();
    } else if (const auto* player = std::get_if<netquake::PlayerInfo>(&reply)) {
        auto& table = monitor_.table;
        StartIncoming(table);
        table.incoming[kName] = player->name;
        table.incoming[kShirt] = player->shirt;
        table.incoming[kPants] = player->pants;
        table.incoming[kFrags] = player->frags;
        table.incoming[kTime] = player->time;
        table.incoming[kAddress] = player->address;
        table.incoming[kPort] = player->port;
        table.incoming_countdown = std::int16_t(
            pacing_.PresenceTicks(check_.Interval(), !paced_rule_.empty(), pace_gap_ms_));
        table.incoming_identity = {player->whole_address,
                                   std::int64_t(platform::TickCount()) - player->seconds * 1000LL,
                                   player->number};
        CommitIncoming(table, monitor_.server_type);
        if (player->number >= 0 && player->number < int(roll_orders_.size()))
            roll_orders_.set(std::size_t(player->number));
        EndRollCallWhenWhole();
        pacing_.PlayerReply();
        hooks_.ShowPlayers();
    } else if (const auto* rule = std::get_if<netquake::RuleInfo>(&reply)) {
        RulesList& rules = monitor_.rules;
        if (!rules.shown || !rules.listing) return false;
        paced_rule_.clear();
        if (rules.lines.size() >= kMaxNetQuakeRules ||
            !rules.listed_names.insert(rule->name).second) {
            EndRuleListing();
            return true;
        }
        AddRuleLine(rules, rule->name, rule->value, kNetQuakeRuleWidth);
        SendRuleRequest(netquake::NextRuleRequest(rule->name));
    } else if (std::holds_alternative<netquake::RulesDone>(reply)) {
        if (!monitor_.rules.shown) return false;
        EndRuleListing();
    } else if (const auto* unknown = std::get_if<netquake::UnknownCode>(&reply)) {
        emit told(
            {Notice::Kind::UnknownReply, IntegerText(unknown->code), kAppTitle, MessageIcon::None});
    }
    return true;
}

void Connection::EndRollCallWhenWhole() {
    // NetQuake players are numbered 0 to the server's count less one in every round of replies.
    if (!monitor_.table.roll_call || roll_count_ < 0) return;
    for (int n = 0; n < roll_count_; ++n)
        if (!roll_orders_[std::size_t(n)]) return;
    EndRollCall(monitor_.table);
    hooks_.ShowPlayers();
}

void Connection::EndRuleListing() {
    paced_rule_.clear();
    monitor_.rules.listing = false;
    monitor_.rules.caption = kRulesDone;
    ++monitor_.rules.revision;
}

void Connection::ApplyStatus(const status::StatusReply& reply) {
    if (!reply.valid) return;
    auto& snap = monitor_.snapshot;
    monitor_.rules.Clear();
    for (const auto& setting : reply.settings) {
        switch (setting.kind) {
            case status::Setting::kHostname:
                snap.name = setting.value;
                break;
            case status::Setting::kVersion:
                snap.version = setting.value;
                break;
            case status::Setting::kMap:
                AnnounceMap(setting.value);
                break;
            case status::Setting::kMaxClients:
                SetMaxPlayers(monitor_, setting.value);
                break;
            case status::Setting::kRule:
                AddRuleLine(monitor_.rules, setting.key, setting.value, kStatusRuleWidth);
                break;
        }
    }
    // The list is complete with each reply: the caption no longer says the work goes on.
    monitor_.rules.caption = kRulesListed;
    ++monitor_.rules.revision;
    snap.address = socket_.RemoteHostIP();
    snap.port = IntegerText(socket_.RemotePort());
    // Counted before this reply's players are committed: the count reports the earlier replies.
    const bool spectators = monitor_.options.show_spectators;
    snap.players = IntegerText(CountPresent(monitor_.table, spectators));
    auto& table = monitor_.table;
    for (const auto& player : reply.players) {
        StartIncoming(table);
        table.incoming[kFrags] = player.frags;
        table.incoming[kTime] = player.time;
        table.incoming[kPort] = player.ping;
        table.incoming[kName] = player.name;
        // A spectator is held with the server's mark, however the reply marked it.
        if (spectators && player.spectator && !IsSpectatorName(player.name))
            table.incoming[kName] = std::string(kSpectatorMark) + player.name;
        table.incoming[kAddress] = player.skin;
        table.incoming[kShirt] = player.shirt;
        table.incoming[kPants] = player.pants;
        // QuakeWorld: the user id; Quake II: which of the players of one name.
        if (ProtocolOf(monitor_.server_type) == Protocol::QuakeII)
            table.incoming_identity.order = int(LeadingNumber(player.user_id));
        else
            table.incoming_identity.key = player.user_id;
        CommitIncoming(table, monitor_.server_type);
    }
    // Each reply lists every player.
    EndRollCall(table);
    hooks_.ShowPlayers();
}

void Connection::ShowRules() {
    if (IsNetQuake(monitor_.server_type)) {
        monitor_.rules.Clear();
        timeout_.SetEnabled(true);
        monitor_.rules.shown = true;
        monitor_.rules.listing = true;
        SendRuleRequest(netquake::FirstRuleRequest());
    }
    monitor_.rules.shown = true;
}

void Connection::CloseRules() {
    paced_rule_.clear();
    monitor_.rules.Unload();
}

}  // namespace morvek
