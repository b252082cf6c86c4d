#include "commandline.h"

#include <QCommandLineParser>
#include <cmath>

#include "commands.h"
#include "ops/core/execution.h"
#include "ops/table/operations.h"

CommandLine::CommandLine(const QString &command, const QString &usage, const QString &description)
    : command_(command), usage_(usage), description_(description)
{
}

CommandLine &CommandLine::flag(const QString &name, const QString &help)
{
    entries_ << Entry{name, QString(), help};
    return *this;
}

CommandLine &CommandLine::option(const QString &name, const QString &valueName, const QString &help)
{
    entries_ << Entry{name, valueName, help};
    return *this;
}

CommandLine &CommandLine::note(const QString &text)
{
    notes_ << text;
    return *this;
}

CommandLine &CommandLine::threadsOption()
{
    return option("threads", "N",
                  QString("threads to use, 1 to %1 (default: the number of cores, at most 8; here %2)")
                      .arg(execution::kMaxThreads)
                      .arg(execution::defaultThreads()));
}

CommandLine &CommandLine::channelOption()
{
    return option("channel", "C", "the colour channel a colour picture is read as: gray (default), red, green or blue");
}

CommandLine &CommandLine::pixelSizeOption(const QString &help) { return option("pixel-size", "MM", help); }

void CommandLine::parse(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringList{"h", "help"}));
    for (const Entry &e : entries_)
        parser.addOption(e.valueName.isEmpty() ? QCommandLineOption(e.name) : QCommandLineOption(e.name, e.help, e.valueName));
    if (!parser.parse(QStringList{"quendra-cli"} + args)) {
        QString error = parser.errorText();
        if (error.endsWith('.')) error.chop(1);
        throw UsageError(QString("%1: %2 (see quendra-cli %1 --help)").arg(command_, error).toStdString());
    }
    values_.clear();
    for (const QString &name : parser.optionNames()) {
        const QString key = name == "h" ? QString("help") : name;
        if (!values_.contains(key)) values_.insert(key, parser.values(name));
    }
    for (const Entry &e : entries_)
        if (!e.valueName.isEmpty() && values_.value(e.name).size() > 1)
            throw UsageError(QString("--%1 given twice").arg(e.name).toStdString());
    positional_ = parser.positionalArguments();
}

bool CommandLine::isSet(const QString &name) const { return values_.contains(name); }

QString CommandLine::value(const QString &name) const
{
    const QStringList values = values_.value(name);
    return values.isEmpty() ? QString() : values.first();
}

int CommandLine::threads() const
{
    const QString text = value("threads");
    if (text.isEmpty()) return execution::threads();
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 1 || n > execution::kMaxThreads)
        throw UsageError(QString("--threads must be 1 to %1, not \"%2\"").arg(execution::kMaxThreads).arg(text).toStdString());
    execution::setThreads(n);
    return n;
}

Channel CommandLine::channel() const
{
    const QString name = value("channel");
    Channel channel = Channel::Gray;
    if (!name.isEmpty() && !parseChannel(name, &channel))
        throw UsageError(QString("--channel must be gray, red, green or blue, not \"%1\"").arg(name).toStdString());
    return channel;
}

double CommandLine::pixelSize() const
{
    const QString text = value("pixel-size");
    if (text.isEmpty()) return 0.0;
    bool ok = false;
    const double size = text.toDouble(&ok);
    if (!ok || !(size > 0.0) || !std::isfinite(size))
        throw UsageError(QString("--pixel-size must be a positive number of millimetres, not \"%1\"").arg(text).toStdString());
    return size;
}

QString CommandLine::help() const
{
    QString text = QString("quendra-cli %1 %2\n").arg(command_, usage_);
    text += wrapText(description_, 2) + "\n";
    int column = 0;
    for (const Entry &e : entries_) column = std::max(column, int(e.name.size() + e.valueName.size()) + 4);
    for (const Entry &e : entries_) {
        const QString head = QString("  --%1 %2").arg(e.name, e.valueName).leftJustified(column + 3);
        text += head + wrapText(e.help, column + 3).mid(column + 3) + "\n";
    }
    for (const QString &n : notes_)
        for (const QString &noteLine : n.split('\n')) text += "  " + noteLine + "\n";
    return text;
}

QString paramValueName(const ParamInfo &param)
{
    switch (param.kind) {
    case ParamKind::Choice: return "NAME";
    case ParamKind::Flag: return "0|1";
    case ParamKind::Integer:
    case ParamKind::Number: break;
    }
    return "N";
}

QString paramHelp(const ParamInfo &param)
{
    QString text = param.help;
    if (param.kind == ParamKind::Integer || param.kind == ParamKind::Number) {
        // Unless the help already says it ("0 to 100", "0..255").
        if (!text.contains(QString::number(param.maximum))) text += QString(", %1 to %2").arg(param.minimum).arg(param.maximum);
    }
    if (*param.defaultValue) text += QString(" (default %1)").arg(param.defaultValue);
    return text;
}

QString wrapText(const QString &text, int indent, int width)
{
    const QString pad(indent, ' ');
    QStringList lines;
    QString line;
    for (const QString &word : text.split(' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent + line.size() + 1 + word.size() > width) {
            lines << pad + line;
            line.clear();
        }
        line += (line.isEmpty() ? "" : " ") + word;
    }
    if (!line.isEmpty()) lines << pad + line;
    return lines.join('\n');
}
