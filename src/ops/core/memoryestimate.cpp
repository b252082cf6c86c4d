#include "ops/core/memoryestimate.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <limits>
#include <sys/resource.h>

namespace {

struct MemoryEstimate {
    Q_DECLARE_TR_FUNCTIONS(MemoryEstimate)
};

constexpr double kUnknown = std::numeric_limits<double>::infinity();

QByteArray readSmallFile(const char *path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(16384) : QByteArray();
}

// The "MemAvailable:  12345 kB" line of /proc/meminfo.
double systemAvailable()
{
    for (const QByteArray &line : readSmallFile("/proc/meminfo").split('\n'))
        if (line.startsWith("MemAvailable:")) {
            bool ok = false;
            const double kb = line.mid(13).trimmed().split(' ').value(0).toDouble(&ok);
            return ok ? kb * 1024.0 : kUnknown;
        }
    return kUnknown;
}

// The control group's limit less what it uses (cgroup v2); "max" when there is none.
double groupAvailable()
{
    bool limited = false, used = false;
    const double limit = readSmallFile("/sys/fs/cgroup/memory.max").trimmed().toDouble(&limited);
    const double current = readSmallFile("/sys/fs/cgroup/memory.current").trimmed().toDouble(&used);
    return limited && used ? std::max(0.0, limit - current) : kUnknown;
}

// The address-space limit (ulimit -v) less the address space already taken (VmSize).
double addressSpaceLeft()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kUnknown;
    for (const QByteArray &line : readSmallFile("/proc/self/status").split('\n'))
        if (line.startsWith("VmSize:"))
            return std::max(0.0, double(limit.rlim_cur) - line.mid(7).trimmed().split(' ').value(0).toDouble() * 1024.0);
    return double(limit.rlim_cur);
}

}  // namespace

double availableMemoryBytes() { return std::min({systemAvailable(), groupAvailable(), addressSpaceLeft()}); }

QString memoryText(double bytes)
{
    const double mb = bytes / (1024.0 * 1024.0);
    return mb < 1024.0 ? MemoryEstimate::tr("%1 MB").arg(mb, 0, 'f', 0) : MemoryEstimate::tr("%1 GB").arg(mb / 1024.0, 0, 'f', 1);
}

QString memoryShortfall(const QString &what, double needed)
{
    const double available = availableMemoryBytes();
    if (needed <= available) return {};
    return MemoryEstimate::tr("%1 needs about %2 of memory, and %3 are free")
        .arg(what, memoryText(needed), memoryText(available));
}
