#include "platform/settings_backend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <string_view>

#include "core/text.h"
#include "platform/files.h"

#ifdef Q_OS_WIN
#include <QSettings>
#endif

namespace morvek::platform {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Line ends count as blanks: a line is kept with its own end, and a stray carriage return (a line
// that ended in CR CR LF) must not become part of a name or value.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The end a line was written with ("\r\n", "\n", or "" for a last line without one).
std::string_view LineEnd(std::string_view line) {
    if (line.empty() || line.back() != '\n') return {};
    return line.size() >= 2 && line[line.size() - 2] == '\r' ? "\r\n" : "\n";
}

// The end new lines take: the one the file's first line was written with, LF in a new file.
std::string NewLineEnd(const std::vector<std::string>& lines) {
    const std::string_view end = lines.empty() ? std::string_view() : LineEnd(lines.front());
    return end.empty() ? "\n" : std::string(end);
}

// Inserts `text` as a line at `at`, ending it as the file ends its lines; a last line without an
// end before it gets one.
void InsertLine(std::vector<std::string>& lines, std::size_t at, const std::string& text) {
    const std::string end = NewLineEnd(lines);
    if (at > 0 && LineEnd(lines[at - 1]).empty()) lines[at - 1] += end;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), text + end);
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "[name]" -> name; nothing for a line that is not a section header.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trimmed(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
    return Trimmed(line.substr(1, line.size() - 2));
}

struct Entry {
    std::string_view name;
    std::string_view value;  // as written in the file, blanks around it removed
};

// "Name=value" -> its parts; nothing for comments, blank lines and garbage.
std::optional<Entry> ParseEntry(std::string_view line) {
    const std::string_view trimmed = Trimmed(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') return std::nullopt;
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view name = Trimmed(trimmed.substr(0, equals));
    if (name.empty()) return std::nullopt;
    return Entry{name, Trimmed(trimmed.substr(equals + 1))};
}

// The first section named `key_path` (names compared without regard to case): the index of its
// header line and the index one past its last line.
struct Section {
    std::size_t header;
    std::size_t end;
};

std::optional<Section> FindSection(const std::vector<std::string>& lines,
                                   const std::string& key_path) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto name = SectionName(lines[i]);
        if (!name || !EqualsNoCase(*name, key_path)) continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !SectionName(lines[end])) ++end;
        return Section{i, end};
    }
    return std::nullopt;
}

// The line of the first value of the section named `name` (without regard to case).
std::optional<std::size_t> FindEntry(const std::vector<std::string>& lines, const Section& section,
                                     const std::string& name) {
    for (std::size_t i = section.header + 1; i < section.end; ++i) {
        auto entry = ParseEntry(lines[i]);
        if (entry && EqualsNoCase(entry->name, name)) return i;
    }
    return std::nullopt;
}

// Names that cannot be written as one "Name=value" line.
bool IsWritableName(const std::string& name) {
    if (name.empty() || Trimmed(name).size() != name.size()) return false;
    if (name.front() == ';' || name.front() == '#' || name.front() == '[') return false;
    for (char c : name)
        if (c == '=' || c == '\n' || c == '\r' || c == '\0') return false;
    return true;
}

bool IsWritableKeyPath(const std::string& key_path) {
    if (key_path.empty() || Trimmed(key_path).size() != key_path.size()) return false;
    for (char c : key_path)
        if (c == ']' || c == '\n' || c == '\r' || c == '\0') return false;
    return true;
}

// A new section at the end of the text, a blank line before it.
void AddSection(std::vector<std::string>& lines, const std::string& key_path) {
    if (!lines.empty() && !Trimmed(lines.back()).empty()) InsertLine(lines, lines.size(), "");
    InsertLine(lines, lines.size(), "[" + key_path + "]");
}

#ifdef Q_OS_WIN
QString RegistryPath(const std::string& key_path) {
    return QStringLiteral("HKEY_LOCAL_MACHINE\\") + QString::fromLatin1(key_path);
}
#endif

}  // namespace

