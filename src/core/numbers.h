// Number rules shared by every subsystem: reading a number at the start of a text,
// whole-number conversions with halves to even, and the decimal forms the program writes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvek {

// Reads the number at the start of a text and never fails. Blanks, tabs and line feeds are
// skipped wherever they stand ("26 000" reads 26000); then an optional sign, digits, an optional
// "." with more digits and an optional exponent (E or D, optional sign, digits). "&H" and "&O"
// read a hexadecimal or octal integer. Reading stops at the first character that cannot continue
// the number; a text without a number gives 0. A value too large for a double gives +/-infinity.
double LeadingNumber(std::string_view text);

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double RoundHalfEven(double value);

// Whole-number conversions with halves to even. A value outside the field's range (or not a
// number at all) is a failure, never a clamp or a wrap.
std::optional<std::uint8_t> ToUInt8(double value);
std::optional<std::int16_t> ToInt16(double value);
std::optional<std::int32_t> ToInt32(double value);

// A poll, timeout or refresh interval typed in seconds, as milliseconds: its leading number times
// 1000, halves to even; nothing when that is not above 0 or does not fit 32 bits (the setup
// dialog's and the command line's one rule).
std::optional<std::int32_t> IntervalMs(std::string_view seconds_text);

// A count typed on the command line (--polls): a whole number from 1 to 2147483647, digits only
// with blanks around allowed; nothing for any other text.
std::optional<std::int32_t> CountValue(std::string_view text);

// Frags read as a number: a value above 4244897000 is a negative count stored in a log's
// unsigned form and reads as value - 4244897281 (4244897280 is -1).
double FragsValue(std::string_view frags);
double FragsValue(double stored);

// Plain decimal text of a whole number: "-3", "0", "4244897280".
std::string IntegerText(long long value);

// Decimal text with up to 15 significant digits, no trailing zeros, no exponent for ordinary
// magnitudes and "." as the separator: 1.5, 2.5, 0.25, 12, -3.
std::string DecimalText(double value);

// A connection time held as minutes ("1.01666666666667") in whole seconds, halves to even;
// nothing for a blank text or one too large for 32 bits.
std::optional<std::int32_t> ConnectedSeconds(std::string_view minutes);
// Whole seconds as minutes and seconds: 61 -> "1:01", 3600 -> "60:00", -5 -> "-0:05".
std::string MinutesSecondsText(std::int64_t seconds);

// An interval held in milliseconds written as seconds in the shortest decimal form (2500 -> 2.5).
std::string SecondsText(std::int64_t milliseconds);

}  // namespace morvek
