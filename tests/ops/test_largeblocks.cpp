// Image-sized blocks: reuse, keeping what a smaller request does not need, refusing sizes
// no system maps, never holding more than plain allocation would have held at its peak,
// and many threads at once.
#include <QtTest>
#include <atomic>
#include <cstring>
#include <thread>
#include <unistd.h>
#include <vector>

#include "ops/core/largeblocks.h"

namespace {

constexpr size_t MB = size_t(1) << 20;

// Resident memory of this process in bytes, from the kernel's own count.
size_t residentBytes()
{
    QFile status("/proc/self/statm");
    if (!status.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = status.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toULongLong() * size_t(getpagesize()) : 0;
}

void touch(void *block, size_t bytes) { std::memset(block, 0x5a, bytes); }

}  // namespace

class TestLargeBlocks : public QObject {
    Q_OBJECT

private slots:
    void init() { largeblocks::trim(); }

    void reusesAndTrims()
    {
        const size_t mapped = largeblocks::counts().mapped, reused = largeblocks::counts().reused;
        void *a = largeblocks::acquire(64 * MB);
        QVERIFY(a);
        QCOMPARE(reinterpret_cast<uintptr_t>(a) % (2 * MB), uintptr_t(0));
        touch(a, 64 * MB);
        QVERIFY(largeblocks::release(a));
        QCOMPARE(largeblocks::counts().keptBytes, 64 * MB);
        // A smaller request takes the kept block and keeps its tail.
        void *b = largeblocks::acquire(20 * MB);
        QCOMPARE(b, a);
        QCOMPARE(largeblocks::counts().keptBytes, 44 * MB);
        QCOMPARE(largeblocks::counts().mapped, mapped + 1);
        QCOMPARE(largeblocks::counts().reused, reused + 1);
        QVERIFY(largeblocks::release(b));
        // A larger request moves both kept pieces into its new block: their pages come
        // along as they were written, only the rest is fresh.
        auto *c = static_cast<unsigned char *>(largeblocks::acquire(80 * MB));
        QVERIFY(c);
        QCOMPARE(int(c[0]), 0x5a);
        QCOMPARE(int(c[64 * MB - 1]), 0x5a);
        QCOMPARE(int(c[64 * MB]), 0);
        QVERIFY(c);
        QCOMPARE(largeblocks::counts().keptBytes, size_t(0));
        QVERIFY(largeblocks::release(c));
        largeblocks::trim();
        QCOMPARE(largeblocks::counts().keptBytes, size_t(0));
    }

    void refusesForeignPointers()
    {
        int onStack = 0;
        std::vector<char> small(100);
        QVERIFY(!largeblocks::release(nullptr));
        QVERIFY(!largeblocks::release(&onStack));
        QVERIFY(!largeblocks::release(small.data()));
        void *a = largeblocks::acquire(10 * MB);
        QVERIFY(largeblocks::release(a));
        QVERIFY(!largeblocks::release(a));  // released twice: the second is not ours any more
        QVERIFY(!largeblocks::acquire(SIZE_MAX));
        QVERIFY(!largeblocks::acquire(SIZE_MAX / 2 + 1));
    }

    // Kept blocks never raise resident memory above the peak of the blocks in use.
    void keptBlocksStayUnderThePeak()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the sanitizer's shadow memory counts in resident memory");
#endif
        std::vector<void *> blocks;
        for (int i = 0; i < 4; ++i) {
            blocks.push_back(largeblocks::acquire(32 * MB));
            touch(blocks.back(), 32 * MB);
        }
        const size_t peak = residentBytes();
        for (void *b : blocks) largeblocks::release(b);
        // Mixed sizes, never more than 128 MiB in use at once.
        for (const size_t size : {96 * MB, 16 * MB, 128 * MB, 8 * MB, 100 * MB}) {
            void *b = largeblocks::acquire(size);
            touch(b, size);
            QVERIFY2(residentBytes() <= peak + 8 * MB, qPrintable(QString::number(size / MB)));
            largeblocks::release(b);
        }
    }

    void manyThreadsAtOnce()
    {
        std::atomic<int> wrong{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([t, &wrong] {
                for (int round = 0; round < 20; ++round) {
                    const size_t bytes = (9 + size_t((t + round) % 3) * 5) * MB;
                    auto *block = static_cast<unsigned char *>(largeblocks::acquire(bytes));
                    if (!block) {
                        ++wrong;
                        continue;
                    }
                    std::memset(block, t + 1, bytes);
                    for (size_t i = 0; i < bytes; i += 4096)
                        if (block[i] != t + 1) ++wrong;
                    if (!largeblocks::release(block)) ++wrong;
                    if (round % 7 == 0) largeblocks::trim();
                }
            });
        for (std::thread &thread : threads) thread.join();
        QCOMPARE(wrong.load(), 0);
    }

    // Outside sanitizer builds every large new goes through the blocks.
    void newUsesTheBlocks()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("sanitizer builds keep the plain allocator");
#else
        const size_t before = largeblocks::counts().mapped + largeblocks::counts().reused;
        auto *values = new double[2 * MB];
        values[2 * MB - 1] = 1.5;
        QCOMPARE(reinterpret_cast<uintptr_t>(values) % (2 * MB), uintptr_t(0));
        delete[] values;
        QCOMPARE(largeblocks::counts().mapped + largeblocks::counts().reused, before + 1);
        QCOMPARE(largeblocks::counts().keptBytes, 16 * MB);
#endif
    }
};

QTEST_APPLESS_MAIN(TestLargeBlocks)
#include "test_largeblocks.moc"
