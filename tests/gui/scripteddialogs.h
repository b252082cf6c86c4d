// A dialog seam for tests: answers come from queues, every call is recorded, and nothing
// ever blocks. Install it with ScriptedDialogs::Scope.
#pragma once
#include <QDialog>
#include <QQueue>
#include <QStringList>
#include <algorithm>
#include <functional>

#include "dialogs/userdialogs.h"

class ScriptedDialogs : public UserDialogs {
public:
    struct Scope {
        explicit Scope(ScriptedDialogs &d) { setDialogs(&d); }
        ~Scope() { setDialogs(nullptr); }
    };

    QStringList shown;                 // "title|text" of every box, in order
    QQueue<int> answers;               // question answers (button index); escape when empty
    QQueue<double> doubles;            // getDouble answers; cancel when empty
    QQueue<QString> items;             // getItem answers; cancel when empty
    QQueue<QString> fileNames;         // open/save names; cancel when empty
    QQueue<QString> filters;           // save filters, the first offered when empty; a
                                       // suffix (".bmp") picks the first filter of it
    QStringList offeredFilters;        // what the last save dialog offered
    QQueue<std::function<int(QDialog *)>> execs;  // dialog scripts; reject when empty
    bool printAccepted = false;
    QString preselectedFilter;         // what the last save dialog offered first

    void information(QWidget *, const QString &title, const QString &text) override { shown << title + "|" + text; }
    void warning(QWidget *, const QString &title, const QString &text) override { shown << title + "|" + text; }
    void report(QWidget *, const QString &title, const QString &text) override { shown << title + "|" + text; }
    int question(QWidget *, const QString &title, const QString &text, const QStringList &, int, int escape) override
    {
        shown << title + "|" + text;
        return answers.isEmpty() ? escape : answers.dequeue();
    }
    int warningQuestion(QWidget *p, const QString &title, const QString &text, const QStringList &b, int d,
                        int e) override
    {
        return question(p, title, text, b, d, e);
    }
    double getDouble(QWidget *, const QString &title, const QString &, double value, double, double, int,
                     bool *ok) override
    {
        shown << title;
        *ok = !doubles.isEmpty();
        return *ok ? doubles.dequeue() : value;
    }
    QString getItem(QWidget *, const QString &title, const QString &, const QStringList &list, int, bool *ok) override
    {
        shown << title + "|" + list.join(",");
        *ok = !items.isEmpty();
        return *ok ? items.dequeue() : QString();
    }
    QString getOpenFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return fileNames.isEmpty() ? QString() : fileNames.dequeue();
    }
    // The open dialog's choices (colour channel, DICOM gray levels): the indexes offered
    // first, and the answers.
    int offeredChannel = -1;
    int offeredDicomWindow = -1;
    QQueue<int> channels;      // the chosen channel's index; the offered one when empty
    QQueue<int> dicomWindows;  // the chosen DICOM gray levels; the offered ones when empty
    QString getOpenImageFileName(QWidget *p, const QString &caption, const QString &dir, const QString &filter,
                                 QList<Choice> &choices) override
    {
        QQueue<int> *answers[] = {&channels, &dicomWindows};
        int *offered[] = {&offeredChannel, &offeredDicomWindow};
        for (int i = 0; i < std::min<int>(2, choices.size()); ++i) {
            *offered[i] = choices[i].index;
            if (!answers[i]->isEmpty()) choices[i].index = answers[i]->dequeue();
        }
        return getOpenFileName(p, caption, dir, filter);
    }
    QString getSaveFileName(QWidget *, const QString &, const QString &, const QStringList &offered,
                            QString *filter) override
    {
        preselectedFilter = filter ? *filter : QString();
        offeredFilters = offered;
        if (filter) {
            const QString answer = filters.isEmpty() ? offered.value(0) : filters.dequeue();
            const auto named = std::find_if(offered.begin(), offered.end(),
                                            [&](const QString &f) { return f.contains("(*" + answer + ")"); });
            *filter = answer.startsWith('.') && named != offered.end() ? *named : answer;
        }
        return fileNames.isEmpty() ? QString() : fileNames.dequeue();
    }
    int exec(QDialog *dialog) override
    {
        shown << "exec|" + dialog->windowTitle();
        return execs.isEmpty() ? int(QDialog::Rejected) : execs.dequeue()(dialog);
    }
    bool print(QWidget *, QPrinter *) override { return printAccepted; }

    bool sawTitle(const QString &title) const
    {
        for (const QString &s : shown)
            if (s.startsWith(title + "|") || s == title) return true;
        return false;
    }
};
