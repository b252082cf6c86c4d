// Operation dispatch of the main window: preparing a clone or working copy as the row
// says, running the operation, taking it back on failure or cancel, and the tool actions.
#include <QAction>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>

#include "app/mainwindow.h"
#include "dialogs/userdialogs.h"
#include "document/cimgdoc.h"
#include "ops/core/largeblocks.h"
#include "ops/table/operations.h"
#include "view/pixmapwidget.h"

namespace {

QString noMemoryText() { return QCoreApplication::translate("MainWindow", "There is not enough memory for this operation."); }

// Runs body and gives the failure it reports, or what it throws in words for the user.
std::optional<QString> failureOf(const std::function<std::optional<QString>()> &body)
{
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return noMemoryText();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    }
}

}  // namespace

void MainWindow::applyOperation(OpCode code, bool readOnly)
{
    // Image-sized blocks kept for reuse during the operation go back to the system when it
    // has ended, so an idle window holds only its images.
    struct ReturnKeptBlocks {
        ~ReturnKeptBlocks() { largeblocks::trim(); }
    } returnKeptBlocks;
    CImgDoc *doc = activeDocument();
    if (!doc || !doc->view) return;
    const OperationRow &row = operationRow(code);
    // Any other operation ends the scribble tool first: its preview must not be cloned or
    // edited as if it were the image.
    if (!row.keepsScribbles) doc->view->leaveScribbles();
    // Edit rows work on a clone in a new window or on a working copy, tool rows always on a
    // working copy; the area tool and the reports change nothing beforehand.
    const bool prepares = !readOnly && (row.preparation == Preparation::Edit || row.preparation == Preparation::Tool);
    CImgDoc *target = doc;
    if (prepares && row.preparation == Preparation::Edit && actNewWindow->isChecked()) {
        target = createCImgDoc(doc);
        showDocument(target);
        emit newWindowList(windowNumbers());
    }
    const bool workingCopy = prepares && target == doc;
    QPointer<CImgDoc> ran = target;
    target->view->cancelled = false;
    const std::optional<QString> failure = isPlain(row) ? failureOf([&] { return runPlain(target, row, workingCopy); })
                                                        : runOwn(target, row, workingCopy);
    if (!ran) return;
    if (!failure && !ran->view->cancelled) {
        // Not every handler reports its list edits (a selection tool's working copy, for
        // one): the navigation dialog shows the list as the operation left it.
        if (ran == activeDocument()) ran->forwardCurrentIndex();
        return;
    }
    // A cancelled or failed operation leaves the document as it was before it: the run has
    // taken its own changes back, the clone goes with its sub-window.
    if (target != doc) {
        delete target->parentWidget();
        emit newWindowList(windowNumbers());
    } else {
        doc->view->refreshView();
        doc->view->update();
        doc->forwardCurrentIndex();
    }
    if (!failure) return;  // cancelled by the user: nothing to report
    const QString text = QCoreApplication::translate("MainWindow", row.actionText);
    dialogs().warning(this, tr("Operation failed"), tr("%1 failed: %2").arg(text, *failure));
}

void MainWindow::keepResult(CImgDoc *doc, const Image &result)
{
    // Written like an edit's result: into a clone in a new window when "New window when
    // editing" is on, else into a working copy after the current image; all or nothing.
    if (!doc->view) return;
    const bool newWindow = actNewWindow->isChecked();
    CImgDoc *target = newWindow ? createCImgDoc(doc) : doc;
    ImageModel &m = target->view->model;
    const ImageModel::Mark mark = m.mark();
    const std::optional<QString> failure = failureOf([&]() -> std::optional<QString> {
        if (!newWindow) m.duplicateCurrent();
        m.replaceCurrent(result);
        return std::nullopt;
    });
    if (failure) {
        if (newWindow)
            delete target->parentWidget();
        else
            m.rollback(mark);
        const QString text = QCoreApplication::translate("MainWindow", operationRow(OpCode::ScribbleClassifier).actionText);
        dialogs().warning(this, tr("Operation failed"), tr("%1 failed: %2").arg(text, *failure));
        return;
    }
    target->view->refreshView();
    if (newWindow) {
        showDocument(target);
        emit newWindowList(windowNumbers());
    }
    target->view->update();
    target->forwardCurrentIndex();
    dialogs().information(target->view, tr("Filter applied"), tr("The classifier's result was added to the image list."));
}

std::optional<QString> MainWindow::runPlain(CImgDoc *doc, const OperationRow &row, bool workingCopy)
{
    const RunOutcome outcome = doc->view->runTableOperation(row.code, workingCopy);
    if (outcome.ok() || outcome.result == RunResult::Cancelled) return std::nullopt;
    if (outcome.result == RunResult::OutOfMemory) return noMemoryText();
    return outcome.error;
}

std::optional<QString> MainWindow::runOwn(CImgDoc *doc, const OperationRow &row, bool workingCopy)
{
    // These operations keep their own flow (previews, dialogs, live display); what they
    // leave after a failure or a cancel is taken back to this mark.
    const ImageModel::Mark mark = doc->view->model.mark();
    if (workingCopy) doc->view->duplicateCurrent();
    QPointer<CImgDoc> alive = doc;
    const std::optional<QString> failure = failureOf([&]() -> std::optional<QString> {
        runOwnFlow(doc, row);
        return std::nullopt;
    });
    if (alive && (failure || doc->view->cancelled)) doc->view->model.rollback(mark);
    return failure;
}

void MainWindow::runOwnFlow(CImgDoc *doc, const OperationRow &row)
{
    if (row.ask == Ask::Tool) {
        applySelectionRule(row);
        return;
    }
    if (row.showsNavigation) toggleImgNav();
    // The row names the view's method; what it throws reaches the caller as the failure.
    if (!QMetaObject::invokeMethod(doc->view, row.viewHook, Qt::DirectConnection))
        throw std::logic_error(QString("the view has no method %1").arg(row.viewHook).toStdString());
}

void MainWindow::applySelectionRule(const OperationRow &row)
{
    // One tool at a time: the other tool rows' actions are unchecked.
    for (const OperationRow &other : operationTable())
        if (other.ask == Ask::Tool && other.code != row.code) operationActions[other.code]->setChecked(false);
    const tool::State mode = operationActions[row.code]->isChecked() ? row.tool : tool::Normal;
    if (CImgDoc *doc = activeDocument(); doc && doc->view) doc->view->setSelectionMode(mode);
}

void MainWindow::setSelectionModeBtn(tool::State state)
{
    const OperationRow *on = findToolRow(state);
    for (const OperationRow &row : operationTable())
        if (row.ask == Ask::Tool) operationActions[row.code]->setChecked(&row == on);
}

