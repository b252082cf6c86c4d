// Replays every input of the fuzz target's corpus and every input it ever found that made
// it fail: reading the file and running the operations must end normally for each.
#include <QDir>
#include <QtTest>

#include "fuzzone.h"

class FuzzRegressionsTest : public QObject {
    Q_OBJECT

private slots:
    void replay_data()
    {
        QTest::addColumn<QString>("path");
        const QString source = qEnvironmentVariable("QUENDRA_SOURCE_DIR");
        QVERIFY2(!source.isEmpty(), "QUENDRA_SOURCE_DIR is not set");
        int count = 0;
        for (const char *folder : {"fuzz/corpus", "fuzz/regressions"}) {
            const QDir dir(QDir(source).filePath(folder));
            for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
                QTest::newRow(qPrintable(QString("%1/%2").arg(folder, name))) << dir.filePath(name);
                ++count;
            }
        }
        QVERIFY(count > 0);
    }

    void replay()
    {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        fuzzing::runOne(reinterpret_cast<const uint8_t *>(data.constData()), size_t(data.size()));
    }
};

QTEST_GUILESS_MAIN(FuzzRegressionsTest)
#include "test_fuzzregressions.moc"
