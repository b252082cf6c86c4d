// The small non-modal panel of the scribble tool: how to paint, the brush width, the
// vessels' polarity, what Train learns (boosted trees, or a network fine-tuned from a
// shipped model or a model file), and the buttons Train, Keep, Save model... and Cancel. It
// only reports what the user asked for; the view carries it out.
#pragma once
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

class ScribblePanel : public QWidget {
    Q_OBJECT

public:
    explicit ScribblePanel(QWidget *view);

    bool darkVessels() const;
    // The network model Train fine-tunes, or empty when it trains boosted trees.
    QString startModel() const;
    // Offers the model file chosen after modelFileRequested and picks it; restoreStartModel
    // goes back to the choice before (the user cancelled or the file was refused).
    void addModelFile(const QString &path);
    void restoreStartModel();
    bool showResult() const;
    // Keep, Save model... and "Show result" are offered once a training has a result.
    void setTrained(bool trained);
    void setStatus(const QString &text);
    // "Undo stroke" is offered while there is a stroke to take back.
    void setUndoable(bool undoable);

signals:
    void trainRequested();
    // "Model file..." was picked: the view asks for the file.
    void modelFileRequested();
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
    QComboBox *learner_ = nullptr;
    int learnerChoice_ = 0;  // the item picked before the last "Model file..."
    QCheckBox *showResult_ = nullptr;
    QPushButton *keep_ = nullptr;
    QPushButton *undo_ = nullptr;
    QPushButton *save_ = nullptr;
};
