// Running quendra-cli in process with its standard output and error captured.
#pragma once
#include <QStringList>
#include <QTextStream>

#include "cli.h"

// Runs the command line args; returns the exit status and, when asked, what it printed.
inline int run(const QStringList &args, QString *out = nullptr, QString *err = nullptr)
{
    QString o, e;
    QTextStream os(&o), es(&e);
    const int status = runCli(args, os, es);
    os.flush();
    es.flush();
    if (out) *out = o;
    if (err) *err = e;
    return status;
}
