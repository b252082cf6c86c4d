#include "ops/io/cimgread.h"

#include <QFile>
#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>

#include "ops/core/largebuffer.h"

namespace {

// The header's first line names a single image of doubles in the machine's byte order.
bool isNativeDoubleHeader(const char *line)
{
    unsigned int count = 0;
    char type[32] = {0}, endian[32] = {0};
    if (std::sscanf(line, "%u %31s %31s", &count, type, endian) != 3 || count != 1) return false;
    if (std::strcmp(type, "double") != 0 && std::strcmp(type, "float64") != 0) return false;
    const bool little = std::endian::native == std::endian::little;
    return std::strcmp(endian, little ? "little_endian" : "big_endian") == 0;
}

}  // namespace

bool readNativeCimg(const QString &path, Image &image)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(QFile::encodeName(path).constData(), "rb"),
                                                                &std::fclose);
    if (!file) return false;
    char line[256];
    if (!std::fgets(line, sizeof line, file.get()) || !isNativeDoubleHeader(line)) return false;
    unsigned int w = 0, h = 0, d = 0, c = 0;
    char rest = 0;
    if (!std::fgets(line, sizeof line, file.get()) || std::sscanf(line, "%u %u %u %u%c", &w, &h, &d, &c, &rest) != 5 ||
        rest != '\n' || w == 0 || h == 0 || d == 0 || c == 0)
        return false;
    const long dataStart = std::ftell(file.get());
    const size_t count = size_t(w) * h * d * c;
    if (std::fseek(file.get(), 0, SEEK_END) != 0 || std::ftell(file.get()) != dataStart + long(count * sizeof(double)) ||
        std::fseek(file.get(), dataStart, SEEK_SET) != 0)
        return false;
    Image read = uninitializedImage(int(w), int(h), int(d), int(c));
    if (std::fread(read.data(), sizeof(double), count, file.get()) != count) return false;
    read.move_to(image);
    return true;
}
