// The small non-modal panel of the scribble tool: how to paint, the brush width, the
// vessels' polarity, and the buttons Train, Keep, Save model... and Cancel. It only
// reports what the user asked for; the view carries it out.
#pragma once
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

class ScribblePanel : public QWidget {
    Q_OBJECT

public:
    explicit ScribblePanel(QWidget *view);

    bool darkVessels() const;
    bool showResult() const;
    // Keep, Save model... and "Show result" are offered once a training has a result.
    void setTrained(bool trained);
    void setStatus(const QString &text);
    // "Undo stroke" is offered while there is a stroke to take back.
    void setUndoable(bool undoable);

signals:
    void trainRequested();
    void undoRequested();
    void keepRequested();
    void saveRequested();
    void cancelRequested();
    void brushChanged(int width);
    void darkVesselsToggled(bool dark);
    void showResultToggled(bool on);

protected:
    // Closing the panel's window ends the tool like Cancel.
    void closeEvent(QCloseEvent *event) override;

private:
    QLabel *status_ = nullptr;
    QSpinBox *brush_ = nullptr;
    QCheckBox *dark_ = nullptr;
    QCheckBox *showResult_ = nullptr;
    QPushButton *keep_ = nullptr;
    QPushButton *undo_ = nullptr;
    QPushButton *save_ = nullptr;
};
