#include <QCoreApplication>
#include <QLocale>

#include "cli.h"
#include "ops/io/filenames.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The command line speaks English with decimal points, whatever the system's locale.
    QLocale::setDefault(QLocale::c());
    QTextStream out(stdout), err(stderr);
    // File names are taken from the bytes given, so that names that are not UTF-8 survive.
    QStringList args;
    for (int i = 1; i < argc; ++i) args << nameFromNative(QByteArray(argv[i]));
    const int status = runCli(args, out, err);
    out.flush();
    err.flush();
    return status;
}
