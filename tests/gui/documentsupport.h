// Opening test images as documents of a main window.
#pragma once
#include <QAction>
#include <QCoreApplication>
#include <QMdiArea>
#include <cstdlib>

#include "app/mainwindow.h"
#include "document/cimgdoc.h"

// White lines (a diagonal and a column) on a dark, slightly structured background.
inline Image lineTestImage(int w, int h)
{
    Image img(w, h, 1, 1);
    cimg_forXY(img, x, y) img(x, y) = (std::abs(x - 2 * y) <= 1 || x == w / 3) ? 210.0 : 30.0 + (x * 7 + y * 3) % 13;
    return img;
}

// Checks or unchecks the option "New window when editing" of w.
inline void setNewWindowWhenEditing(MainWindow &w, bool on)
{
    for (QAction *a : w.findChildren<QAction *>())
        if (a->isCheckable() && a->text() == "New window when editing") a->setChecked(on);
}

// Shows w, switches "New window when editing" off, so that an operation appends a working
// copy to the same document, and opens image as a new document; returns it.
inline CImgDoc *openDocument(MainWindow &w, const Image &image)
{
    w.show();
    setNewWindowWhenEditing(w, false);
    ImageList list;
    list.push_back(image);
    w.createNewWindow(list);
    return w.activeDocument();
}

// Closes every document of w and lets them be deleted at once.
inline void closeAll(MainWindow &w)
{
    w.workspace->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
