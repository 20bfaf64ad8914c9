#include "platform/files.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace morvek::platform {

bool IsReplaceable(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    if (info.isSymLink()) return false;
    return !info.exists() || info.isFile();
}

QString NotRegularFileText(const QString& path) {
    return path + QStringLiteral(" is not a regular file");
}

bool ReplaceFile(const QString& path, const QByteArray& bytes, bool in_place_when_folder_locked,
                 QString* why) {
    const auto fail = [why](const QString& cause) {
        if (why) *why = cause;
        return false;
    };
    if (!IsReplaceable(path)) return fail(QStringLiteral("not a regular file"));
    QSaveFile file(path);
    file.setDirectWriteFallback(in_place_when_folder_locked);
    // Unbuffered: a write that does not fit fails here, not in a flush that commit() ignores.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return fail(file.errorString());
    if (file.write(bytes) != bytes.size() || !file.flush() ||
        file.error() != QFileDevice::NoError) {
        const QString cause = file.errorString();
        file.cancelWriting();
        return fail(cause);
    }
    return file.commit() || fail(file.errorString());
}

bool RemoveRegularFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return true;
    return info.isFile() && QFile::remove(path);
}

}  // namespace morvek::platform
