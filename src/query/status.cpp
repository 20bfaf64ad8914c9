#include "query/status.h"

#include <algorithm>
#include <array>
#include <optional>

namespace morvek::status {

std::string StatusRequest(bool spectators) {
    if (spectators) return std::string("\xFF\xFF\xFF\xFFstatus 23", 13);
    return std::string("\xFF\xFF\xFF\xFFstatus ", 11);
}

namespace {

// Blanks appended after the datagram. The player steps look for the blank that ends a token and
// drop a fixed number of characters after a delimiter; on a line that runs into the end of the
// datagram they consume at most nine of these blanks before the last step takes the whole rest,
// so any padding of ten or more gives the same result as an endless run of blanks.
constexpr std::size_t kPadding = 64;

// The unread rest of a reply: the datagram followed by blanks, read from the front. Every step
// either finds its delimiter and drops the text it read, or changes nothing.
class Rest {
  public:
    explicit Rest(std::string_view datagram) : end_(datagram.size()) {
        text_.reserve(datagram.size() + kPadding);
        text_.append(datagram);
        text_.append(kPadding, ' ');
    }

    char First() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

    // True when nothing but blanks is left (or nothing at all).
    bool Blank() const {
        for (std::size_t i = pos_; i < text_.size(); ++i)
            if (text_[i] != ' ') return false;
        return true;
    }

    std::size_t Position() const { return pos_; }

    void Drop(std::size_t count) { pos_ = std::min(text_.size(), pos_ + count); }

    // The text before the next `delimiter`; drops it, the delimiter and `extra` more characters.
    // Nothing when the delimiter does not occur in the rest (the rest is then left unchanged).
    std::optional<std::string_view> TakeBefore(char delimiter, std::size_t extra = 0) {
        std::size_t at = text_.find(delimiter, pos_);
        if (at == std::string::npos) return std::nullopt;
        std::string_view token(text_.data() + pos_, at - pos_);
        pos_ = at;
        Drop(1 + extra);
        return token;
    }

    // Everything that is left, blanks included; the rest is then empty.
    std::string_view TakeAll() {
        std::string_view all(text_.data() + pos_, text_.size() - pos_);
        pos_ = text_.size();
        return all;
    }

    // What is left of the datagram itself (without the blanks after it); the rest is then empty.
    std::string_view TakeToEndOfData() {
        std::string_view data;
        if (pos_ < end_) data = std::string_view(text_.data() + pos_, end_ - pos_);
        pos_ = text_.size();
        return data;
    }

