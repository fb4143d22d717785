#pragma once

#include <QCollator>
#include <QLocale>
#include <QSet>
#include <QString>
#include <QStringList>

// The groups of one refresh cycle: sorted by the user's locale ignoring letter case
// (accents still count); a group equal to one already held is dropped, so the form seen
// first survives.
class GroupList
{
public:
    explicit GroupList(const QLocale &locale = QLocale());

    void add(const QString &group);
    const QStringList &entries() const { return m_entries; }

private:
    QCollator m_collator;
    QStringList m_entries;
    // Every text added so far: most items repeat a group already held, and an identical text
    // needs no collation to be dropped.
    QSet<QString> m_added;
};

// What the group filter list holds: its entries and the selected index.
struct GroupFilterState
{
    QStringList entries;
    int selected = 0;
};

// Start-up: "Vše", plus the stored group (selected) unless it is "Vše" or empty.
GroupFilterState initGroupFilter(const QString &storedGroup);

// Whether an item of `group` gets a card while entry `selectedIndex` (text `selectedText`)
// is chosen: entry 0 lets every item pass, any other only the exact same group.
bool passesGroupFilter(int selectedIndex, const QString &selectedText, const QString &group);

// End of a cycle: "Vše" and the cycle's groups; the first entry equal to `restoredGroup`
// is selected ("Vše" therefore always means entry 0), entry 0 when none is.
GroupFilterState refillGroupFilter(const QString &restoredGroup, const GroupList &groups);
