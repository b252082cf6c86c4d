// One sub-command's command line: the options it declares, read with QCommandLineParser
// (options anywhere among the arguments, "--" ends them), and its help text, written from
// the same declarations so the help cannot drift from what is accepted.
#pragma once
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include "ops/io/imageio.h"

class CommandLine {
public:
    // usage: the arguments after "quendra-cli COMMAND", e.g. "[options] --out DIR INPUT...";
    // description: what the command does, one paragraph (wrapped for the terminal).
    CommandLine(const QString &command, const QString &usage, const QString &description);

    // Declares --name without a value.
    CommandLine &flag(const QString &name, const QString &help);
    // Declares --name VALUE.
    CommandLine &option(const QString &name, const QString &valueName, const QString &help);
    // Lines of the help after the options, kept as written (a table, say).
    CommandLine &note(const QString &text);

    // The options shared by several commands, declared and read in one place.
    CommandLine &threadsOption();
    CommandLine &channelOption();
    CommandLine &pixelSizeOption(const QString &help);

    // Reads args (without "quendra-cli COMMAND"); throws UsageError for an unknown option,
    // a missing value or a value given twice.
    void parse(const QStringList &args);
    // --help or -h was given: the caller prints help() and does nothing else.
    bool helpAsked() const { return isSet("help"); }

    bool isSet(const QString &name) const;
    // The option's value, empty when it is absent.
    QString value(const QString &name) const;
    // The arguments that are not options, in order.
    const QStringList &positional() const { return positional_; }

    // --threads N (1 to execution::kMaxThreads) when given, which also becomes the
    // program's setting for row passes; else the program's setting.
    int threads() const;
    // --channel gray|red|green|blue, gray when absent.
    Channel channel() const;
    // --pixel-size MM: a positive finite number of millimetres, 0 when absent.
    double pixelSize() const;

    QString command() const { return command_; }
    QString help() const;

private:
    struct Entry {
        QString name, valueName, help;
    };
    QString command_, usage_, description_;
    QList<Entry> entries_;
    QStringList notes_;
    QMap<QString, QStringList> values_;  // by option name; a flag holds one empty value per use
    QStringList positional_;
};

// A row parameter as an option: its value's name (N, NAME for a choice, 0|1 for a flag)
// and its help with range and default, e.g. "top-hat disc size, 1 to 99 (default 13)".
struct ParamInfo;
QString paramValueName(const ParamInfo &param);
QString paramHelp(const ParamInfo &param);

// text broken into lines of at most width characters, each after indent spaces.
QString wrapText(const QString &text, int indent, int width = 100);
