// The ".mv" match log: a 46-byte header naming the server, then one 1683-byte record per poll,
// back to back. There is no magic number, version, count or trailer; the record count follows from
// the file length.
//
//   LogHeader (offset 0, 46 bytes)
//     0  15  ServerName      text
//    15  15  ServerAddress   text
//    30  15  ServerPort      text
//    45   1  ServerType      byte
//
//   LogRecord n (offset 46 + 1683 n): LogSample then 64 LogPlayerEntry, slot 0 first
//   LogSample (19 bytes)
//     0  15  Map             text
//    15   1  MaxPlayers      byte
//    16   1  CurrentPlayers  byte
//    17   1  Hour            byte, local time of writing
//    18   1  Minute          byte
//   LogPlayerEntry (26 bytes, at record offset 19 + 26 s)
//     0   1  Present         text ("1" or a blank)
//     1  15  Name            text
//    16   1  Shirt           byte
//    17   1  Pants           byte
//    18   4  Time            packed number
//    22   4  Frags           packed number
//
// Texts are the bytes as the server sent them, padded on the right with blanks or cut to the
// width. A byte field is the text's numeric value rounded half to even. A packed number is
// little-endian base 256; a negative value stores its magnitude in the first three bytes and 1 in
// the fourth, so a non-negative value from 16777216 to 33554431 reads back negative.
//
// Reading never looks past the bytes it was given: missing text bytes read as blanks, missing
// number bytes as zeros.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/player_table.h"

namespace morvek::logfile {

constexpr std::int64_t kHeaderSize = 46;
constexpr std::int64_t kSampleSize = 19;
constexpr std::int64_t kEntrySize = 26;
constexpr std::int64_t kRecordSize = kSampleSize + kPlayerSlots * kEntrySize;  // 1683
constexpr std::size_t kTextWidth = 15;

static_assert(kRecordSize == 1683);

// Largest and smallest values a packed number holds.
constexpr double kPackedMax = 4294967295.0;
constexpr double kPackedMin = -16777215.0;

using PackedNumber = std::array<std::uint8_t, 4>;

// Rounds half to even and packs. A value outside -16777215 .. 4294967295 (or not a number) has no
// packed form and is stored as 0.
PackedNumber PackNumber(double value);
// b3 == 1 marks a negative value: -(b0 + 256 b1 + 65536 b2); otherwise the four bytes base 256.
std::int64_t UnpackNumber(const PackedNumber& bytes);

// Left-aligned text of exactly `width` bytes: padded with blanks or cut.
std::string FixedText(std::string_view text, std::size_t width);

// A byte field from a text: LeadingNumber rounded half to even. A value outside 0 .. 255 has no
// byte form and is stored as 0.
std::uint8_t ByteField(std::string_view text);
// A packed-number field from a text: LeadingNumber, then PackNumber.
PackedNumber PackedField(std::string_view text);

struct LogHeader {
    std::string server_name;     // 15 bytes when decoded
    std::string server_address;  // 15 bytes
    std::string server_port;     // 15 bytes
    std::uint8_t server_type = 0;
    bool operator==(const LogHeader&) const = default;
};

struct LogSample {
    std::string map;  // 15 bytes when decoded
    std::uint8_t max_players = 0;
    std::uint8_t current_players = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    bool operator==(const LogSample&) const = default;
};

struct LogPlayerEntry {
    std::string present;  // 1 byte when decoded
    std::string name;     // 15 bytes when decoded
    std::uint8_t shirt = 0;
    std::uint8_t pants = 0;
    PackedNumber time{};
    PackedNumber frags{};
    bool operator==(const LogPlayerEntry&) const = default;
};

struct LogRecord {
    LogSample sample;
    std::array<LogPlayerEntry, kPlayerSlots> entries{};
    bool operator==(const LogRecord&) const = default;
};

// Exactly kHeaderSize / kSampleSize / kEntrySize / kRecordSize bytes.
std::string EncodeHeader(const LogHeader& header);
std::string EncodeSample(const LogSample& sample);
std::string EncodeEntry(const LogPlayerEntry& entry);
std::string EncodeRecord(const LogRecord& record);

// Decode the bytes given (normally of the structure's full size); a shorter input reads as if
// padded with blanks (texts) and zeros (numbers), a longer one is read only up to the size.
LogHeader DecodeHeader(std::string_view bytes);
LogSample DecodeSample(std::string_view bytes);
LogPlayerEntry DecodeEntry(std::string_view bytes);
LogRecord DecodeRecord(std::string_view bytes);

// One slot of the player table as it is recorded.
LogPlayerEntry EntryFromSlot(const PlayerRecord& slot);

// Writes a recorded entry into a slot: Present and Name as stored, colours and numbers as decimal
// text, Address and Port empty; OrderMark is not touched.
void EntryToSlot(const LogPlayerEntry& entry, PlayerRecord& slot);

// Records in a file of `length` bytes: (length - 46) / 1683 rounded half to even, never below 0.
// A trailing partial record of more than half a record counts (and reads padded).
std::int64_t RecordCount(std::int64_t length);

// Offset of record n.
constexpr std::int64_t RecordOffset(std::int64_t n) {
    return kHeaderSize + kRecordSize * n;
}

}  // namespace morvek::logfile
