#include "view/scribblepanel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "view/modelchoice.h"
#include "view/scribbletool.h"

namespace {

// A colour swatch and the text of what painting in that colour means.
QLabel *legend(const QColor &colour, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(QString("<span style=\"color:%1\">&#9632;</span> %2").arg(colour.name(), text), parent);
    label->setTextFormat(Qt::RichText);
    return label;
}

QPushButton *button(const QString &text, const char *name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

ScribblePanel::ScribblePanel(QWidget *view) : QWidget(view, Qt::Tool)
{
    setObjectName("scribblePanel");
    setWindowTitle(tr("Train classifier by scribbles"));
    setAttribute(Qt::WA_ShowWithoutActivating);

    auto *grid = new QGridLayout(this);
    grid->addWidget(legend(ScribbleTool::vesselColour(), tr("Left button: vessel"), this), 0, 0, 1, 2);
    grid->addWidget(legend(ScribbleTool::backgroundColour(), tr("Right button: background"), this), 1, 0, 1, 2);
    brush_ = new QSpinBox(this);
    brush_->setObjectName("brush");
    brush_->setRange(1, 25);
    brush_->setValue(ScribbleTool::kDefaultBrush);
    brush_->setSuffix(tr(" px"));
    grid->addWidget(new QLabel(tr("Brush width:"), this), 2, 0);
    grid->addWidget(brush_, 2, 1);
    dark_ = new QCheckBox(tr("Vessels darker than the background"), this);
    dark_->setObjectName("darkVessels");
    dark_->setChecked(true);
    grid->addWidget(dark_, 3, 0, 1, 2);
    // The item's data is the network model to start from; empty for the trees.
    learner_ = new QComboBox(this);
    learner_->setObjectName("learner");
    learner_->setToolTip(tr("Boosted trees learn from the strokes alone; a network starts from the chosen model "
                            "and is fine-tuned by the strokes, and Train again goes on from the last result."));
    learner_->addItem(tr("Boosted trees"), QString());
    for (const ShippedModel &m : installedModels())
        if (m.network) learner_->addItem(m.label, m.path);
    learner_->addItem(modelFileItem(), QString());
    grid->addWidget(new QLabel(tr("Classifier:"), this), 4, 0);
    grid->addWidget(learner_, 4, 1);
    showResult_ = new QCheckBox(tr("Show result"), this);
    showResult_->setObjectName("showResult");
    grid->addWidget(showResult_, 5, 0, 1, 2);
    status_ = new QLabel(this);
    status_->setObjectName("status");
    status_->setWordWrap(true);
    status_->setMinimumWidth(fontMetrics().averageCharWidth() * 44);
    grid->addWidget(status_, 6, 0, 1, 2);

    auto *buttons = new QHBoxLayout;
    undo_ = button(tr("Undo stroke"), "undo", this);
    undo_->setShortcut(QKeySequence::Undo);
    undo_->setEnabled(false);
    QPushButton *train = button(tr("Train"), "train", this);
    keep_ = button(tr("Keep"), "keep", this);
    save_ = button(tr("Save model..."), "saveModel", this);
    QPushButton *cancel = button(tr("Cancel"), "cancel", this);
    cancel->setShortcut(Qt::Key_Escape);
    for (QPushButton *b : {undo_, train, keep_, save_, cancel}) buttons->addWidget(b);
    grid->addLayout(buttons, 7, 0, 1, 2);
    setTrained(false);

    connect(undo_, &QPushButton::clicked, this, &ScribblePanel::undoRequested);
    connect(train, &QPushButton::clicked, this, &ScribblePanel::trainRequested);
    connect(keep_, &QPushButton::clicked, this, &ScribblePanel::keepRequested);
    connect(save_, &QPushButton::clicked, this, &ScribblePanel::saveRequested);
    connect(cancel, &QPushButton::clicked, this, &ScribblePanel::cancelRequested);
    connect(brush_, &QSpinBox::valueChanged, this, &ScribblePanel::brushChanged);
    connect(showResult_, &QCheckBox::toggled, this, &ScribblePanel::showResultToggled);
    connect(dark_, &QCheckBox::toggled, this, &ScribblePanel::darkVesselsToggled);
    connect(learner_, &QComboBox::activated, this, [this](int index) {
        if (index == learner_->count() - 1)
            emit modelFileRequested();
        else
            learnerChoice_ = index;
    });
}

QString ScribblePanel::startModel() const { return learner_->currentData().toString(); }

void ScribblePanel::addModelFile(const QString &path)
{
    int index = learner_->findData(path);
    if (index < 0) {
        index = learner_->count() - 1;
        learner_->insertItem(index, QFileInfo(path).fileName(), path);
    }
    learner_->setCurrentIndex(index);
    learnerChoice_ = index;
}

void ScribblePanel::restoreStartModel() { learner_->setCurrentIndex(learnerChoice_); }

bool ScribblePanel::darkVessels() const { return dark_->isChecked(); }

bool ScribblePanel::showResult() const { return showResult_->isChecked(); }

void ScribblePanel::setTrained(bool trained)
{
    keep_->setEnabled(trained);
    save_->setEnabled(trained);
    showResult_->setEnabled(trained);
    // A new result is shown at once; the box lets the user look at the picture again.
    const QSignalBlocker quiet(showResult_);
    showResult_->setChecked(trained);
}

void ScribblePanel::setUndoable(bool undoable) { undo_->setEnabled(undoable); }

void ScribblePanel::setStatus(const QString &text)
{
    status_->setText(text);
    adjustSize();  // a longer text wraps onto more lines: the window grows with it
}

void ScribblePanel::closeEvent(QCloseEvent *event)
{
    event->ignore();
    emit cancelRequested();
}