std::string EscapeIniValue(const std::string& value) {
    std::string text;
    text.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        const bool at_edge = i == 0 || i + 1 == value.size();
        if (c == '\\') {
            text += "\\\\";
        } else if (c < 0x20 || c >= 0x7F || (at_edge && c == ' ')) {
            text += "\\x";
            text += kHexDigits[c >> 4];
            text += kHexDigits[c & 15];
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

std::string UnescapeIniValue(std::string_view text) {
    std::string value;
    value.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            if (text[i + 1] == '\\') {
                value += '\\';
                ++i;
                continue;
            }
            if ((text[i + 1] == 'x' || text[i + 1] == 'X') && i + 3 < text.size() &&
                HexValue(text[i + 2]) >= 0 && HexValue(text[i + 3]) >= 0) {
                value += static_cast<char>(HexValue(text[i + 2]) * 16 + HexValue(text[i + 3]));
                i += 3;
                continue;
            }
        }
        value += text[i];
    }
    return value;
}

std::vector<std::string> SplitIniLines(std::string_view bytes) {
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::size_t size = end == std::string_view::npos ? bytes.size() : end + 1;
        lines.emplace_back(bytes.substr(0, size));
        bytes.remove_prefix(size);
    }
    return lines;
}

std::string JoinIniLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line;
    return text;
}

bool HasIniSection(const std::vector<std::string>& lines, const std::string& key_path) {
    return FindSection(lines, key_path).has_value();
}

std::optional<std::string> IniValue(const std::vector<std::string>& lines,
                                    const std::string& key_path, const std::string& name) {
    auto section = FindSection(lines, key_path);
    if (!section) return std::nullopt;
    auto line = FindEntry(lines, *section, name);
    if (!line) return std::nullopt;
    return UnescapeIniValue(ParseEntry(lines[*line])->value);
}

bool SetIniValue(std::vector<std::string>& lines, const std::string& key_path,
                 const std::string& name, const std::string& value) {
    if (!IsWritableName(name) || !IsWritableKeyPath(key_path)) return false;
    auto section = FindSection(lines, key_path);
    if (!section) {
        AddSection(lines, key_path);
        section = Section{lines.size() - 1, lines.size()};
    }
    if (auto line = FindEntry(lines, *section, name)) {
        // Keep the spelling the value was first stored under, as the registry does, and the
        // line's own end.
        std::string& text = lines[*line];
        text = std::string(ParseEntry(text)->name) + "=" + EscapeIniValue(value) +
               std::string(LineEnd(text));
    } else {
        // After the section's last non-blank line.
        std::size_t at = section->end;
        while (at > section->header + 1 && Trimmed(lines[at - 1]).empty()) --at;
        InsertLine(lines, at, name + "=" + EscapeIniValue(value));
    }
    return true;
}

IniSettingsBackend::IniSettingsBackend() {
#ifdef Q_OS_WIN
    registry_ = true;
#else
    file_ = DefaultFile();
#endif
}

IniSettingsBackend::IniSettingsBackend(const QString& file) : file_(file) {}

QString IniSettingsBackend::DefaultFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Varnoth/Morvek.conf");
}

void IniSettingsBackend::BeginBatch() {
    ++batch_depth_;
}

bool IniSettingsBackend::EndBatch() {
    if (batch_depth_ == 0 || --batch_depth_ > 0) return true;
    bool ok = true;
    if (batch_dirty_ && batch_lines_) ok = SaveLines(*batch_lines_);
    batch_lines_.reset();
    batch_dirty_ = false;
    return ok;
}

QString IniSettingsBackend::FailureDetail() const {
    return failure_;
}

bool IniSettingsBackend::Fail(const QString& cause) {
    failure_ = file_ + QStringLiteral(": ") + cause;
    return false;
}

