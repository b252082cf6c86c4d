// Figures shown to the user in the language's own notation: "16,6" in German, "16.6" in
// English. The language's locale is the default one (see app/catalogue.h).
#pragma once
#include <QLocale>
#include <QString>

// As QString::arg(double) writes it (six significant digits), in the default locale.
inline QString numberText(double v) { return QLocale().toString(v, 'g', 6); }
// With a fixed number of decimals.
inline QString numberText(double v, int decimals) { return QLocale().toString(v, 'f', decimals); }
