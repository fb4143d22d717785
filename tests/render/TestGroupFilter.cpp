#include "render/GroupFilter.h"

#include <QtTest>

namespace {

const QLocale Czech(QLocale::Czech);

GroupList czechGroups(const QStringList &groups)
{
    GroupList list(Czech);
    for (const QString &group : groups)
        list.add(group);
    return list;
}

} // namespace

class TestGroupFilter : public QObject
{
    Q_OBJECT

private slots:
    void shouldSortAndMergeGroups_data();
    void shouldSortAndMergeGroups();
    void shouldSortByLocale_data();
    void shouldSortByLocale();
    void shouldInitFromStoredGroup_data();
    void shouldInitFromStoredGroup();
    void shouldPassItems_data();
    void shouldPassItems();
    void shouldRefillAndRestoreGroup_data();
    void shouldRefillAndRestoreGroup();
};

void TestGroupFilter::shouldSortAndMergeGroups_data()
{
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("case merged, empty first")
        << QStringList{"Sport", "Kultura", "sport", "", "Kultura"}
        << QStringList{"", "Kultura", "Sport"};
    QTest::newRow("first form survives") << QStringList{"sport", "SPORT", "Sport"}
                                         << QStringList{"sport"};
    QTest::newRow("accents count, S before Š") << QStringList{"Šachy", "Sachy", "Tenis"}
                                                << QStringList{"Sachy", "Šachy", "Tenis"};
    QTest::newRow("Š after all of S") << QStringList{"Šachy", "Sport"}
                                       << QStringList{"Sport", "Šachy"};
    QTest::newRow("Czech alphabet") << QStringList{"Čtení", "Cesty", "Hry", "Chov"}
                                    << QStringList{"Cesty", "Čtení", "Hry", "Chov"};
    QTest::newRow("ch after h") << QStringList{"Chovatelé", "Hasiči", "Ideály"}
                                << QStringList{"Hasiči", "Chovatelé", "Ideály"};
    QTest::newRow("accented and plain are different groups") << QStringList{"Kolo", "Kóló", "kolo"}
                                                             << QStringList{"Kolo", "Kóló"};
    QTest::newRow("reverse order input") << QStringList{"D", "c", "B", "a"}
                                         << QStringList{"a", "B", "c", "D"};
    QTest::newRow("blank is not empty") << QStringList{" ", ""} << QStringList{"", " "};
    QTest::newRow("nothing added") << QStringList{} << QStringList{};
}

void TestGroupFilter::shouldSortAndMergeGroups()
{
    QFETCH(QStringList, added);
    QFETCH(QStringList, entries);
    QCOMPARE(czechGroups(added).entries(), entries);
}

void TestGroupFilter::shouldSortByLocale_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("entries");

    // Code-point order would be "Chov", "Hry", "Turistika", "Čtení".
    const QStringList czechOrder{"Čtení", "Hry", "Chov", "Turistika"};
    QTest::newRow("C sorts as Czech") << QLocale::c() << czechOrder;
    QTest::newRow("POSIX sorts as Czech") << QLocale(QStringLiteral("POSIX")) << czechOrder;
    QTest::newRow("Czech") << QLocale(QLocale::Czech, QLocale::Czechia) << czechOrder;
    // English keeps its own rules: "ch" is no letter of its own, "Č" sorts with "C".
    QTest::newRow("English keeps its order") << QLocale(QLocale::English, QLocale::UnitedStates)
                                             << QStringList{"Chov", "Čtení", "Hry", "Turistika"};
}

void TestGroupFilter::shouldSortByLocale()
{
    QFETCH(QLocale, locale);
    QFETCH(QStringList, entries);
    GroupList list(locale);
    for (const QString &group : QStringList{"Turistika", "Hry", "Čtení", "Chov"})
        list.add(group);
    QCOMPARE(list.entries(), entries);
}

void TestGroupFilter::shouldInitFromStoredGroup_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("selected");

    QTest::newRow("all") << "Vše" << QStringList{"Vše"} << 0;
    QTest::newRow("empty") << "" << QStringList{"Vše"} << 0;
    QTest::newRow("a group") << "Sport" << QStringList{"Vše", "Sport"} << 1;
    QTest::newRow("all in lower case is a group") << "vše" << QStringList{"Vše", "vše"} << 1;
}

void TestGroupFilter::shouldInitFromStoredGroup()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, entries);
    QFETCH(int, selected);
    const GroupFilterState state = initGroupFilter(stored);
    QCOMPARE(state.entries, entries);
    QCOMPARE(state.selected, selected);
}

void TestGroupFilter::shouldPassItems_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("group");
    QTest::addColumn<bool>("passes");

    QTest::newRow("all passes any group") << 0 << "Vše" << "Sport" << true;
    QTest::newRow("all passes empty group") << 0 << "Vše" << "" << true;
    QTest::newRow("same group") << 3 << "Sport" << "Sport" << true;
    QTest::newRow("other group") << 3 << "Sport" << "Kultura" << false;
    QTest::newRow("letter case counts") << 3 << "Sport" << "sport" << false;
    QTest::newRow("nothing trimmed") << 3 << "Sport" << " Sport" << false;
    QTest::newRow("trailing blank counts") << 3 << "Sport" << "Sport " << false;
    QTest::newRow("empty entry passes empty group") << 1 << "" << "" << true;
    QTest::newRow("empty entry stops others") << 1 << "" << "Sport" << false;
    QTest::newRow("group named like the all entry") << 2 << "Vše" << "Sport" << false;
    QTest::newRow("group named like the all entry passes its items") << 2 << "Vše" << "Vše" << true;
}

void TestGroupFilter::shouldPassItems()
{
    QFETCH(int, index);
    QFETCH(QString, text);
    QFETCH(QString, group);
    QFETCH(bool, passes);
    QCOMPARE(passesGroupFilter(index, text, group), passes);
}

void TestGroupFilter::shouldRefillAndRestoreGroup_data()
{
    QTest::addColumn<QStringList>("groups");
    QTest::addColumn<QString>("restored");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("selected");

    const QStringList feed{"Sport", "Kultura", "sport", "", "Kultura"};
    const QStringList refilled{"Vše", "", "Kultura", "Sport"};
    QTest::newRow("restored present") << feed << "Sport" << refilled << 3;
    QTest::newRow("restored in other case is absent") << feed << "sport" << refilled << 0;
    QTest::newRow("restored absent") << feed << "Hokej" << refilled << 0;
    QTest::newRow("all restored") << feed << "Vše" << refilled << 0;
    QTest::newRow("empty restored with an empty group") << feed << "" << refilled << 1;
    QTest::newRow("empty restored without an empty group") << QStringList{"Sport"} << ""
                                                           << QStringList{"Vše", "Sport"} << 0;
    QTest::newRow("feed group named like the all entry keeps entry 0")
        << QStringList{"Vše", "Sport"} << "Vše" << QStringList{"Vše", "Sport", "Vše"} << 0;
    QTest::newRow("no groups") << QStringList{} << "Sport" << QStringList{"Vše"} << 0;
}

void TestGroupFilter::shouldRefillAndRestoreGroup()
{
    QFETCH(QStringList, groups);
    QFETCH(QString, restored);
    QFETCH(QStringList, entries);
    QFETCH(int, selected);
    const GroupFilterState state = refillGroupFilter(restored, czechGroups(groups));
    QCOMPARE(state.entries, entries);
    QCOMPARE(state.selected, selected);
}

QTEST_GUILESS_MAIN(TestGroupFilter)
#include "TestGroupFilter.moc"
