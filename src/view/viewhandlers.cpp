#include "view/viewhandlers.h"

#include <map>

#include "ops/table/operations.h"
#include "view/pixmapwidget.h"

ViewHandler viewHandler(OpCode code)
{
    static const std::map<OpCode, ViewHandler> handlers = {
        {OpCode::HystThres, &PixmapWidget::opHystThres},
        {OpCode::Threshold, &PixmapWidget::opThreshold},
        {OpCode::GrayStats, &PixmapWidget::opGrayStats},
        {OpCode::BwStats, &PixmapWidget::opBwStats},
        {OpCode::Erase, &PixmapWidget::startErase},
        {OpCode::VesselClassifier, &PixmapWidget::opVesselClassifier},
        {OpCode::MorphometryOverlay, &PixmapWidget::opMorphometryOverlay},
        {OpCode::VesselStenosis, &PixmapWidget::opVesselStenosis},
        {OpCode::ScribbleClassifier, &PixmapWidget::startScribbles},
    };
    const auto it = handlers.find(code);
    return it == handlers.end() ? nullptr : it->second;
}
