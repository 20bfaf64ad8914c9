// Whole files in and out: what a program wrote, what a test gives it.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace morvek::testing {

// The file's bytes; "<folder>" for a folder, "<missing>" when it cannot be read.
inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) return file.readAll();
    return QFileInfo(path).isDir() ? "<folder>" : "<missing>";
}

// Writes the bytes whole, making the folders on the way; false on any failure.
inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

}  // namespace morvek::testing
