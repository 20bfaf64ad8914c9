#include "core/text.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <QStringEncoder>

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

QString FromCp1252(std::string_view bytes) {
    QStringDecoder decoder("windows-1252");
    if (!decoder.isValid()) return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    return decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

std::string ToCp1252(const QString& text) {
    QStringEncoder encoder("windows-1252", QStringConverter::Flag::Default);
    if (!encoder.isValid()) return text.toLatin1().toStdString();
    QByteArray bytes = encoder.encode(text);
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    return FromCp1252(bytes).toUtf8().toStdString();
}

std::string TerminalText(std::string_view bytes) {
    QString text = FromCp1252(bytes);
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
