// Texts of the core that the view shows (progress labels, notes): translated in the view's
// context, PixmapWidget, as ViewText::tr("...").
#pragma once
#include <QCoreApplication>

struct ViewText {
    Q_DECLARE_TR_FUNCTIONS(PixmapWidget)
};
