#include "common/LargeBuffers.h"
#include "render/PageAssembly.h"

#include <QFile>
#include <QtTest>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(Q_OS_LINUX)
#include <sys/mman.h>
#endif

#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

constexpr qsizetype MiB = 1024 * 1024;

// The mapping of this process that holds `address`, as /proc/self/smaps describes it.
struct Mapping
{
    std::uintptr_t begin = 0;
    std::uintptr_t end = 0;
    bool largePagesAdvised = false;  // "hg" in its flags
};

std::optional<Mapping> mappingOf(const void *address)
{
    QFile smaps(QStringLiteral("/proc/self/smaps"));
    if (!smaps.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    const auto wanted = reinterpret_cast<std::uintptr_t>(address);
    std::optional<Mapping> found;
    for (QByteArray line = smaps.readLine(); !line.isEmpty(); line = smaps.readLine()) {
        const QByteArray head = line.left(line.indexOf(' '));
        const qsizetype dash = head.indexOf('-');
        bool beginOk = false;
        bool endOk = false;
        const std::uintptr_t begin = head.left(dash).toULongLong(&beginOk, 16);
        const std::uintptr_t end = head.mid(dash + 1).toULongLong(&endOk, 16);
        if (dash > 0 && beginOk && endOk) {
            if (found)
                return found;
            if (begin <= wanted && wanted < end)
                found = Mapping{begin, end, false};
        } else if (found && line.startsWith("VmFlags:")) {
            found->largePagesAdvised = line.split(' ').contains("hg");
        }
    }
    return found;
}

bool systemHasLargePages()
{
    return QFile::exists(QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled"));
}

} // namespace

// The page's cards are written into a fresh buffer of tens of megabytes every cycle; the
// system is asked to back it with large pages, and the allocator to give such buffers back.
class TestLargeBuffers : public QObject
{
    Q_OBJECT

private slots:
    void adviceCoversOnlyTheBufferItself()
    {
#if defined(Q_OS_LINUX)
        if (!systemHasLargePages())
            QSKIP("this system has no transparent large pages");
        // A buffer that starts and ends off page boundaries, inside a mapping of its own.
        const size_t mappingBytes = 32 * MiB;
        void *mapping = mmap(nullptr, mappingBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        QVERIFY(mapping != MAP_FAILED);
        auto *const base = static_cast<char *>(mapping);
        char *const buffer = base + 100;
        const qsizetype bytes = 16 * MiB;
        adviseLargePages(buffer, bytes);

        const std::optional<Mapping> advised = mappingOf(buffer + bytes / 2);
        const std::optional<Mapping> before = mappingOf(base);
        const std::optional<Mapping> after = mappingOf(buffer + bytes + 4096);
        munmap(mapping, mappingBytes);
        QVERIFY(advised && before && after);
        QVERIFY(advised->largePagesAdvised);
        QVERIFY(advised->begin >= reinterpret_cast<std::uintptr_t>(buffer));
        QVERIFY(advised->end <= reinterpret_cast<std::uintptr_t>(buffer + bytes));
        // The page the buffer starts in, and the memory after it, keep their flags.
        QVERIFY(!before->largePagesAdvised);
        QVERIFY(!after->largePagesAdvised);
#else
        QSKIP("large pages are asked for on Linux only");
#endif
    }

    void smallBuffersAreLeftAlone()
    {
#if defined(Q_OS_LINUX)
        const size_t mappingBytes = 8 * MiB;
        void *mapping = mmap(nullptr, mappingBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        QVERIFY(mapping != MAP_FAILED);
        adviseLargePages(mapping, MiB);
        const std::optional<Mapping> mapped = mappingOf(mapping);
        munmap(mapping, mappingBytes);
        QVERIFY(mapped);
        QVERIFY(!mapped->largePagesAdvised);
#else
        QSKIP("large pages are asked for on Linux only");
#endif
    }

    void cardsBufferOfABigFeedIsAdvised()
    {
#if defined(Q_OS_LINUX)
        if (!systemHasLargePages())
            QSKIP("this system has no transparent large pages");
        keepLargeBuffersOffTheHeap();
        QString cards = startCardsBuffer(8 * MiB);
        const std::optional<Mapping> mapped = mappingOf(cards.constData() + 4 * MiB);
        QVERIFY(mapped);
        QVERIFY(mapped->largePagesAdvised);
#else
        QSKIP("large pages are asked for on Linux only");
#endif
    }

    void largeBuffersGoBackToTheSystem()
    {
#if defined(__GLIBC__)
        keepLargeBuffersOffTheHeap();
        // Left to itself, glibc would serve the second block from its heap after the first,
        // larger one was freed.
        // Through a volatile pointer, so that the compiler keeps the blocks it could prove unused.
        void *volatile block = malloc(4 * MiB);
        free(block);
        const auto mappedBefore = mallinfo2().hblks;
        block = malloc(2 * MiB);
        const auto mappedWhile = mallinfo2().hblks;
        free(block);
        QCOMPARE(mappedWhile, mappedBefore + 1);
        QCOMPARE(mallinfo2().hblks, mappedBefore);
#else
        QSKIP("the allocator is tuned on glibc only");
#endif
    }
};

QTEST_APPLESS_MAIN(TestLargeBuffers)

#include "TestLargeBuffers.moc"
