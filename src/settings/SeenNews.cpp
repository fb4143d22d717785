#include "settings/SeenNews.h"

#include "common/AtomicSave.h"

#include <QFile>
#include <QUrl>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

const QByteArray Header = QByteArrayLiteral("ZeltonReader seen news 1");
const QByteArray IdKey = QByteArrayLiteral("id ");
const QByteArray SeenKey = QByteArrayLiteral("seen ");
const QByteArray ToldKey = QByteArrayLiteral("told ");

std::optional<quint64> itemOf(const QByteArray &line, const QByteArray &key)
{
    if (!line.startsWith(key))
        return std::nullopt;
    bool ok = false;
    const quint64 item = line.mid(key.size()).toULongLong(&ok, 16);
    return ok ? std::optional<quint64>(item) : std::nullopt;
}

// One line per item, sorted, so that the same items always make the same file.
void appendItems(QByteArray &bytes, const QByteArray &key, const QSet<quint64> &items)
{
    QList<quint64> sorted(items.cbegin(), items.cend());
    std::sort(sorted.begin(), sorted.end());
    for (const quint64 item : sorted)
        bytes += key + QByteArray::number(item, 16) + '\n';
}

} // namespace

SeenNews::SeenNews(QString path)
    : m_path(std::move(path))
{
    read();
}

void SeenNews::read()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> lines = file.readAll().split('\n');
    // A file of another kind, or cut short before its ID, is as good as none.
    if (lines.size() < 2 || lines.at(0) != Header || !lines.at(1).startsWith(IdKey))
        return;
    m_organizationId = QUrl::fromPercentEncoding(lines.at(1).mid(IdKey.size()));
    for (const QByteArray &line : lines) {
        if (const auto seen = itemOf(line, SeenKey))
            m_seen.insert(*seen);
        else if (const auto told = itemOf(line, ToldKey))
            m_told.insert(*told);
    }
    m_known = true;
}

void SeenNews::takeFeed(const QString &organizationId, const QList<quint64> &items)
{
    const QSet<quint64> inFeed(items.cbegin(), items.cend());
    if (!m_known || organizationId != m_organizationId) {
        m_known = true;
        m_organizationId = organizationId;
        m_seen = inFeed;
        m_told.clear();
        m_changed = true;
        return;
    }
    for (QSet<quint64> *kept : {&m_seen, &m_told}) {
        const qsizetype before = kept->size();
        kept->intersect(inFeed);
        m_changed = m_changed || kept->size() != before;
    }
}

void SeenNews::markTold(quint64 item)
{
    if (!m_told.contains(item)) {
        m_told.insert(item);
        m_changed = true;
    }
}

void SeenNews::markSeen(quint64 item)
{
    if (!m_seen.contains(item)) {
        m_seen.insert(item);
        m_told.remove(item);
        m_changed = true;
    }
}

IoResult<> SeenNews::save()
{
    if (!m_changed)
        return {};
    QByteArray bytes = Header + '\n' + IdKey + QUrl::toPercentEncoding(m_organizationId) + '\n';
    appendItems(bytes, SeenKey, m_seen);
    appendItems(bytes, ToldKey, m_told);
    auto saved = saveFileAtomically(m_path, bytes);
    if (saved)
        m_changed = false;
    return saved;
}
