// Writing a whole file so that a failure never costs the file it was meant to replace.
#pragma once
#include <QByteArray>
#include <QString>

// Writes bytes to path through a temporary file in the same folder: every write, the flush
// to the disk and the close are checked, and only then is the temporary renamed over path
// in one step. On failure path keeps its old contents (or stays absent), the temporary is
// removed, and error holds the system's reason ("No space left on device"). A path that is
// a symbolic link, or anything but a regular file, is refused: results never go through a
// link into another folder. The new file keeps the permissions of the one it replaces.
bool writeFileReplacing(const QString &path, const QByteArray &bytes, QString *error);