  private:
    std::string text_;
    std::size_t end_;
    std::size_t pos_ = 0;
};

// The numeric value of a token, as decimal text: its leading number (an optional sign followed by
// digits), or 0 when the token does not start with one. The digits are kept as they are, so no
// value is ever clamped: "+007" gives "7", "-0" gives "0", "12abc" gives "12".
std::string NumberText(std::string_view token) {
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        negative = token[i] == '-';
        ++i;
    }
    std::size_t first = i;
    while (i < token.size() && token[i] >= '0' && token[i] <= '9') ++i;
    if (i == first) return "0";
    while (first + 1 < i && token[first] == '0') ++first;
    std::string_view digits = token.substr(first, i - first);
    if (digits == "0") return "0";
    std::string text;
    text.reserve(digits.size() + 1);
    if (negative) text += '-';
    text.append(digits);
    return text;
}

// The settings line: "\" key "\" value ... up to a newline. The rest starts after the "\" that
// opens the line.
void DecodeSettings(Rest& rest, std::vector<Setting>& settings, const Game& game) {
    // Every pass drops at least the "\" after the key, so the loop ends.
    while (auto key = rest.TakeBefore('\\')) {
        std::string_view value;
        if (auto before_backslash = rest.TakeBefore('\\'))
            value = *before_backslash;
        else if (auto before_newline = rest.TakeBefore('\n'))
            value = *before_newline;
        else
            value = rest.TakeToEndOfData();  // the line runs to the end of the datagram
        if (std::optional<Setting::Kind> kind = KindOf(game, *key))
            settings.push_back(Setting{*kind, std::string(*key), std::string(value)});
    }
}

// One player line, field by field as the game describes it. A field whose end is missing is
// left empty and the next one reads the unchanged rest. Nothing when the name could not be read
// (no quote was left in the datagram): committing the line would put a nameless player into a
// free slot.
std::optional<Player> DecodePlayer(Rest& rest, const Game& game) {
    std::array<std::optional<std::string_view>, kFieldCount> token;
    for (const LineField& f : game.line) {
        auto& t = token[std::size_t(f.field)];
        t = rest.TakeBefore(f.end.front(), f.end.size() - 1);
        if (!t && f.to_end) t = rest.TakeAll();
    }
    const auto text = [&](Field f) {
        const auto& t = token[std::size_t(f)];
        return t ? std::string(*t) : std::string();
    };
    const auto number = [&](Field f) {
        const auto& t = token[std::size_t(f)];
        return t ? NumberText(*t) : std::string();
    };
    if (!token[std::size_t(Field::kName)]) return std::nullopt;
    Player player{number(Field::kFrags),        number(Field::kMinutes), text(Field::kPing),
                  text(Field::kName),           text(Field::kSkin),      number(Field::kTopColour),
                  number(Field::kBottomColour), text(Field::kUserId)};
    // A QuakeWorld spectator: frags "S", or the name marked "\s\".
    if (&game == &kQuakeWorld)
        player.spectator = text(Field::kFrags) == "S" || IsSpectatorName(player.name);
    return player;
}

void DecodePlayers(Rest& rest, const Game& game, std::vector<Player>& players) {
    while (!rest.Blank()) {
        const std::size_t before = rest.Position();
        if (std::optional<Player> player = DecodePlayer(rest, game)) {
            // Quake II has no user id: players of one name are told apart by their order.
            if (&game == &kQuakeII)
                player->user_id = std::to_string(
                    std::count_if(players.begin(), players.end(),
                                  [&](const Player& other) { return other.name == player->name; }));
            players.push_back(std::move(*player));
        }
        // A rest that is not blank still holds the datagram's own text, so the blanks appended
        // after it are all ahead and the first field has dropped at least one character. Kept as
        // a guard all the same: a pass that reads nothing ends the decoding.
        if (rest.Position() == before) break;
    }
}

// Both status replies open alike: a datagram of at most kMaxStatusReply bytes whose first byte is
// FF is a reply (marked valid); its four FF bytes and the two characters after them are skipped.
std::optional<Rest> OpenStatusReply(std::string_view datagram, StatusReply& reply) {
    if (datagram.size() > kMaxStatusReply) return std::nullopt;
    Rest rest(datagram);
    if (static_cast<unsigned char>(rest.First()) != 0xFF) return std::nullopt;
    reply.valid = true;
    rest.Drop(6);
    return rest;
}

}  // namespace

StatusReply DecodeQuakeWorld(std::string_view datagram, bool spectators) {
    StatusReply reply;
    std::optional<Rest> opened = OpenStatusReply(datagram, reply);
    if (!opened) return reply;
    Rest& rest = *opened;
    // The two characters skipped were the reply type and the "\" that opens the settings line.
    if (spectators) {
        const auto line = rest.TakeBefore('\n');
        Rest settings(line ? *line : rest.TakeToEndOfData());
        DecodeSettings(settings, reply.settings, kQuakeWorld);
    } else {
        DecodeSettings(rest, reply.settings, kQuakeWorld);
    }
    DecodePlayers(rest, kQuakeWorld, reply.players);
    return reply;
}

StatusReply DecodeQuakeII(std::string_view datagram) {
    StatusReply reply;
    std::optional<Rest> opened = OpenStatusReply(datagram, reply);
    if (!opened) return reply;
    Rest& rest = *opened;
    // The two characters skipped begin the reply type; the rest of its line, the newline and the
    // "\" that opens the settings line follow.
    rest.TakeBefore('\n', 1);
    DecodeSettings(rest, reply.settings, kQuakeII);
    DecodePlayers(rest, kQuakeII, reply.players);
    return reply;
}

}  // namespace morvek::status
