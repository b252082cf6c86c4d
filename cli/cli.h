// quendra-cli: the program's operations without a window, over the same core.
#pragma once
#include <QStringList>
#include <QTextStream>

// Exit statuses.
enum CliStatus { kOk = 0, kFailed = 1, kUsage = 2, kUnreadable = 3, kOperationFailed = 4 };

// Runs the command line args (without the program name); writes results to out and
// messages to err. Returns the exit status.
int runCli(const QStringList &args, QTextStream &out, QTextStream &err);
