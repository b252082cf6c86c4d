// A folder on a disk that is full: a small tmpfs mounted for the test and filled to the
// last byte, so writes fail as on a real full disk, with ENOSPC ("No space left on device").
// Mounting needs root; where it fails, ok() is false and the test is skipped.
#pragma once
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/mount.h>

class FullFolder {
public:
    FullFolder()
    {
        mounted_ = ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0, "size=256k") == 0;
    }
    ~FullFolder()
    {
        if (mounted_) ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    FullFolder(const FullFolder &) = delete;
    FullFolder &operator=(const FullFolder &) = delete;

    bool ok() const { return mounted_; }
    QString path() const { return dir_.path(); }
    QString filePath(const QString &name) const { return dir_.filePath(name); }

    // Takes every byte that is left, in a file named .filler.
    void fill() const
    {
        QFile filler(filePath(".filler"));
        if (!filler.open(QIODevice::WriteOnly)) return;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {}
        const QByteArray byte(1, 'x');
        while (filler.write(byte) == 1 && filler.flush()) {}
    }
    // Gives the space back.
    void empty() const { QFile::remove(filePath(".filler")); }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};
