#include "core/numbers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace morvek {

namespace {

bool IsSkipped(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// A cursor over the text that skips blanks, tabs and line feeds wherever they stand.
class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}
    // The next significant character, or 0 at the end.
    char Peek() {
        while (pos_ < text_.size() && IsSkipped(text_[pos_])) ++pos_;
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }
    void Next() { ++pos_; }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

double ReadRadix(Reader& in, int radix) {
    double value = 0;
    for (;;) {
        char c = in.Peek();
        int digit = -1;
        if (IsDigit(c))
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0 || digit >= radix) break;
        value = value * radix + digit;
        in.Next();
    }
    return value;
}

}  // namespace

double LeadingNumber(std::string_view text) {
    Reader in(text);
    if (in.Peek() == '&') {
        in.Next();
        char c = in.Peek();
        if (c == 'h' || c == 'H') {
            in.Next();
            return ReadRadix(in, 16);
        }
        if (c == 'o' || c == 'O') {
            in.Next();
            return ReadRadix(in, 8);
        }
        return 0;
    }
    // Collect the significant characters of a decimal number, then let strtod convert them.
    std::string number;
    char c = in.Peek();
    if (c == '+' || c == '-') {
        number += c;
        in.Next();
    }
    bool digits = false;
    while (IsDigit(in.Peek())) {
        number += in.Peek();
        in.Next();
        digits = true;
    }
    if (in.Peek() == '.') {
        number += '.';
        in.Next();
        while (IsDigit(in.Peek())) {
            number += in.Peek();
            in.Next();
            digits = true;
        }
    }
    if (!digits) return 0;
    c = in.Peek();
    if (c == 'e' || c == 'E' || c == 'd' || c == 'D') {
        in.Next();
        std::string exponent = "e";
        c = in.Peek();
        if (c == '+' || c == '-') {
            exponent += c;
            in.Next();
        }
        bool exponent_digits = false;
        while (IsDigit(in.Peek())) {
            // Keep the exponent text short: anything past a few digits is already out of range.
            if (exponent.size() < 8) exponent += in.Peek();
            in.Next();
            exponent_digits = true;
        }
        if (exponent_digits) number += exponent;
    }
    return std::strtod(number.c_str(), nullptr);
}

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    double floor = std::floor(value);
    double diff = value - floor;
    if (diff < 0.5) return floor;
    if (diff > 0.5) return floor + 1;
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

namespace {
template <typename T>
std::optional<T> ToWhole(double value) {
    double r = RoundHalfEven(value);
    if (!std::isfinite(r)) return std::nullopt;
    if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
        r > static_cast<double>(std::numeric_limits<T>::max()))
        return std::nullopt;
    return static_cast<T>(r);
}
}  // namespace

std::optional<std::uint8_t> ToUInt8(double value) {
    return ToWhole<std::uint8_t>(value);
}
std::optional<std::int16_t> ToInt16(double value) {
    return ToWhole<std::int16_t>(value);
}
std::optional<std::int32_t> ToInt32(double value) {
    return ToWhole<std::int32_t>(value);
}

double FragsValue(std::string_view frags) {
    return FragsValue(LeadingNumber(frags));
}

double FragsValue(double stored) {
    return stored > 4244897000.0 ? stored - 4244897281.0 : stored;
}

std::string IntegerText(long long value) {
    return std::to_string(value);
}

std::string DecimalText(double value) {
    if (std::isnan(value)) return "0";
    if (std::isinf(value)) return value > 0 ? "1E+308" : "-1E+308";
    if (value == 0) return "0";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    std::string text = buffer;
    // %g switches to an exponent for large or tiny magnitudes; write those with "E" as the
    // platform's number-to-text conversion does.
    for (char& c : text)
        if (c == 'e') c = 'E';
    return text;
}

std::string SecondsText(std::int64_t milliseconds) {
    return DecimalText(static_cast<double>(milliseconds) / 1000.0);
}

std::optional<std::int32_t> CountValue(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> IntervalMs(std::string_view seconds_text) {
    const double seconds = LeadingNumber(seconds_text);
    if (!(seconds > 0)) return std::nullopt;
    auto milliseconds = ToInt32(seconds * 1000.0);
    if (!milliseconds || *milliseconds <= 0) return std::nullopt;
    return milliseconds;
}

std::optional<std::int32_t> ConnectedSeconds(std::string_view minutes) {
    bool blank = true;
    for (char c : minutes) blank = blank && c == ' ';
    if (blank) return std::nullopt;
    return ToInt32(LeadingNumber(minutes) * 60);
}

std::string MinutesSecondsText(std::int64_t seconds) {
    const std::int64_t magnitude = seconds < 0 ? -seconds : seconds;
    const std::int64_t rest = magnitude % 60;
    return (seconds < 0 ? "-" : "") + IntegerText(magnitude / 60) + (rest < 10 ? ":0" : ":") +
           IntegerText(rest);
}

}  // namespace morvek
