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

// The splash picture with the version of this build written under the program's name.
QPixmap splashPicture()
{
    QPixmap picture(":/images/splashscr.png");
    QPainter painter(&picture);
    QFont font("DejaVu Sans");
    font.setPixelSize(12);
    painter.setFont(font);
    painter.setPen(QColor(0x7f, 0x95, 0xb4));
    painter.drawText(32, 236, QString("Version %1").arg(kVersionText));
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
