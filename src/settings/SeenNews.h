#pragma once

#include "common/IoResult.h"

#include <QList>
#include <QSet>
#include <QString>

// Which news items the user has been shown, and which were told as new, kept in a file of
// its own beside Settings.ini (whose keys are fixed). An item is known by a number that its
// fields decide (ChildTexts::fingerprint). The file holds only the items of the last feed, so
// it stays as small as the feed.
class SeenNews
{
public:
    // Reads the file at `path`; a missing or unreadable file holds nothing.
    explicit SeenNews(QString path);

    const QString &path() const { return m_path; }

    // Takes the items of a feed read whole. On the first feed, and on the first of another
    // organization, every item counts as seen; otherwise an item not seen before is new.
    // Items no longer in the feed are forgotten.
    void takeFeed(const QString &organizationId, const QList<quint64> &items);

    bool isSeen(quint64 item) const { return m_seen.contains(item); }
    // Whether the user was told about the item as new (by a notification or its mark).
    bool isTold(quint64 item) const { return m_told.contains(item); }
    void markTold(quint64 item);
    void markSeen(quint64 item);

    // Replaces the file in one step when anything changed since it was read or last saved;
    // fails when it could not be written.
    IoResult<> save();

private:
    void read();

    QString m_path;
    bool m_known = false;  // the file was there, or a feed has been taken since
    QString m_organizationId;
    QSet<quint64> m_seen;
    QSet<quint64> m_told;
    bool m_changed = false;
};
