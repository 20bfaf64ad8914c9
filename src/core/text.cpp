#include "core/text.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace morvek {

namespace {
unsigned char Upper(unsigned char c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c == 0x9A || c == 0x9C || c == 0x9E) return c - 0x10;  // š œ ž
    if (c == 0xFF) return 0x9F;                                // ÿ
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;  // à..þ except ÷
    return c;
}
}  // namespace

std::string UpperCase1252(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(Upper(static_cast<unsigned char>(c)));
    return out;
}

int CompareBytes(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upper(static_cast<unsigned char>(a[i])) != Upper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

namespace {
// The characters of 0x80 to 0x9F; the five codes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) stand for the control characters of the same value, so every byte has one
// character and back. Every other byte is the Latin-1 character of the same value.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t Cp1252Char(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char16_t(byte);
}

// The byte of a character, or "?" for one the code page lacks.
char Cp1252Byte(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}
}  // namespace

QString FromCp1252(std::string_view bytes) {
    QString text(qsizetype(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (char b : bytes) *out++ = QChar(Cp1252Char(static_cast<unsigned char>(b)));
    return text;
}

std::string ToCp1252(const QString& text) {
    std::string bytes;
    bytes.reserve(std::size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A character beyond the first 65536 is a pair of code units, and one "?".
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
        bytes += Cp1252Byte(c.unicode());
    }
    return bytes;
}

namespace {
void AppendUtf8(std::string& out, char16_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}
}  // namespace

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char b : bytes) AppendUtf8(out, Cp1252Char(static_cast<unsigned char>(b)));
    return out;
}

void AppendJsonString(std::string& out, std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (char b : bytes) {
        const char16_t c = Cp1252Char(static_cast<unsigned char>(b));
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    out += "\\u00";
                    out += kHex[c >> 4];
                    out += kHex[c & 0xF];
                } else {
                    AppendUtf8(out, c);
                }
        }
    }
    out += '"';
}

std::string PathBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString PathFromBytes(std::string_view bytes) {
    const QByteArray stored(bytes.data(), qsizetype(bytes.size()));
    const QString path = QFile::decodeName(stored);
    return QFile::encodeName(path) == stored ? path : FromCp1252(bytes);
}

std::string TerminalText(std::string_view bytes) {
    return TerminalText(FromCp1252(bytes));
}

std::string TerminalText(const QString& shown) {
    QString text = shown;
    for (QChar& c : text) {
        if (c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
        else if (c.category() == QChar::Other_Control)
            c = QLatin1Char('?');
    }
    return text.toUtf8().toStdString();
}

std::string JsonLine(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

bool IsBlank(std::string_view text) {
    for (char c : text)
        if (c != ' ') return false;
    return true;
}

}  // namespace morvek
