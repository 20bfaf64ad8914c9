#include "query/netquake.h"

#include <cstring>

#include "core/numbers.h"

namespace morvek::netquake {

namespace {

constexpr unsigned char kControl = 0x80;
constexpr int kHeader = 5;

enum Code : unsigned char {
    kServerInfo = 0x02,
    kPlayerInfo = 0x03,
    kRuleInfo = 0x04,
    kServerInfoReply = 0x83,
    kPlayerInfoReply = 0x84,
    kRuleInfoReply = 0x85,
};

// Header with the one-byte length at offset 3 (requests never exceed 255 bytes).
std::string Control(unsigned char code, std::string_view body) {
    std::string out;
    out += char(kControl);
    out += '\0';
    out += '\0';
    out += char(static_cast<unsigned char>(kHeader + body.size()));
    out += char(code);
    out.append(body);
    return out;
}

// Bounds-checked reads over a reply body.
class Cursor {
  public:
    explicit Cursor(std::string_view data) : data_(data) {}
    // A string up to its 00; false when the terminator is missing.
    bool String(std::string& out) {
        if (pos_ > data_.size()) return false;
        std::size_t end = data_.find('\0', pos_);
        if (end == std::string_view::npos) return false;
        out.assign(data_.substr(pos_, end - pos_));
        pos_ = end + 1;
        return true;
    }
    bool Byte(unsigned char& out) {
        if (pos_ >= data_.size()) return false;
        out = static_cast<unsigned char>(data_[pos_++]);
        return true;
    }
    // 4 bytes little-endian, also handing back the first byte.
    bool Long(std::int32_t& out) {
        if (data_.size() < 4 || pos_ > data_.size() - 4) return false;
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(data_[pos_ + i]);
        std::memcpy(&out, &v, sizeof out);
        pos_ += 4;
        return true;
    }
    bool AtEnd() const { return pos_ >= data_.size(); }

  private:
    std::string_view data_;
    std::size_t pos_ = 0;
};

Reply DecodeServerInfo(std::string_view body, ServerType type) {
    Cursor in(body);
    ServerInfo info;
    std::string address;
    unsigned char players = 0, max_players = 0, version = 0;
    if (!in.String(address) || !in.String(info.name) || !in.String(info.map) || !in.Byte(players) ||
        !in.Byte(max_players) || !in.Byte(version))
        return Malformed{};
    std::size_t colon = address.find(':');
    if (colon == std::string::npos) return Malformed{};
    info.address = address.substr(0, colon);
    info.port = address.substr(colon + 1);
    info.players = IntegerText(players);
    info.max_players = IntegerText(max_players);
    if (type == ServerType::QuakeI) info.version = IntegerText(version);
    return info;
}

Reply DecodePlayerInfo(std::string_view body) {
    Cursor in(body);
    PlayerInfo player;
    unsigned char number = 0;
    std::int32_t colours = 0, frags = 0, seconds = 0;
    std::string address;
    if (!in.Byte(number) || !in.String(player.name) || !in.Long(colours) || !in.Long(frags) ||
        !in.Long(seconds) || !in.String(address))
        return Malformed{};
    // Only the first byte of the colours long counts: shirt in the high nibble, pants in the low.
    unsigned c = static_cast<unsigned>(colours) & 0xFF;
    player.shirt = IntegerText(c / 16);
    player.pants = IntegerText(c - 16 * (c / 16));
    player.frags = IntegerText(frags);
    player.time = DecimalText(static_cast<double>(seconds) / 60.0);
    std::size_t colon = address.find(':');
    if (colon == std::string::npos) {
        player.address = address;
    } else {
        player.address = address.substr(0, colon);
        player.port = address.substr(colon + 1);
    }
    return player;
}

Reply DecodeRuleInfo(std::string_view body) {
    if (body.empty()) return RulesDone{};
    Cursor in(body);
    RuleInfo rule;
    if (!in.String(rule.name)) return Malformed{};
    // The value is missing when the name's terminator is the datagram's last byte.
    if (!in.AtEnd() && !in.String(rule.value)) return Malformed{};
    return rule;
}

}  // namespace

std::string ServerInfoRequest(ServerType type) {
    if (type == ServerType::HexenII)
        return Control(kServerInfo, std::string_view("HEXENII\0\x05", 9));
    return Control(kServerInfo, std::string_view("QUAKE\0\x03", 7));
}

std::string PlayerInfoRequest(std::uint8_t player) {
    return Control(kPlayerInfo, std::string(1, char(player)));
}

std::string FirstRuleRequest() {
    return Control(kRuleInfo, std::string(1, '\0'));
}

std::string NextRuleRequest(std::string_view name) {
    return Control(kRuleInfo, name.substr(0, 250));
}

Reply Decode(std::string_view datagram, ServerType type) {
    if (datagram.size() < kHeader) return Malformed{};
    const auto code = static_cast<unsigned char>(datagram[4]);
    std::string_view body = datagram.substr(kHeader);
    switch (code) {
        case kServerInfoReply:
            return DecodeServerInfo(body, type);
        case kPlayerInfoReply:
            return DecodePlayerInfo(body);
        case kRuleInfoReply:
            return DecodeRuleInfo(body);
        default:
            return UnknownCode{code};
    }
}

}  // namespace morvek::netquake
