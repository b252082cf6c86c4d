// The program's per-user settings store.
#pragma once
#include <QSettings>

inline constexpr const char *kOrganisation = "Korvel, Zentrilo";
inline constexpr const char *kApplication = "Quendra Tool";
// The program version, as the build names it (the project version in CMake).
inline constexpr const char *kVersionText = QUENDRA_VERSION;

inline QSettings appSettings() { return QSettings(kOrganisation, kApplication); }

// The interface language chosen in the settings dialog: 0 English (the default), 1 German.
inline int storedLanguage() { return appSettings().value("language", 0).toInt(); }

// The colour channel files are opened with, chosen in the open dialog: 0 gray (the default),
// 1 red, 2 green, 3 blue, as in the core's Channel.
inline int storedChannel()
{
    const int channel = appSettings().value("channel", 0).toInt();
    return channel >= 0 && channel <= 3 ? channel : 0;
}

// How DICOM files give gray levels, chosen in the open dialog: 0 the file's window (the
// default), 1 the full stored range, as in the core's DicomWindow.
inline int storedDicomWindow() { return appSettings().value("dicomWindow", 0).toInt() == 1 ? 1 : 0; }

// The catalogue code of a stored language: 0 English "en", 1 German "gr", else none.
inline QString languageCode(int language)
{
    return language == 0 ? QStringLiteral("en") : language == 1 ? QStringLiteral("gr") : QString();
}
