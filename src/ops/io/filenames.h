// File names that are not UTF-8. Qt turns every name into text as UTF-8 and replaces bytes
// that are not, so a file named in Latin-1 ("caf\xe9.png") can be neither found nor opened
// by the name Qt gives it. Such names are carried losslessly instead: each byte of a name
// that is not valid UTF-8 from 0x80 to 0xFF becomes the code point U+DC00 plus the byte (a
// lone surrogate, which no valid UTF-8 name can hold), and turns back into that byte here.
#pragma once
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// The name as text: UTF-8 when it is valid, else ASCII kept and every other byte escaped.
QString nameFromNative(const QByteArray &name);

// The bytes the system knows the file by (QFile::encodeName for names without escapes).
QByteArray nativeName(const QString &name);

// The name to show: escaped bytes appear as U+FFFD.
QString displayName(const QString &name);

// A name every Qt and library reader can open for the file name: name itself, or, for a name
// with escaped bytes, a link to it in a private folder, named as displayName shows the file
// (its suffix kept), that lives as long as this object.
class ReadableName {
public:
    explicit ReadableName(const QString &name);
    const QString &path() const { return path_; }

private:
    QTemporaryDir folder_;
    QString path_;
};
