// libFuzzer target over reading a file and running a few operations on what it holds.
#include <QCoreApplication>

#include "fuzzone.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The image readers' plugins are found through the application object.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzing::runOne(data, size);
    return 0;
}
