// Finding and loading the translation catalogue of the stored language.
#pragma once
#include <QCoreApplication>
#include <QDir>
#include <QTranslator>

#include "app/appsettings.h"
#include "app/datafolders.h"

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
