// The NetQuake control datagram (Quake I and Hexen II), both ways, described once:
//   offset 0  80             control flag
//   offset 1  00
//   offset 2  2 bytes        total length, header included, big-endian
//   offset 4  1 byte         command or reply code
//   offset 5  ...            body: strings end with 00; longs are 4-byte little-endian signed
//
// Requests: 02 server information (game name, 00, protocol version: "QUAKE" 03, "HEXENII" 05),
// 03 player information (player number), 04 rule information (the previous rule's name; an empty
// name asks for the first rule).
// Replies: 83 server information (address "host:port", server name, map, current players byte,
// maximum players byte, protocol version byte), 84 player information (number byte, name, colours
// long, frags long, connection seconds long, address "host:port"), 85 rule information (name,
// value; a reply with no body ends the list).
//
// A datagram whose first two bytes are not 80 00, or whose length field is not its size, is not a
// control datagram and is dropped whole.
//
// Reader and Writer are the two halves of each primitive (string, byte, long), and each reply's
// layout below is written once for both: the decoders read a reply through it, and the simulated
// server writes one through it, so the two cannot drift apart.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace morvek::netquake {

inline constexpr unsigned char kControl = 0x80;
inline constexpr std::size_t kHeaderSize = 5;

enum Code : unsigned char {
    kServerInfo = 0x02,
    kPlayerInfo = 0x03,
    kRuleInfo = 0x04,
    kServerInfoReply = 0x83,
    kPlayerInfoReply = 0x84,
    kRuleInfoReply = 0x85,
};

// Bounds-checked reads over a datagram body; each returns false, reading nothing, when the body
// ends first, and once one has failed every later one fails too.
class Reader {
  public:
    explicit Reader(std::string_view data) : data_(data) {}
    // A string up to its 00; false when the terminator is missing.
    bool String(std::string& out) {
        const std::size_t end = ok_ ? data_.find('\0', pos_) : std::string_view::npos;
        if (end == std::string_view::npos) return ok_ = false;
        out.assign(data_.substr(pos_, end - pos_));
        pos_ = end + 1;
        return true;
    }
    // A string that may be missing altogether where the datagram ends.
    bool LastString(std::string& out) { return AtEnd() ? ok_ : String(out); }
    bool Byte(unsigned char& out) {
        if (!ok_ || pos_ >= data_.size()) return ok_ = false;
        out = static_cast<unsigned char>(data_[pos_++]);
        return true;
    }
    // 4 bytes little-endian, signed.
    bool Long(std::int32_t& out) {
        if (!ok_ || data_.size() - pos_ < 4) return ok_ = false;
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(data_[pos_ + i]);
        std::memcpy(&out, &v, sizeof out);
        pos_ += 4;
        return true;
    }
    bool AtEnd() const { return pos_ >= data_.size(); }
    bool Ok() const { return ok_; }

  private:
    std::string_view data_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

// Appends a datagram body in the Reader's forms.
class Writer {
  public:
    Writer& String(std::string_view text) {
        body_.append(text);
        body_ += '\0';
        return *this;
    }
    Writer& LastString(std::string_view text) { return String(text); }
    Writer& Byte(unsigned char value) {
        body_ += char(value);
        return *this;
    }
    Writer& Long(std::int32_t value) {
        const auto v = static_cast<std::uint32_t>(value);
        for (int i = 0; i < 4; ++i) body_ += char((v >> (8 * i)) & 0xFF);
        return *this;
    }
    // Text as it is, without a terminator (a rule name that ends the datagram).
    Writer& Raw(std::string_view bytes) {
        body_.append(bytes);
        return *this;
    }
    const std::string& Body() const { return body_; }

  private:
    std::string body_;
};

// The whole datagram: the header with the length field, then the body.
inline std::string ControlDatagram(unsigned char code, std::string_view body) {
    const std::size_t length = kHeaderSize + body.size();
    std::string out;
    out.reserve(length);
    out += char(kControl);
    out += char(0x00);
    out += char((length >> 8) & 0xFF);
    out += char(length & 0xFF);
    out += char(code);
    out.append(body);
    return out;
}

// The body of a control datagram: after a header of 80 00 and a length field equal to the
// datagram's size. Nothing for any other datagram.
inline std::optional<std::string_view> ControlBody(std::string_view datagram) {
    if (datagram.size() < kHeaderSize || static_cast<unsigned char>(datagram[0]) != kControl ||
        datagram[1] != '\0')
        return std::nullopt;
    const std::size_t length =
        static_cast<std::size_t>(static_cast<unsigned char>(datagram[2])) * 256 +
        static_cast<unsigned char>(datagram[3]);
    if (length != datagram.size()) return std::nullopt;
    return datagram.substr(kHeaderSize);
}

// The replies' bodies, field by field in datagram order.
struct ServerInfoBody {
    static constexpr Code kCode = kServerInfoReply;
    std::string address;  // "host:port"
    std::string name, map;
    unsigned char players = 0, max_players = 0;
    unsigned char protocol = 0;  // Quake I 3, Hexen II 5
};

struct PlayerInfoBody {
    static constexpr Code kCode = kPlayerInfoReply;
    unsigned char number = 0;
    std::string name;
    std::int32_t colours = 0;  // the first byte counts: shirt in the high nibble, pants in the low
    std::int32_t frags = 0;
    std::int32_t seconds = 0;  // connected for
    std::string address;       // "host:port", or anything else the server puts there
};

// A reply without a body ends the rules list.
struct RuleInfoBody {
    static constexpr Code kCode = kRuleInfoReply;
    std::string name;
    std::string value;  // missing when the name's terminator is the datagram's last byte
};

template <class B, class Body>
concept IsBody = std::same_as<std::remove_const_t<B>, Body>;

template <class Io, IsBody<ServerInfoBody> B>
void Layout(Io& io, B& b) {
    io.String(b.address);
    io.String(b.name);
    io.String(b.map);
    io.Byte(b.players);
    io.Byte(b.max_players);
    io.Byte(b.protocol);
}

template <class Io, IsBody<PlayerInfoBody> B>
void Layout(Io& io, B& b) {
    io.Byte(b.number);
    io.String(b.name);
    io.Long(b.colours);
    io.Long(b.frags);
    io.Long(b.seconds);
    io.String(b.address);
}

template <class Io, IsBody<RuleInfoBody> B>
void Layout(Io& io, B& b) {
    io.String(b.name);
    io.LastString(b.value);
}

// A reply datagram written through its layout.
template <class Body>
std::string Encode(const Body& body) {
    Writer out;
    Layout(out, body);
    return ControlDatagram(Body::kCode, out.Body());
}

// A reply body read through its layout; nothing when a field is missing.
template <class Body>
std::optional<Body> DecodeBody(std::string_view bytes) {
    Body body;
    Reader in(bytes);
    Layout(in, body);
    if (!in.Ok()) return std::nullopt;
    return body;
}

}  // namespace morvek::netquake
