// Entry point: language, style, splash screen, main window, event loop.
#include <QApplication>
#include <QElapsedTimer>
#include <QSplashScreen>
#include <QStyleFactory>
#include <QTimer>
#include <QTranslator>

#include "app/appsettings.h"
#include "app/catalogue.h"
#include "app/mainwindow.h"

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(resources);
    QApplication app(argc, argv);
    QTranslator translator, qtTranslator;
    installLanguage(storedLanguage(), translator, qtTranslator);
    app.setStyle(QStyleFactory::create("Fusion"));

    QSplashScreen splash(QPixmap(":/images/splashscr.png"), Qt::WindowStaysOnTopHint);
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
