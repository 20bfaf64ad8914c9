#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/files.h"

namespace morvek::platform {
namespace {

constexpr const char* kTemplateFolderName = "template";
constexpr const char* kSampleResource = ":/template/standard.htm";

// Creates `parent`/template and puts the sample template into it; false when the folder cannot
// be made. A sample that cannot be written leaves the new folder empty.
bool CreateTemplateFolder(const QString& parent, QString& created) {
    QDir dir(parent);
    if (!dir.exists() && !QDir().mkpath(parent)) return false;
    if (!QFileInfo(parent).isWritable()) return false;
    if (!dir.mkdir(QString::fromLatin1(kTemplateFolderName))) return false;
    created = dir.filePath(QString::fromLatin1(kTemplateFolderName));
    const QByteArray sample = SampleTemplate();
    if (!sample.isEmpty())
        ReplaceFile(QDir(created).filePath(QString::fromLatin1(kSampleTemplateName)), sample);
    return true;
}

}  // namespace

QString ProgramFolder() {
    return QCoreApplication::applicationDirPath();
}

QString FindNoCase(const QString& folder, const QString& name, bool directories) {
    const QDir dir(folder);
    if (!dir.exists()) return {};
    const QDir::Filters filters =
        (directories ? QDir::Dirs : QDir::Files) | QDir::Hidden | QDir::NoDotAndDotDot;
    QStringList entries = dir.entryList(filters, QDir::Name);
    // An exact match first, so a folder holding both "Template" and "template" picks the latter.
    if (entries.contains(name)) return dir.filePath(name);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    return {};
}

QString TemplateFolderIn(const QString& program_folder, const QString& fallback_folder,
                         bool create) {
    const QString name = QString::fromLatin1(kTemplateFolderName);
    QString found = FindNoCase(program_folder, name, true);
    if (!found.isEmpty()) return found;
    if (!fallback_folder.isEmpty()) {
        found = FindNoCase(fallback_folder, name, true);
        if (!found.isEmpty()) return found;
    }
    const QString beside = QDir(program_folder).filePath(name);
    if (!create) {
        if (fallback_folder.isEmpty() || QFileInfo(program_folder).isWritable()) return beside;
        return QDir(fallback_folder).filePath(name);
    }
    QString created;
    if (CreateTemplateFolder(program_folder, created)) return created;
    if (!fallback_folder.isEmpty() && CreateTemplateFolder(fallback_folder, created))
        return created;
    return beside;
}

QString TemplateFolder(bool create) {
    return TemplateFolderIn(
        ProgramFolder(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), create);
}

QByteArray SampleTemplate() {
    QFile file(QString::fromLatin1(kSampleResource));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

QString HelpFilePath() {
    const QString name = QStringLiteral("Morvek.hlp");
    QString found = FindNoCase(ProgramFolder(), name, false);
    // An installed program keeps it in ../share/morvek.
    if (found.isEmpty()) found = FindNoCase(ProgramFolder() + "/../share/morvek", name, false);
    return found.isEmpty() ? QDir(ProgramFolder()).filePath(name) : QDir::cleanPath(found);
}

}  // namespace morvek::platform
