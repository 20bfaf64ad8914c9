// Names as the players see them. Quake-family servers send names in the games' own character
// set: bit 7 of a byte only selects the alternate (red-brown) colour, the low seven bits give the
// character, and the control values 0 to 31 are the games' own glyphs (gold brackets and digits,
// dots, bar pieces). Every reader that shows a name or a server name to a person goes through
// this one mapping; the player table, the match log and slot lookup keep the bytes as received.
//
// The readable character of a byte b is that of its low seven bits c = b & 0x7F:
//
//   c           shown as   what the games draw there
//   32 to 126   itself     the ordinary characters
//   16, 17      [ ]        gold brackets
//   18 to 27    0 to 9     gold digits
//   0, 5, 14,   •          dots
//   15, 28
//   29, 30, 31  -          the left end, middle and right end of a bar
//   10, 12      (blank)    line feed and form feed: a name never breaks a line
//   13          >          the arrow
//   127         <          the left arrow
//   1 to 4,     #          box and frame pieces
//   6 to 9, 11
//
// Every stand-in is one Windows-1252 character, so the readable form is again one byte per
// character and goes wherever the raw bytes went (the page, the report, the sort keys).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvek {

// How the games colour a character: plain, red-brown (bit 7 set) or gold (brackets and digits
// 16 to 27, in either half).
enum class GlyphTone : std::uint8_t { kPlain, kRed, kGold };

struct QuakeGlyph {
    char byte;  // the Windows-1252 character a person reads
    GlyphTone tone;
    bool operator==(const QuakeGlyph&) const = default;
};

QuakeGlyph QuakeChar(unsigned char byte);

// A run of readable characters drawn in one tone.
struct ToneRun {
    GlyphTone tone;
    std::string text;  // Windows-1252, one character per byte of the game text
    bool operator==(const ToneRun&) const = default;
};

// The readable form of a game text cut into runs of one tone.
std::vector<ToneRun> ToneRuns(std::string_view bytes);

// The readable form of a game text: each byte replaced by its readable character.
std::string ReadableQuake(std::string_view bytes);

// What a person reads of a server text: its readable form when `readable`, else the bytes as
// received (Windows-1252).
inline std::string ShownText(std::string_view bytes, bool readable) {
    return readable ? ReadableQuake(bytes) : std::string(bytes);
}

// A rule line "name, blanks, TAB, value" with name and value shown readable; the TAB stays.
std::string ShownRuleLine(std::string_view line, bool readable);

}  // namespace morvek
