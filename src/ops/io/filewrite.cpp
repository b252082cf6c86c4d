#include "ops/io/filewrite.h"

#include "ops/io/filenames.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct FileWrite {
    Q_DECLARE_TR_FUNCTIONS(FileWrite)
};

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

bool writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

}  // namespace

bool writeFileReplacing(const QString &path, const QByteArray &bytes, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error) *error = why;
        return false;
    };
    const QByteArray target = nativeName(path);
    struct stat old {};
    const bool exists = ::lstat(target.constData(), &old) == 0;
    if (exists && S_ISLNK(old.st_mode))
        return fail(FileWrite::tr("it is a symbolic link; results are not written through links"));
    if (exists && !S_ISREG(old.st_mode)) return fail(FileWrite::tr("it is not a regular file"));

    QByteArray temp = nativeName(QFileInfo(path).absolutePath()) + "/.quendra-write-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return fail(systemReason(errno));
    // The permissions of the file replaced (owner read and write at least), else the usual
    // rw-r--r--. (Reading the umask would mean setting it, which races with other threads.)
    const mode_t mode = exists ? (old.st_mode & 07777) | S_IRUSR | S_IWUSR : 0644;
    errno = 0;
    bool written = writeAll(fd, bytes.constData(), bytes.size()) && ::fchmod(fd, mode) == 0 &&
                   ::fsync(fd) == 0;
    int reason = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        reason = errno;
    }
    if (written && ::rename(temp.constData(), target.constData()) != 0) {
        written = false;
        reason = errno;
    }
    if (!written) {
        ::unlink(temp.constData());
        return fail(systemReason(reason ? reason : EIO));
    }
    return true;
}
