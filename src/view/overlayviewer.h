// A window of its own for a colour picture the program drew (the morphometry overlay):
// the picture at full size in a scroll area, with buttons to save it and to close.
#pragma once
#include <QDialog>
#include <QImage>

class OverlayViewer : public QDialog {
    Q_OBJECT

public:
    OverlayViewer(const QImage &picture, const QString &title, QWidget *parent);
    const QImage &picture() const { return picture_; }

public slots:
    // Asks for a file name through the dialog seam and writes the picture; a failure is
    // reported and the window stays open.
    void savePicture();

private:
    QImage picture_;
};
