#include "log/log_format.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "core/numbers.h"

namespace morvek::logfile {

namespace {

// The layout of each structure, described once: its fields in file order with their widths. The
// writer appends them and the reader takes them in the same order, so the two cannot drift apart.
template <class Io, class Header>
void HeaderLayout(Io& io, Header& h) {
    io.Text(h.server_name, kTextWidth);
    io.Text(h.server_address, kTextWidth);
    io.Text(h.server_port, kTextWidth);
    io.Byte(h.server_type);
}

template <class Io, class Sample>
void SampleLayout(Io& io, Sample& s) {
    io.Text(s.map, kTextWidth);
    io.Byte(s.max_players);
    io.Byte(s.current_players);
    io.Byte(s.hour);
    io.Byte(s.minute);
}

template <class Io, class Entry>
void EntryLayout(Io& io, Entry& e) {
    io.Text(e.present, 1);
    io.Text(e.name, kTextWidth);
    io.Byte(e.shirt);
    io.Byte(e.pants);
    io.Packed(e.time);
    io.Packed(e.frags);
}

template <class Io, class Record>
void RecordLayout(Io& io, Record& r) {
    SampleLayout(io, r.sample);
    for (auto& entry : r.entries) EntryLayout(io, entry);
}

// Appends fields: texts padded with blanks or cut to their width.
class FieldWriter {
  public:
    explicit FieldWriter(std::int64_t size) { out_.reserve(std::size_t(size)); }
    void Text(const std::string& text, std::size_t width) { out_ += FixedText(text, width); }
    void Byte(std::uint8_t b) { out_ += static_cast<char>(b); }
    void Packed(const PackedNumber& packed) {
        for (std::uint8_t b : packed) Byte(b);
    }
    std::string Take() { return std::move(out_); }

  private:
    std::string out_;
};

// Takes fields in order from bytes that may be shorter than the structure: missing text bytes
// read as blanks, missing number bytes as zeros.
class FieldReader {
  public:
    explicit FieldReader(std::string_view bytes) : bytes_(bytes) {}
    void Text(std::string& text, std::size_t width) {
        text = Take(width);
        text.resize(width, ' ');
    }
    void Byte(std::uint8_t& b) {
        const std::string_view part = Take(1);
        b = part.empty() ? 0 : static_cast<std::uint8_t>(part.front());
    }
    void Packed(PackedNumber& packed) {
        packed.fill(0);
        const std::string_view part = Take(packed.size());
        std::memcpy(packed.data(), part.data(), part.size());
    }

  private:
    // The next `width` bytes, or as many as are left: a field is filled by one copy whose length
    // is bounded by the field's width, where a byte-by-byte loop left the bound to the optimiser.
    std::string_view Take(std::size_t width) {
        const std::string_view part = bytes_.substr(at_, width);
        at_ += part.size();
        return part;
    }
    std::string_view bytes_;
    std::size_t at_ = 0;
};

template <class Structure, class Layout>
std::string Encode(const Structure& structure, std::int64_t size, Layout layout) {
    FieldWriter out(size);
    layout(out, structure);
    return out.Take();
}

template <class Structure, class Layout>
Structure Decode(std::string_view bytes, Layout layout) {
    Structure structure;
    FieldReader in(bytes);
    layout(in, structure);
    return structure;
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
    return Encode(header, kHeaderSize, [](auto& io, auto& h) { HeaderLayout(io, h); });
}

std::string EncodeSample(const LogSample& sample) {
    return Encode(sample, kSampleSize, [](auto& io, auto& s) { SampleLayout(io, s); });
}

std::string EncodeEntry(const LogPlayerEntry& entry) {
    return Encode(entry, kEntrySize, [](auto& io, auto& e) { EntryLayout(io, e); });
}

std::string EncodeRecord(const LogRecord& record) {
    return Encode(record, kRecordSize, [](auto& io, auto& r) { RecordLayout(io, r); });
}

LogHeader DecodeHeader(std::string_view bytes) {
    return Decode<LogHeader>(bytes, [](auto& io, auto& h) { HeaderLayout(io, h); });
}

LogSample DecodeSample(std::string_view bytes) {
    return Decode<LogSample>(bytes, [](auto& io, auto& s) { SampleLayout(io, s); });
}

LogPlayerEntry DecodeEntry(std::string_view bytes) {
    return Decode<LogPlayerEntry>(bytes, [](auto& io, auto& e) { EntryLayout(io, e); });
}

LogRecord DecodeRecord(std::string_view bytes) {
    return Decode<LogRecord>(bytes, [](auto& io, auto& r) { RecordLayout(io, r); });
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
