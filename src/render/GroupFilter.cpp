#include "render/GroupFilter.h"

#include "common/Texts.h"

#include <algorithm>

namespace {

// The C and POSIX locales (a Linux session where no language was chosen) collate by code
// point, which puts "Čtení" after "Turistika"; every text of the program is Czech, so Czech
// rules stand in for them. Any other locale keeps its own order.
QLocale collationLocale(const QLocale &locale)
{
    return locale.language() == QLocale::C ? QLocale(QLocale::Czech) : locale;
}

} // namespace

GroupList::GroupList(const QLocale &locale)
    : m_collator(collationLocale(locale))
{
    // Letter case is ignored, accents are not.
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

void GroupList::add(const QString &group)
{
    if (m_added.contains(group))
        return;
    m_added.insert(group);
    const auto at = std::lower_bound(m_entries.cbegin(), m_entries.cend(), group,
                                     [this](const QString &held, const QString &sought) {
                                         return m_collator.compare(held, sought) < 0;
                                     });
    // An equal entry is already held: its form, the one seen first, stays.
    if (at != m_entries.cend() && m_collator.compare(*at, group) == 0)
        return;
    m_entries.insert(at - m_entries.cbegin(), group);
}

GroupFilterState initGroupFilter(const QString &storedGroup)
{
    GroupFilterState state{{Texts::AllGroups}, 0};
    if (storedGroup != Texts::AllGroups && !storedGroup.isEmpty()) {
        state.entries.append(storedGroup);
        state.selected = 1;
    }
    return state;
}

bool passesGroupFilter(int selectedIndex, const QString &selectedText, const QString &group)
{
    return selectedIndex == 0 || group == selectedText;
}

GroupFilterState refillGroupFilter(const QString &restoredGroup, const GroupList &groups)
{
    GroupFilterState state{QStringList{Texts::AllGroups} + groups.entries(), 0};
    // The first equal entry wins, so a feed group that happens to be named like the
    // all-items entry cannot take over that entry's meaning.
    const qsizetype found = state.entries.indexOf(restoredGroup);
    if (found >= 0)
        state.selected = int(found);
    return state;
}