std::optional<std::vector<std::string>> IniSettingsBackend::LoadLines() {
    if (batch_depth_ > 0 && batch_lines_) return batch_lines_;
    std::vector<std::string> lines;
    QFile file(file_);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            Fail(file.errorString());
            return std::nullopt;
        }
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            Fail(file.errorString());
            return std::nullopt;
        }
        lines = SplitIniLines(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    if (batch_depth_ > 0) batch_lines_ = lines;
    return lines;
}

bool IniSettingsBackend::SaveLines(const std::vector<std::string>& lines) {
    if (batch_depth_ > 0) {
        batch_lines_ = lines;
        batch_dirty_ = true;
        return true;
    }
    const std::string text = JoinIniLines(lines);
    const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    // No direct-write fallback: the file is replaced whole or not at all. A link is written
    // through: the settings file may be kept elsewhere on purpose.
    const QFileInfo info(file_);
    if (ReplaceFile(info.isSymLink() ? info.symLinkTarget() : file_, bytes)) return true;
    return Fail(QStringLiteral("cannot be written"));
}

bool IniSettingsBackend::OpenKey(const std::string& key_path, Access access) {
    failure_.clear();
    const bool writing = access == Access::kWrite;
#ifdef Q_OS_WIN
    if (registry_) {
        QSettings settings(RegistryPath(key_path), QSettings::NativeFormat);
        if (settings.status() == QSettings::NoError && (!writing || settings.isWritable()))
            return true;
        failure_ = RegistryPath(key_path) + (writing ? ": cannot be written" : ": cannot be read");
        return false;
    }
#endif
    if (file_.isEmpty() || !IsWritableKeyPath(key_path)) return Fail(QStringLiteral("no such key"));
    const QFileInfo info(file_);
    if (info.exists() && !info.isFile()) return Fail(QStringLiteral("not a regular file"));
    // Reading needs nothing to exist, and creates nothing.
    if (!writing) return LoadLines().has_value();
    if (!QDir().mkpath(info.absolutePath()))
        return Fail(QStringLiteral("its folder cannot be created"));
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir() || !folder.isWritable())
        return Fail(QStringLiteral("its folder cannot be written"));
    if (info.exists() && !info.isWritable()) return Fail(QStringLiteral("cannot be written"));
    auto lines = LoadLines();
    if (!lines) return false;
    if (HasIniSection(*lines, key_path)) return true;
    // Create the key: its section at the end of the file.
    AddSection(*lines, key_path);
    return SaveLines(*lines);
}

std::optional<std::string> IniSettingsBackend::Read(const std::string& key_path,
                                                    const std::string& name) {
#ifdef Q_OS_WIN
    if (registry_) {
        // Registry names are matched without regard to case by the registry itself.
        QSettings settings(RegistryPath(key_path), QSettings::NativeFormat);
        const QString key = FromCp1252(name);
        if (!settings.contains(key)) return std::nullopt;
        return ToCp1252(settings.value(key).toString());
    }
#endif
    auto lines = LoadLines();
    if (!lines) return std::nullopt;
    return IniValue(*lines, key_path, name);
}

bool IniSettingsBackend::Write(const std::string& key_path, const std::string& name,
                               const std::string& value) {
    if (!IsWritableName(name) || !IsWritableKeyPath(key_path)) return false;
#ifdef Q_OS_WIN
    if (registry_) {
        QSettings settings(RegistryPath(key_path), QSettings::NativeFormat);
        settings.setValue(FromCp1252(name), FromCp1252(value));
        settings.sync();
        return settings.status() == QSettings::NoError;
    }
#endif
    auto lines = LoadLines();
    if (!lines) return false;
    if (!SetIniValue(*lines, key_path, name, value)) return false;
    return SaveLines(*lines);
}

SettingsFailure SettingsFailureDialog(Dialogs& dialogs) {
    return [&dialogs](const QString& text, const std::string& title) {
        dialogs.ShowMessage(text, title, MessageIcon::None, MessageButtons::Ok);
    };
}

}  // namespace morvek::platform
