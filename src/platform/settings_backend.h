// Where the settings are kept. On Windows: the registry, under HKEY_LOCAL_MACHINE. Elsewhere (and
// anywhere a file is named, as with --settings FILE): an INI file whose section is the key path,
// by default "Varnoth/Morvek.conf" in the user's configuration folder:
//
//   [Software\Varnoth\Morvek]
//   PlayerSorting=0
//   CheckInterval=2.5
//   HTMLOutput=C:\\web\\status.htm
//
// Each value is one line, Name=text. A value is bytes and reads back byte for byte: in the file a
// backslash is written "\\", and control characters, bytes from 0x7F up and blanks at either end
// of a value are written "\xHH", so the file stays plain ASCII. A hand-edited file may hold raw
// 8-bit text, blanks around the "=", comment lines (";" or "#"), other sections and lines that
// are none of these: they are skipped on reading and kept as they are on writing, with their own
// line ends (LF or CR LF; new lines take the end of the file's first line). A backslash that
// starts neither "\\" nor "\xHH" stands for itself.
//
// Reading needs no right to write and creates nothing: a missing file reads as empty. Every write
// replaces the whole file atomically (QSaveFile: a temporary file in the same folder, flushed,
// then renamed over the old one), so a crash or a full disk mid-write leaves the previous file
// whole. Because of that the folder must be writable, and so must the file if it exists:
// otherwise the key cannot be opened for writing.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings.h"
#include "platform/dialogs.h"

namespace morvek::platform {

class IniSettingsBackend : public SettingsBackend {
  public:
    // The platform's store: the registry on Windows, DefaultFile() elsewhere.
    IniSettingsBackend();
    // An INI file at this path (created with its folder when the key is first opened for writing).
    explicit IniSettingsBackend(const QString& file);

    // The user's store on platforms without a registry:
    // <generic configuration folder>/Varnoth/Morvek.conf.
    static QString DefaultFile();

    bool OpenKey(const std::string& key_path, Access access) override;
    QString FailureDetail() const override;
    std::optional<std::string> Read(const std::string& key_path, const std::string& name) override;
    bool Write(const std::string& key_path, const std::string& name,
               const std::string& value) override;
    // Within a batch the file's lines are read once and kept; writes change them in memory and
    // the file is replaced once when the outermost batch ends.
    void BeginBatch() override;
    bool EndBatch() override;

  private:
    // Keeps "<file>: <cause>" for FailureDetail; returns false.
    bool Fail(const QString& cause);
    std::optional<std::vector<std::string>> LoadLines();
    bool SaveLines(const std::vector<std::string>& lines);

    QString file_;
    bool registry_ = false;
    int batch_depth_ = 0;
    std::optional<std::vector<std::string>> batch_lines_;
    bool batch_dirty_ = false;
    QString failure_;
};

// Escaping of one value in the INI file, and its reverse (which also accepts hand-written text).
std::string EscapeIniValue(const std::string& value);
std::string UnescapeIniValue(std::string_view text);

// The INI text as lines, each with its own end (LF or CR LF; the last line may lack one), and back.
std::vector<std::string> SplitIniLines(std::string_view bytes);
std::string JoinIniLines(const std::vector<std::string>& lines);
// Whether the text holds a section named `key_path` (names compared without regard to case).
bool HasIniSection(const std::vector<std::string>& lines, const std::string& key_path);
// The value `name` of the first section `key_path`, both matched without regard to case.
std::optional<std::string> IniValue(const std::vector<std::string>& lines,
                                    const std::string& key_path, const std::string& name);
// Sets that value in place (keeping the name's stored spelling) or adds it at the end of the
// section, adding the section at the end of the text when there is none. False for a name or key
// path that cannot be written as one line; the lines are then unchanged.
bool SetIniValue(std::vector<std::string>& lines, const std::string& key_path,
                 const std::string& name, const std::string& value);

// The failure message of the store shown through the program's dialogs (no icon, one OK button).
SettingsFailure SettingsFailureDialog(Dialogs& dialogs);

}  // namespace morvek::platform
