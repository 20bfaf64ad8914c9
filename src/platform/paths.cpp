#include "platform/paths.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/files.h"

namespace morvek::platform {
namespace {

constexpr const char* kDataFolderName = "morvek";
constexpr const char* kTemplateFolderName = "morvek/template";
constexpr const char* kSampleResource = ":/template/standard.htm";

// `sub` in each data folder, the user's first.
QStringList DataFolders(const char* sub) {
    QStringList folders;
    for (const QString& data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << QDir(data).filePath(QString::fromLatin1(sub));
    return folders;
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

QStringList TemplateFolders() {
    return DataFolders(kTemplateFolderName);
}

bool MakeTemplateFolder() {
    const QStringList folders = TemplateFolders();
    for (const QString& folder : folders)
        if (QFileInfo(folder).isDir()) return true;
    if (folders.isEmpty() || !QDir().mkpath(folders.front())) return false;
    const QByteArray sample = SampleTemplate();
    if (!sample.isEmpty())
        ReplaceFile(QDir(folders.front()).filePath(QString::fromLatin1(kSampleTemplateName)),
                    sample);
    return true;
}

QString FindInFolders(const QStringList& folders, const QString& name) {
    for (const QString& folder : folders) {
        const QString found = FindNoCase(folder, name, false);
        if (!found.isEmpty()) return found;
    }
    return folders.isEmpty() ? name : QDir(folders.front()).filePath(name);
}

QStringList TemplateNames(const QStringList& folders) {
    QStringList names;
    for (const QString& folder : folders) {
        const QStringList before = names;  // an earlier folder's name hides this folder's
        for (const QString& name : QDir(folder).entryList({QStringLiteral("*.htm")}, QDir::Files))
            if (!before.contains(name, Qt::CaseInsensitive)) names << name;
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

QByteArray SampleTemplate() {
    QFile file(QString::fromLatin1(kSampleResource));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

QString HelpFolder(const QString& name) {
    return QFileInfo(
               FindInFolders(QStringList{ProgramFolder()} + DataFolders(kDataFolderName), name))
        .path();
}

}  // namespace morvek::platform
