// One segment run per results folder: a lock that ends with the process, kill -9 included.
#pragma once
#include <QFile>
#include <QString>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <unistd.h>

// An exclusive flock on a folder, held while the object lives; throws std::runtime_error
// in words when another process holds it.
class FolderLock {
public:
    explicit FolderLock(const QString &folder) : fd_(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0) return;
        const int reason = errno;
        if (fd_ >= 0) ::close(fd_);
        throw std::runtime_error(reason == EWOULDBLOCK ? QString("another run is writing into %1; wait for it to end or choose "
                                                                 "another --out")
                                                             .arg(folder)
                                                             .toStdString()
                                                       : QString("cannot lock the folder %1: %2")
                                                             .arg(folder, QString::fromLocal8Bit(std::strerror(reason)))
                                                             .toStdString());
    }
    ~FolderLock() { ::close(fd_); }
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

private:
    int fd_;
};
