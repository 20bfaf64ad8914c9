// Where the program finds its files: its own folder, the HTML template folders and the help
// file.
#pragma once

#include <QString>
#include <QStringList>

namespace morvek::platform {

// The folder holding the program.
QString ProgramFolder();

// The template folders, in lookup order: "morvek/template" in the user's data folder
// (~/.local/share), then in each system data folder (/usr/local/share, /usr/share), as
// QStandardPaths' GenericDataLocation lists them. Morvek writes nothing beside its program.
QStringList TemplateFolders();

// When none of the template folders exists, makes the user's one with the sample template
// "standard.htm" in it; failures are silent. Returns whether a template folder exists now.
bool MakeTemplateFolder();

// The file `name` (an exact match first, then without regard to letter case) in the first of
// `folders` that holds it (templates, the help file); the path in the first folder when none does.
QString FindInFolders(const QStringList& folders, const QString& name);

// The "*.htm" names in `folders`, sorted without regard to letter case; a name in a folder hides
// the same name, in any letter case, in the folders after it.
QStringList TemplateNames(const QStringList& folders);

// The sample template's name and its bytes as shipped with the program.
inline constexpr const char* kSampleTemplateName = "standard.htm";
QByteArray SampleTemplate();

// The folder holding the help file `name` (any letter case): the program's own (a build tree),
// else "morvek" in the first data folder that has it (an installed program), else the program's.
QString HelpFolder(const QString& name);

// The file in `folder` whose name equals `name` without regard to letter case; empty when none.
QString FindNoCase(const QString& folder, const QString& name, bool directories);

}  // namespace morvek::platform
