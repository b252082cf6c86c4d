// The answers an operation's dialogs would give, as NAME=VALUE pairs. The command-line
// tool parses them from its arguments; the view fills them from its dialogs.
#pragma once
#include <QMap>
#include <QString>
#include <stdexcept>

class Params {
public:
    void set(const QString &name, const QString &value) { values_[name] = value; }
    void set(const QString &name, double value) { values_[name] = QString::number(value, 'g', 17); }
    bool has(const QString &name) const { return values_.contains(name); }
    QString text(const QString &name, const QString &fallback = QString()) const { return values_.value(name, fallback); }
    // The value as a number; throws std::invalid_argument naming the parameter if it is not one.
    double number(const QString &name, double fallback) const;
    int integer(const QString &name, int fallback) const;
    bool flag(const QString &name, bool fallback) const;
    QStringList names() const { return values_.keys(); }

private:
    QMap<QString, QString> values_;
};
