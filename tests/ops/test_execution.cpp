// Results do not depend on the number of threads: every operation of the table, run with
// 1, 2, 3 and 8 row threads, on images tall enough to be cut into several bands.
#include <QtTest>
#include <cstring>

#include "ops/core/execution.h"
#include "ops/table/operations.h"
#include "ops/core/progress.h"
#include "reference_enhancement.h"
#include "ops/tablesupport.h"

namespace {

// The whole list an operation leaves, run with `threads` row threads.
ImageList runWith(const OperationRow &row, const Image &input, int threads)
{
    execution::setThreads(threads);
    ImageModel model(input);
    model.duplicateCurrent();
    NullProgress progress;
    Notes notes;
    row.run(model, ParamValues(row, Params()), progress, notes);
    return model.toList();
}

}  // namespace

class TestExecution : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { execution::setThreads(8); }

    void sameResultWhateverTheThreads_data()
    {
        QTest::addColumn<QString>("operation");
        for (const OperationRow &row : operationTable())
            if (row.run && *row.cliName) QTest::newRow(row.cliName) << QString(row.cliName);
    }

    void sameResultWhateverTheThreads()
    {
        QFETCH(QString, operation);
        const OperationRow &row = *findOperation(operation);
        // 261 rows: 8 threads give 8 bands of 32 or 33 rows, 3 give uneven ones.
        const Image input = ref::testImage("waves", 203, 261, 5);
        const ImageList serial = runWith(row, input, 1);
        for (const int threads : {2, 3, 8}) {
            const ImageList parallel = runWith(row, input, threads);
            QCOMPARE(parallel.size(), serial.size());
            for (unsigned i = 0; i < serial.size(); ++i)
                QVERIFY2(sameBits(parallel[i], serial[i]), qPrintable(QString("image %1 with %2 threads").arg(i).arg(threads)));
        }
    }

    void budgetLimitsTheCallingThreadOnly()
    {
        execution::setThreads(6);
        {
            const execution::ThreadBudget outer(2);
            QCOMPARE(execution::rowThreads(), 2);
            {
                const execution::ThreadBudget inner(0);
                QCOMPARE(execution::rowThreads(), 1);
            }
            QCOMPARE(execution::rowThreads(), 2);
            int other = 0;
            std::thread([&] { other = execution::rowThreads(); }).join();
            QCOMPARE(other, 6);
        }
        QCOMPARE(execution::rowThreads(), 6);
        execution::setThreads(0);
        QCOMPARE(execution::threads(), 1);
    }
};

QTEST_GUILESS_MAIN(TestExecution)
#include "test_execution.moc"
