// Where the program finds its files: its own folder, the HTML template folder beside it and the
// help file.
#pragma once

#include <QString>

namespace morvek::platform {

// The folder holding the program.
QString ProgramFolder();

// The template folder: an existing folder named "template" (in any letter case) beside the
// program; else, when `create` is set, a new "template" folder there; where the program's folder
// cannot be written, "template" in the user's application data folder instead. A folder Morvek
// creates receives the sample template "standard.htm"; an existing folder is never touched.
// Without `create`, a missing folder gives the path it would have.
QString TemplateFolder(bool create);

// The same rule for a given program folder and fallback folder (the parent of the fallback's
// "template").
QString TemplateFolderIn(const QString& program_folder, const QString& fallback_folder,
                         bool create);

// The sample template's name and its bytes as shipped with the program.
inline constexpr const char* kSampleTemplateName = "standard.htm";
QByteArray SampleTemplate();

// The help file beside the program, or in ../share/morvek from it when installed: the existing
// file named "Morvek.hlp" in any letter case, or the path beside the program when there is none.
QString HelpFilePath();

// The file in `folder` whose name equals `name` without regard to letter case; empty when none.
QString FindNoCase(const QString& folder, const QString& name, bool directories);

}  // namespace morvek::platform
