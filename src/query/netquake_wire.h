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
// Reader and Writer are the two halves of each primitive (string, byte, long): the requests and
// the decoders here and the simulated server use the same pair.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

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
// ends first.
class Reader {
  public:
    explicit Reader(std::string_view data) : data_(data) {}
    // A string up to its 00; false when the terminator is missing.
    bool String(std::string& out) {
        if (pos_ > data_.size()) return false;
        const std::size_t end = data_.find('\0', pos_);
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
    // 4 bytes little-endian, signed.
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

// Appends a datagram body in the Reader's forms.
class Writer {
  public:
    Writer& String(std::string_view text) {
        body_.append(text);
        body_ += '\0';
        return *this;
    }
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

}  // namespace morvek::netquake
