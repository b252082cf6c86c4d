// "Vessel classifier..." in the view: choose a shipped model (offered by what it is for) or a
// model file, read the image in the model's channel when the document holds another, then
// run the table's classifier row on a thread of its own: the working copy becomes the vessel
// probability map (0..255) and the 0/255 segmentation is appended after it, ready for the
// binary report.
#include <QFileInfo>
#include <new>
#include <vector>
#include <stdexcept>

#include "dialogs/userdialogs.h"
#include "ops/classify/fieldofview.h"
#include "ops/table/operations.h"
#include "ops/table/runs.h"
#include "view/backgroundrun.h"
#include "view/guiprogress.h"
#include "view/modelchoice.h"
#include "view/numbertext.h"
#include "view/pixmapwidget.h"

namespace {

QString channelText(Channel channel)
{
    switch (channel) {
    case Channel::Red: return PixmapWidget::tr("red");
    case Channel::Green: return PixmapWidget::tr("green");
    case Channel::Blue: return PixmapWidget::tr("blue");
    case Channel::Gray: break;
    }
    return PixmapWidget::tr("gray");
}

// What the model was trained on, for the user who applies it to something else.
QString trainedOnText(const VesselModel &model)
{
    return PixmapWidget::tr("The model was trained on the %1 channel of photographs with %2 vessels inside their "
                            "field of view.")
        .arg(channelText(model.channel),
             model.polarity == Polarity::Dark ? PixmapWidget::tr("dark") : PixmapWidget::tr("bright"));
}

}  // namespace

// The shipped models are offered by what they are for; those not installed are left out.
QString PixmapWidget::chooseModelFile()
{
    const std::vector<ShippedModel> shipped = installedModels();
    QStringList items;
    for (const ShippedModel &m : shipped) items << m.label;
    items << modelFileItem();
    bool ok = false;
    const QString choice = dialogs().getItem(this, tr("Vessel classifier"), tr("Model:"), items, 0, &ok);
    if (!ok) return {};
    for (const ShippedModel &m : shipped)
        if (choice == m.label) return m.path;
    return askModelFile(this);
}

bool PixmapWidget::takeModelChannel(const VesselModel &vessels, QStringList &notes)
{
    if (vessels.channel == channel) return true;
    const bool canReload = !sourceFile.isEmpty() && model.count() >= 1;
    const QString text = tr("The model was trained on the %1 channel; this document holds the %2 channel.")
                             .arg(channelText(vessels.channel), channelText(channel));
    QStringList buttons;
    if (canReload) buttons << tr("Reload in the %1 channel").arg(channelText(vessels.channel));
    buttons << tr("Classify as it is") << tr("Cancel");
    const int cancel = int(buttons.size()) - 1;
    const int answer = dialogs().question(this, tr("Vessel classifier"),
                                          canReload ? text + "<br>" + tr("Read %1 again in the model's channel and "
                                                                         "classify that?")
                                                                          .arg(QFileInfo(sourceFile).fileName())
                                                    : text,
                                          buttons, 0, cancel);
    if (answer == cancel) return false;
    if (!canReload || answer == 1) {
        notes << text << trainedOnText(vessels);
        return true;
    }
    // The working copy becomes the file's pixels in the model's channel (of the first frame
    // for a file of several), read off the window's thread: a photograph takes a while.
    GuiProgress progress(this);
    LoadResult reloaded;
    runInBackground([&](Progress &p) { reloaded = loadAnyImage(sourceFile, p, vessels.channel); }, progress);
    if (!reloaded.ok()) throw std::runtime_error(reloaded.error.toStdString());
    model.replaceCurrent(std::move(reloaded.image));
    channel = vessels.channel;
    return true;
}

void PixmapWidget::opVesselClassifier()
{
    const QString path = chooseModelFile();
    if (path.isEmpty()) {
        cancelled = true;
        return;
    }
    const std::shared_ptr<const VesselModel> vessels = sharedVesselModel(path);
    QStringList notes;
    if (!takeModelChannel(*vessels, notes)) {
        cancelled = true;
        return;
    }
    Params params;
    params.set("model", path);
    params.set("source", sourceFile);
    const RunOutcome outcome = runTableOperation(operationRow(OpCode::VesselClassifier), params, false);
    if (outcome.result == RunResult::Cancelled) return;  // the list is as it was; nothing to report
    if (outcome.result == RunResult::OutOfMemory) throw std::bad_alloc();
    if (!outcome.ok()) throw std::runtime_error(outcome.error.toStdString());
    const long long fov = fieldOfViewArea(model.referenceImage);
    if (fov == (long long)model.referenceImage.size())
        notes << tr("No field of view was found: the whole image was classified.") << trainedOnText(*vessels);
    notes.removeDuplicates();
    const double share = 100.0 * double(fieldOfViewArea(*model.currentImage())) / double(std::max(1LL, fov));
    QString text = tr("Vessels classified: %1 % of the field of view").arg(numberText(share, 1));
    if (!notes.isEmpty()) text += "<br>" + notes.join("<br>");
    dialogs().information(this, tr("Filter applied"), text);
}
