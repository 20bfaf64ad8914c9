// Text rules. Names and values are bytes of the Windows-1252 code page, exactly as the server
// sent them; conversion to QString happens once, at the edge (widgets, JSON, file names).
#pragma once

#include <QString>
#include <string>
#include <string_view>

class QJsonObject;

namespace morvek {

// Upper-cases the letters of Windows-1252 (a-z, the accented letters, š œ ž ÿ).
std::string UpperCase1252(std::string_view text);

// Compares as sequences of unsigned character codes: <0, 0 or >0.
int CompareBytes(std::string_view a, std::string_view b);

// Case-insensitive equality over Windows-1252.
bool EqualsNoCase(std::string_view a, std::string_view b);

// Windows-1252 bytes to QString and back (characters outside the code page become "?").
QString FromCp1252(std::string_view bytes);
std::string ToCp1252(const QString& text);

// A file name as stored among the settings: the bytes the file system is given for it (the
// local 8-bit encoding, QFile::encodeName), and back. Stored bytes that are not valid in that
// encoding were written by an earlier version as Windows-1252, and are read so.
std::string PathBytes(const QString& path);
QString PathFromBytes(std::string_view bytes);

// Windows-1252 bytes to UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);

// Windows-1252 bytes as UTF-8 fit for a terminal: a tab becomes a blank and every other control
// character (line ends, escape, the C1 codes) a "?", so a text can neither move the cursor,
// retitle the window nor start a line of its own.
std::string TerminalText(std::string_view bytes);
// The same of a text the program holds as a QString (a file name, a message).
std::string TerminalText(const QString& text);

// Windows-1252 bytes as a quoted JSON string in UTF-8, escaped as QJsonDocument writes it,
// appended to `out`.
void AppendJsonString(std::string& out, std::string_view bytes);

// One JSON object as one line of compact UTF-8 text, without the line end.
std::string JsonLine(const QJsonObject& object);

// True when the text is empty or made of blanks (0x20) only.
bool IsBlank(std::string_view text);

}  // namespace morvek
