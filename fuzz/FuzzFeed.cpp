// Any bytes as the feed, taken the way a refresh cycle takes its temporary feed file: the
// document is parsed, both walks run over it (the cycle's own FeedWalk), and the three pages
// and the group list are built. Whatever the bytes, the cycle either fails with a message the
// user can read, or it has three whole pages and a group list the window can show.
//
// Input: one byte choosing the user's choices (style, font size, selected group, offline
// copy or not), then the bytes of the feed.

#include "FuzzCheck.h"

#include "common/ReaderError.h"
#include "common/Texts.h"
#include "document/FeedDocument.h"
#include "feed/FeedWalk.h"
#include "render/HtmlPieces.h"

#include <QByteArray>
#include <QCollator>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>

namespace {

struct Choices
{
    ReaderChoices reader;
    bool offline = false;
};

// Bits 0-2 the style (-1 to 6: outside 0-3 counts as 0), bits 3-4 the font size text,
// bits 5-6 the selected group, bit 7 the offline copy.
Choices choicesOf(std::uint8_t bits)
{
    static const std::array<QString, 4> FontSizes{QString(), QStringLiteral("12"), QStringLiteral("40"),
                                                   QStringLiteral("x")};
    struct Group
    {
        int index;
        QString text;
    };
    static const std::array<Group, 4> Groups{{{0, Texts::AllGroups},
                                              {1, QStringLiteral("Kultura")},
                                              {1, QStringLiteral("kultura")},
                                              {2, QString()}}};
    Choices choices;
    choices.reader.organizationId = QStringLiteral("1234");
    choices.reader.version = QStringLiteral("1.50");
    choices.reader.style = (bits & 7) - 1;
    choices.reader.fontSizeText = FontSizes[(bits >> 3) & 3];
    choices.reader.fontSizeIndex = choices.reader.fontSizeText.isEmpty() ? -1 : 4;
    const Group &group = Groups[(bits >> 5) & 3];
    choices.reader.groupIndex = group.index;
    choices.reader.groupText = group.text;
    choices.reader.restoredGroup = group.text;
    choices.offline = (bits & 0x80) != 0;
    return choices;
}

// The group list compares as the reader's: Czech rules under the C locale, letter case ignored.
const QCollator &groupCollator()
{
    static const QCollator collator = [] {
        const QLocale locale;
        QCollator made(locale.language() == QLocale::C ? QLocale(QLocale::Czech) : locale);
        made.setCaseSensitivity(Qt::CaseInsensitive);
        return made;
    }();
    return collator;
}

void checkFailure(const QString &message)
{
    // A parse failure names its line; every other fault is told by one of two fixed texts.
    FUZZ_CHECK(!message.isEmpty());
    FUZZ_CHECK(message == Texts::BadTag || message == Texts::NotUtf8 || message.contains(u"\r\nLine: "));
}

void checkPage(const QString &page, bool offline)
{
    using namespace HtmlPieces::Page;
    static const QString fixedStart = Doctype + HeadOpen + Meta + BodyOpen;
    FUZZ_CHECK(page.startsWith(fixedStart));
    FUZZ_CHECK(page.endsWith(End));
    if (offline)
        FUZZ_CHECK(page.contains(BodyStyleEnd + OfflineMark));
}

void checkPages(const Pages &pages, bool offline)
{
    checkPage(pages.main, offline);
    checkPage(pages.info, offline);
    checkPage(pages.contacts, offline);
}

void checkGroupList(const GroupFilterState &list, const QString &restoredGroup)
{
    FUZZ_CHECK(!list.entries.isEmpty());
    FUZZ_CHECK(list.entries.front() == Texts::AllGroups);
    FUZZ_CHECK(list.selected >= 0 && list.selected < list.entries.size());
    // The feed's groups follow in order, none equal to another; a feed group may still be
    // named like the all-items entry.
    const QCollator &collator = groupCollator();
    for (qsizetype i = 2; i < list.entries.size(); ++i)
        FUZZ_CHECK(collator.compare(list.entries[i - 1], list.entries[i]) < 0);
    if (list.entries.size() <= 64) {
        for (qsizetype i = 1; i < list.entries.size(); ++i) {
            for (qsizetype j = i + 1; j < list.entries.size(); ++j)
                FUZZ_CHECK(collator.compare(list.entries[i], list.entries[j]) != 0);
        }
    }
    // The restored group is selected at its first exact occurrence; without one, entry 0.
    const qsizetype found = list.entries.indexOf(restoredGroup);
    FUZZ_CHECK(list.selected == (found >= 0 ? found : 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const Choices choices = choicesOf(data[0]);
    const QByteArray feed(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));

    int elementsWalked = 0;
    FeedWalk walk(choices.reader, QStringLiteral("http://127.0.0.1:1/"),
                  [&](const WindowLook &) { ++elementsWalked; });
    try {
        FeedDocument document;
        document.openBytes(feed);
        FUZZ_CHECK(document.isOpen());
        walk.walk(document);
    } catch (const ReaderError &error) {
        checkFailure(error.message());
        return 0;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "unexpected exception: %s\n", error.what());
        std::abort();
    }

    // At least one news item and one organization info element were read.
    FUZZ_CHECK(elementsWalked >= 2);
    FUZZ_CHECK(walk.pendingLook().caption == std::nullopt && walk.pendingLook().toolbarColor == std::nullopt);
    checkPages(walk.pages(choices.offline), choices.offline);
    checkGroupList(walk.groupList(), choices.reader.restoredGroup);
    return 0;
}
