// Entry point: language, style, splash screen, main window, event loop.
#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QSplashScreen>
#include <QStyleFactory>
#include <QTimer>
#include <QTranslator>

#include "app/appsettings.h"
#include "app/catalogue.h"
#include "app/mainwindow.h"

namespace {

// The splash picture with its texts in the chosen language and the version of this build
// under the program's name.
QPixmap splashPicture()
{
    QPixmap picture(":/images/splashscr.png");
    QPainter painter(&picture);
    const auto text = [&](int pixels, QColor colour, QRect box, int flags, const QString &words) {
        QFont font("DejaVu Sans");
        font.setPixelSize(pixels);
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(box, flags, words);
    };
    text(14, QColor(0x9f, 0xb3, 0xcf), QRect(32, 196, 220, 20), Qt::AlignLeft | Qt::AlignBottom,
         QCoreApplication::translate("MainWindow", "Vessel image analysis"));
    text(12, QColor(0x7f, 0x95, 0xb4), QRect(32, 222, 220, 18), Qt::AlignLeft | Qt::AlignBottom,
         QCoreApplication::translate("MainWindow", "Version %1").arg(kVersionText));
    text(11, QColor(0x8a, 0x9e, 0xc0), QRect(0, 344, picture.width(), 18), Qt::AlignHCenter | Qt::AlignBottom,
         QCoreApplication::translate("MainWindow", "RETINA  ·  SKIN GRAFTS  ·  CORONARY ANGIOGRAMS"));
    return picture;
}

}  // namespace

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(resources);
    QApplication app(argc, argv);
    QTranslator translator, qtTranslator;
    installLanguage(storedLanguage(), translator, qtTranslator);
    app.setStyle(QStyleFactory::create("Fusion"));

    QSplashScreen splash(splashPicture(), Qt::WindowStaysOnTopHint);
    splash.show();
    app.processEvents();
    QElapsedTimer stopwatch;
    stopwatch.start();

    MainWindow window;
    window.show();
    // The splash screen stays at least five seconds from before the main window was built.
    const int remaining = std::max<qint64>(0, 5000 - stopwatch.elapsed());
    QTimer::singleShot(remaining, &splash, [&] { splash.finish(&window); });
    return app.exec();
}
