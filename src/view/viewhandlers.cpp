#include "view/viewhandlers.h"

#include <map>

#include "view/pixmapwidget.h"

ViewHandler viewHandler(int code)
{
    // One line per operation; the codes are those of the operation table.
    static const std::map<int, ViewHandler> handlers = {
        {4, &PixmapWidget::opInvert},
        {28, &PixmapWidget::startErase},
    };
    const auto it = handlers.find(code);
    return it == handlers.end() ? nullptr : it->second;
}
