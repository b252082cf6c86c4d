#include "view/viewhandlers.h"

#include <map>

#include "view/pixmapwidget.h"

ViewHandler viewHandler(int code)
{
    // One line per operation; the codes are those of the operation table.
    static const std::map<int, ViewHandler> handlers = {
        {0, &PixmapWidget::opErode},
        {1, &PixmapWidget::opDilate},
        {2, &PixmapWidget::opOpen},
        {3, &PixmapWidget::opClose},
        {4, &PixmapWidget::opInvert},
        {5, &PixmapWidget::opTopHat},
        {6, &PixmapWidget::opMGradient},
        {7, &PixmapWidget::opNormalize},
        {9, &PixmapWidget::opSqrt},
        {10, &PixmapWidget::opPower},
        {11, &PixmapWidget::opLog2},
        {19, &PixmapWidget::opHystThres},
        {20, &PixmapWidget::opThreshold},
        {21, &PixmapWidget::opFuzzyClust},
        {22, &PixmapWidget::opSkeletonize},
        {26, &PixmapWidget::opGrayStats},
        {27, &PixmapWidget::opBwStats},
        {29, &PixmapWidget::opZhangSuen},
        {12, &PixmapWidget::opFft},
        {13, &PixmapWidget::opInvFft},
        {14, &PixmapWidget::opEigenv},
        {15, &PixmapWidget::opLaplEnh},
        {16, &PixmapWidget::opHessEnh},
        {17, &PixmapWidget::opHomoVes},
        {18, &PixmapWidget::opVesNonl},
        {28, &PixmapWidget::startErase},
    };
    const auto it = handlers.find(code);
    return it == handlers.end() ? nullptr : it->second;
}
