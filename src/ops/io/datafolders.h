// Where the programs find their catalogue, manual and shipped models: beside the executable
// in a build tree, under ../share/quendra for an installed program (whatever the prefix),
// else the data folder chosen when it was configured.
#pragma once
#include <QCoreApplication>
#include <QDir>
#include <QStringList>

inline QStringList dataFolderCandidates(const QString &sub)
{
    const QString exe = QCoreApplication::applicationDirPath();
    return {exe + '/' + sub, QDir::cleanPath(exe + "/../share/quendra/" + sub),
            QStringLiteral(QUENDRA_DATA_DIR "/") + sub};
}

// The first existing candidate folder for sub, else the build-tree one.
inline QString dataFolder(const QString &sub)
{
    const QStringList candidates = dataFolderCandidates(sub);
    for (const QString &folder : candidates)
        if (QDir(folder).exists()) return folder;
    return candidates.first();
}
