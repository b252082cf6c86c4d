#include "dialogs/userdialogs.h"

#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextDocumentFragment>
#include <QDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <algorithm>

namespace {

UserDialogs realDialogs;
UserDialogs *current = &realDialogs;

int ask(QMessageBox::Icon icon, QWidget *parent, const QString &title, const QString &text,
        const QStringList &buttons, int defaultButton, int escapeButton)
{
    QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
    QList<QPushButton *> made;
    for (const QString &label : buttons) {
        const auto role = made.isEmpty() ? QMessageBox::YesRole : QMessageBox::NoRole;
        made << box.addButton(label, role);
    }
    if (defaultButton >= 0 && defaultButton < made.size()) box.setDefaultButton(made[defaultButton]);
    if (escapeButton >= 0 && escapeButton < made.size()) box.setEscapeButton(made[escapeButton]);
    box.exec();
    const int index = made.indexOf(qobject_cast<QPushButton *>(box.clickedButton()));
    return index >= 0 ? index : escapeButton;
}

}  // namespace

UserDialogs &dialogs() { return *current; }
void setDialogs(UserDialogs *replacement) { current = replacement ? replacement : &realDialogs; }

void UserDialogs::information(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::information(parent, title, text);
}

void UserDialogs::warning(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::warning(parent, title, text);
}

void UserDialogs::report(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    QPushButton *copy = box.addButton(QCoreApplication::translate("UserDialogs", "Copy figures"), QMessageBox::ActionRole);
    box.exec();
    if (box.clickedButton() == copy) QGuiApplication::clipboard()->setText(reportFigures(text));
}

QString reportFigures(const QString &text)
{
    QStringList lines;
    // Paragraphs and line breaks may come out as Unicode separators rather than newlines.
    static const QRegularExpression breaks(QStringLiteral("[\\n\\x{2028}\\x{2029}]"));
    for (const QString &line : QTextDocumentFragment::fromHtml(text).toPlainText().split(breaks)) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty()) continue;
        const qsizetype colon = trimmed.indexOf(QLatin1String(": "));
        lines << (colon < 0 ? trimmed : trimmed.left(colon) + '\t' + trimmed.mid(colon + 2));
    }
    return lines.join('\n') + '\n';
}

int UserDialogs::question(QWidget *parent, const QString &title, const QString &text, const QStringList &buttons,
                          int defaultButton, int escapeButton)
{
    return ask(QMessageBox::Question, parent, title, text, buttons, defaultButton, escapeButton);
}

int UserDialogs::warningQuestion(QWidget *parent, const QString &title, const QString &text,
                                 const QStringList &buttons, int defaultButton, int escapeButton)
{
    return ask(QMessageBox::Warning, parent, title, text, buttons, defaultButton, escapeButton);
}

double UserDialogs::getDouble(QWidget *parent, const QString &title, const QString &label, double value,
                              double minimum, double maximum, int decimals, bool *ok)
{
    return QInputDialog::getDouble(parent, title, label, value, minimum, maximum, decimals, ok);
}

QString UserDialogs::getItem(QWidget *parent, const QString &title, const QString &label, const QStringList &items,
                             int current, bool *ok)
{
    return QInputDialog::getItem(parent, title, label, items, current, false, ok);
}

QString UserDialogs::getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                                     const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString UserDialogs::getOpenImageFileName(QWidget *parent, const QString &caption, const QString &dir,
                                          const QString &filter, QList<Choice> &choices)
{
    // Qt's own dialog, not the platform's, so that the choices can sit under the file list.
    QFileDialog dialog(parent, caption, dir, filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    QList<QComboBox *> boxes;
    auto *grid = qobject_cast<QGridLayout *>(dialog.layout());
    for (const Choice &choice : choices) {
        auto *box = new QComboBox(&dialog);
        box->addItems(choice.items);
        box->setCurrentIndex(std::clamp(choice.index, 0, int(choice.items.size()) - 1));
        boxes << box;
        if (!grid) continue;
        const int row = grid->rowCount();
        grid->addWidget(new QLabel(choice.label, &dialog), row, 0);
        grid->addWidget(box, row, 1);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    for (int i = 0; i < choices.size(); ++i) choices[i].index = boxes[i]->currentIndex();
    return dialog.selectedFiles().first();
}

QString UserDialogs::getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                     const QStringList &filters, QString *selectedFilter)
{
    QFileDialog dialog(parent, caption, dir);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setViewMode(QFileDialog::List);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setModal(true);
    dialog.setNameFilters(filters);
    if (selectedFilter && filters.contains(*selectedFilter)) dialog.selectNameFilter(*selectedFilter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    if (selectedFilter) *selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().first();
}

int UserDialogs::exec(QDialog *dialog) { return dialog->exec(); }

bool UserDialogs::print(QWidget *parent, QPrinter *printer)
{
    QPrintDialog dialog(printer, parent);
    return dialog.exec() == QDialog::Accepted;
}
