// Files Morvek creates or replaces: the HTML page, the settings file, the PDF report and the log.
// Only regular files are ever replaced or deleted; a path naming a device, a pipe, a socket, a
// folder or a symbolic link is refused, so no run can remove or overwrite such a node, even as
// root, nor be led by a link planted in a writable folder to write somewhere else. (The settings
// file alone follows its link: keeping it elsewhere is the user's own choice.)
#pragma once

#include <QByteArray>
#include <QString>

namespace morvek::platform {

// True when `path` does not exist or is a regular file; a symbolic link is never replaceable.
bool IsReplaceable(const QString& path);

// The message shown when a path is refused: "<path> is not a regular file".
QString NotRegularFileText(const QString& path);

// Replaces the file whole with `bytes`: written unbuffered to a temporary file beside it, flushed,
// then renamed over it. When any write, the flush or the rename fails (a full disk), or the path
// is not replaceable, returns false and the previous file stays as it was.
// With `in_place_when_folder_locked`, a writable file in a folder where no temporary file can be
// made (a web root the user may write a page in, but not create files in) is rewritten in place
// instead: not atomic, but written. `why` receives the cause of a failure.
bool ReplaceFile(const QString& path, const QByteArray& bytes,
                 bool in_place_when_folder_locked = false, QString* why = nullptr);

// Deletes a regular file; false (nothing deleted) for any other kind of node or a failure.
// A path that does not exist counts as deleted.
bool RemoveRegularFile(const QString& path);

}  // namespace morvek::platform
