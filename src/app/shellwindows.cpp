// The settings dialog, the about box and the help pages, as reached from the main window.
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

#include "app/appsettings.h"
#include "app/mainwindow.h"
#include "dialogs/userdialogs.h"

void MainWindow::settings() {}

void MainWindow::about()
{
    dialogs().information(this, tr("About Quendra Tools"),
                          tr("<h3>Quendra Tool</h3><p>This software package offers computer vision tools for the "
                             "analysis of vasculature.</p><p>Version %1</p>")
                              .arg(kVersionText));
}

void MainWindow::help() {}
