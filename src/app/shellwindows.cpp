// The settings dialog, the about box and the help pages, as reached from the main window.
#include <QDialog>

#include "app/appsettings.h"
#include "app/helpbrowser.h"
#include "app/mainwindow.h"
#include "dialogs/userdialogs.h"
#include "ui_aboutdialog.h"
#include "ui_dlgsettings.h"

void MainWindow::settings()
{
    QDialog dialog;
    Ui::DlgSettings form;
    form.setupUi(&dialog);
    dialog.resize(dialog.size().expandedTo(dialog.minimumSizeHint()));
    form.comboBox->addItem(tr("English"));
    form.comboBox->addItem(tr("German"));
    QSettings store = appSettings();
    form.comboBox->setCurrentIndex(store.value("language", 0).toInt());
    if (dialogs().exec(&dialog) != QDialog::Accepted) return;
    store.setValue("language", form.comboBox->currentIndex());
    dialogs().information(this, tr("Settings saved"),
                          tr("The settings have been saved.<br>Please restart the program to enable the changes."));
}

void MainWindow::about()
{
    auto *dialog = new QDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    Ui::AboutDialog form;
    form.setupUi(dialog);
    // The version comes from the build, so the box never shows an old one.
    form.versionLabel->setText(form.versionLabel->text().arg(kVersionText));
    dialog->show();
}

void MainWindow::help() { HelpBrowser::openHelpPage("index.html"); }
