// Finding and loading the translation catalogue of the stored language.
#pragma once
#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/appsettings.h"
#include "ops/io/datafolders.h"

// The catalogue "lang/quendra_<code>", looked up in the working directory, then beside
// the executable, then in the installed data folders. True when one was loaded.
inline bool loadCatalogue(QTranslator &translator, int language)
{
    const QString name = QStringLiteral("quendra_") + languageCode(language);
    const QStringList folders = QStringList{QStringLiteral("lang")} + dataFolderCandidates("lang");
    for (const QString &folder : folders)
        if (translator.load(name, folder)) return true;
    return false;
}

// Qt's own catalogue for language (the texts of its file, print and message dialogs and of
// standard buttons), from Qt's translations folder. True when one was loaded; English needs none.
inline bool loadQtCatalogue(QTranslator &translator, int language)
{
    if (language != 1) return false;
    return translator.load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

// The locale numbers are shown and typed in: German with the German texts, English otherwise,
// whatever the system's locale, so that a number box never mixes the two.
inline QLocale languageLocale(int language)
{
    return language == 1 ? QLocale(QLocale::German, QLocale::Germany)
                         : QLocale(QLocale::English, QLocale::UnitedStates);
}

// Installs the program's and Qt's catalogues of language (both translators stay the caller's)
// and makes the language's locale the default of every widget created from now on.
inline void installLanguage(int language, QTranslator &own, QTranslator &qt)
{
    if (loadQtCatalogue(qt, language)) QCoreApplication::installTranslator(&qt);
    if (loadCatalogue(own, language)) QCoreApplication::installTranslator(&own);
    QLocale::setDefault(languageLocale(language));
}
