#include "ops/core/params.h"

#include <cmath>

double Params::number(const QString &name, double fallback) const
{
    if (!has(name)) return fallback;
    bool ok = false;
    const double v = values_[name].toDouble(&ok);
    if (!ok || !std::isfinite(v))
        throw std::invalid_argument(QString("%1= needs a number, not \"%2\"").arg(name, values_[name]).toStdString());
    return v;
}

int Params::integer(const QString &name, int fallback) const
{
    if (!has(name)) return fallback;
    bool ok = false;
    const int v = values_[name].toInt(&ok);
    if (!ok) throw std::invalid_argument(QString("%1= needs a whole number, not \"%2\"").arg(name, values_[name]).toStdString());
    return v;
}

bool Params::flag(const QString &name, bool fallback) const
{
    if (!has(name)) return fallback;
    const QString v = values_[name];
    if (v == "1" || v == "true" || v == "yes") return true;
    if (v == "0" || v == "false" || v == "no") return false;
    throw std::invalid_argument(QString("%1= needs 0 or 1, not \"%2\"").arg(name, v).toStdString());
}
