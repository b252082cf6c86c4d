#include "ops/io/filenames.h"

#include <QByteArrayView>
#include <QFileInfo>
#include <unistd.h>

namespace {

constexpr char16_t kFirstEscape = 0xDC80, kLastEscape = 0xDCFF;

bool isEscape(QChar c) { return c.unicode() >= kFirstEscape && c.unicode() <= kLastEscape; }

bool hasEscapes(const QString &name)
{
    for (const QChar c : name)
        if (isEscape(c)) return true;
    return false;
}

}  // namespace

QString nameFromNative(const QByteArray &name)
{
    if (QByteArrayView(name).isValidUtf8()) return QString::fromUtf8(name);
    QString text;
    text.reserve(name.size());
    for (const char byte : name)
        text += uchar(byte) < 0x80 ? QChar(QLatin1Char(byte)) : QChar(char16_t(0xDC00 + uchar(byte)));
    return text;
}

QByteArray nativeName(const QString &name)
{
    if (!hasEscapes(name)) return QFile::encodeName(name);
    QByteArray bytes;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !isEscape(name[i])) continue;
        bytes += name.mid(start, i - start).toUtf8();  // the text between escapes
        if (i < name.size()) bytes += char(name[i].unicode() - 0xDC00);
        start = i + 1;
    }
    return bytes;
}

QString displayName(const QString &name)
{
    QString shown = name;
    for (QChar &c : shown)
        if (isEscape(c)) c = QChar::ReplacementCharacter;
    return shown;
}

ReadableName::ReadableName(const QString &name) : path_(name)
{
    if (!hasEscapes(name) || !folder_.isValid()) return;
    const QString link = folder_.filePath(displayName(QFileInfo(name).fileName()));
    const QByteArray target = nativeName(QFileInfo(name).absoluteFilePath());
    if (::symlink(target.constData(), QFile::encodeName(link).constData()) == 0) path_ = link;
}
