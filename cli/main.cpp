#include <QCoreApplication>
#include <QLocale>

#include "cli.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The command line speaks English with decimal points, whatever the system's locale.
    QLocale::setDefault(QLocale::c());
    QTextStream out(stdout), err(stderr);
    QStringList args = app.arguments();
    args.removeFirst();
    const int status = runCli(args, out, err);
    out.flush();
    err.flush();
    return status;
}
