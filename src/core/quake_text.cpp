#include "core/quake_text.h"

#include <array>

namespace morvek {

namespace {

// Readable characters of the control values 0 to 31 (see the table in the header).
constexpr std::array<char, 32> kControl{
    '\x95', '#', '#', '#', '#', '\x95', '#', '#', '#', '#', ' ', '#', ' ',    '>', '\x95', '\x95',
    '[',    ']', '0', '1', '2', '3',    '4', '5', '6', '7', '8', '9', '\x95', '-', '-',    '-'};

}  // namespace

QuakeGlyph QuakeChar(unsigned char byte) {
    const unsigned char c = byte & 0x7F;
    char shown = static_cast<char>(c);
    if (c < 32)
        shown = kControl[c];
    else if (c == 127)
        shown = '<';
    GlyphTone tone = GlyphTone::kPlain;
    if (c >= 16 && c <= 27)
        tone = GlyphTone::kGold;
    else if (byte & 0x80)
        tone = GlyphTone::kRed;
    return {shown, tone};
}

std::string ReadableQuake(std::string_view bytes) {
    std::string out(bytes.size(), ' ');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out[i] = QuakeChar(static_cast<unsigned char>(bytes[i])).byte;
    return out;
}

std::string ShownRuleLine(std::string_view line, bool readable) {
    if (!readable) return std::string(line);
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return ReadableQuake(line);
    return ReadableQuake(line.substr(0, tab)) + '\t' + ReadableQuake(line.substr(tab + 1));
}

std::vector<ToneRun> ToneRuns(std::string_view bytes) {
    std::vector<ToneRun> runs;
    for (char byte : bytes) {
        const QuakeGlyph glyph = QuakeChar(static_cast<unsigned char>(byte));
        if (runs.empty() || runs.back().tone != glyph.tone) runs.push_back({glyph.tone, {}});
        runs.back().text += glyph.byte;
    }
    return runs;
}

}  // namespace morvek
