#include "log/log_format.h"

#include <cmath>

#include "core/numbers.h"

namespace morvek::logfile {

namespace {

// Reads fields out of a byte range that may be shorter than the structure.
class FieldReader {
  public:
    explicit FieldReader(std::string_view bytes) : bytes_(bytes) {}

    std::uint8_t Byte(std::size_t offset) const {
        return offset < bytes_.size() ? static_cast<std::uint8_t>(bytes_[offset]) : 0;
    }
    std::string Text(std::size_t offset, std::size_t width) const {
        std::string text(width, ' ');
        for (std::size_t i = 0; i < width && offset + i < bytes_.size(); ++i)
            text[i] = bytes_[offset + i];
        return text;
    }
    PackedNumber Packed(std::size_t offset) const {
        return {Byte(offset), Byte(offset + 1), Byte(offset + 2), Byte(offset + 3)};
    }

  private:
    std::string_view bytes_;
};

void AppendPacked(std::string& out, const PackedNumber& packed) {
    for (std::uint8_t b : packed) out += static_cast<char>(b);
}

}  // namespace

PackedNumber PackNumber(double value) {
    double v = RoundHalfEven(value);
    if (!std::isfinite(v) || v > kPackedMax || v < kPackedMin) return {0, 0, 0, 0};
    bool negative = v < 0;
    auto m = static_cast<std::uint64_t>(negative ? -v : v);
    PackedNumber out{
        static_cast<std::uint8_t>(m & 0xFF), static_cast<std::uint8_t>((m >> 8) & 0xFF),
        static_cast<std::uint8_t>((m >> 16) & 0xFF), static_cast<std::uint8_t>((m >> 24) & 0xFF)};
    if (negative) out[3] = 1;
    return out;
}

std::int64_t UnpackNumber(const PackedNumber& b) {
    std::int64_t low = std::int64_t(b[0]) + 256 * std::int64_t(b[1]) + 65536 * std::int64_t(b[2]);
    if (b[3] == 1) return -low;
    return low + 16777216 * std::int64_t(b[3]);
}

std::string FixedText(std::string_view text, std::size_t width) {
    std::string out(text.substr(0, width));
    out.resize(width, ' ');
    return out;
}

std::uint8_t ByteField(std::string_view text) {
    return ToUInt8(LeadingNumber(text)).value_or(0);
}

PackedNumber PackedField(std::string_view text) {
    return PackNumber(LeadingNumber(text));
}

std::string EncodeHeader(const LogHeader& header) {
    std::string out;
    out.reserve(kHeaderSize);
    out += FixedText(header.server_name, kTextWidth);
    out += FixedText(header.server_address, kTextWidth);
    out += FixedText(header.server_port, kTextWidth);
    out += static_cast<char>(header.server_type);
    return out;
}

std::string EncodeSample(const LogSample& sample) {
    std::string out = FixedText(sample.map, kTextWidth);
    out += static_cast<char>(sample.max_players);
    out += static_cast<char>(sample.current_players);
    out += static_cast<char>(sample.hour);
    out += static_cast<char>(sample.minute);
    return out;
}

std::string EncodeEntry(const LogPlayerEntry& entry) {
    std::string out = FixedText(entry.present, 1);
    out += FixedText(entry.name, kTextWidth);
    out += static_cast<char>(entry.shirt);
    out += static_cast<char>(entry.pants);
    AppendPacked(out, entry.time);
    AppendPacked(out, entry.frags);
    return out;
}

std::string EncodeRecord(const LogRecord& record) {
    std::string out;
    out.reserve(kRecordSize);
    out += EncodeSample(record.sample);
    for (const auto& entry : record.entries) out += EncodeEntry(entry);
    return out;
}

LogHeader DecodeHeader(std::string_view bytes) {
    FieldReader in(bytes);
    LogHeader h;
    h.server_name = in.Text(0, kTextWidth);
    h.server_address = in.Text(15, kTextWidth);
    h.server_port = in.Text(30, kTextWidth);
    h.server_type = in.Byte(45);
    return h;
}

LogSample DecodeSample(std::string_view bytes) {
    FieldReader in(bytes);
    LogSample s;
    s.map = in.Text(0, kTextWidth);
    s.max_players = in.Byte(15);
    s.current_players = in.Byte(16);
    s.hour = in.Byte(17);
    s.minute = in.Byte(18);
    return s;
}

LogPlayerEntry DecodeEntry(std::string_view bytes) {
    FieldReader in(bytes);
    LogPlayerEntry e;
    e.present = in.Text(0, 1);
    e.name = in.Text(1, kTextWidth);
    e.shirt = in.Byte(16);
    e.pants = in.Byte(17);
    e.time = in.Packed(18);
    e.frags = in.Packed(22);
    return e;
}

LogRecord DecodeRecord(std::string_view bytes) {
    LogRecord r;
    r.sample = DecodeSample(bytes.substr(0, std::min<std::size_t>(bytes.size(), kSampleSize)));
    for (int s = 0; s < kPlayerSlots; ++s) {
        std::size_t offset = std::size_t(kSampleSize + kEntrySize * s);
        std::string_view part = offset < bytes.size() ? bytes.substr(offset, kEntrySize) : "";
        r.entries[std::size_t(s)] = DecodeEntry(part);
    }
    return r;
}

LogPlayerEntry EntryFromSlot(const PlayerRecord& slot) {
    LogPlayerEntry e;
    e.present = FixedText(slot[kPresent], 1);
    e.name = FixedText(slot[kName], kTextWidth);
    e.shirt = ByteField(slot[kShirt]);
    e.pants = ByteField(slot[kPants]);
    e.time = PackedField(slot[kTime]);
    e.frags = PackedField(slot[kFrags]);
    return e;
}

void EntryToSlot(const LogPlayerEntry& entry, PlayerRecord& slot) {
    slot[kPresent] = entry.present;
    slot[kName] = entry.name;
    slot[kShirt] = IntegerText(entry.shirt);
    slot[kPants] = IntegerText(entry.pants);
    slot[kAddress].clear();
    slot[kTime] = IntegerText(UnpackNumber(entry.time));
    slot[kFrags] = IntegerText(UnpackNumber(entry.frags));
    slot[kPort].clear();
}

std::int64_t RecordCount(std::int64_t length) {
    if (length <= kHeaderSize) return 0;
    // Whole records plus the rounding of the remainder: more than half a record counts, exactly
    // half cannot happen (the record size is odd).
    std::int64_t body = length - kHeaderSize;
    std::int64_t count = body / kRecordSize;
    std::int64_t rest = body % kRecordSize;
    if (2 * rest > kRecordSize) ++count;
    return count;
}

}  // namespace morvek::logfile
