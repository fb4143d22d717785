#pragma once

#include <QByteArray>
#include <QDomDocument>
#include <QDomElement>
#include <QList>
#include <QString>
#include <QTextStream>

// One element of a feed (a news item or the organization info) with child elements of given
// texts, in a document of its own, so that every test can shape the one child it is about.
class FeedItem
{
public:
    explicit FeedItem(const QString &name)
        : m_element(m_document.createElement(name))
    {
        m_document.appendChild(m_element);
    }

    // A news item with a firm, a page background, a group and a text.
    static FeedItem news(const QString &firm, const QString &group, const QString &text)
    {
        FeedItem item(QStringLiteral("zelton_information"));
        item.set(QStringLiteral("ZELTON_FIRMA"), firm)
            .set(QStringLiteral("ZELTON_BACKGROUNG"), QStringLiteral("E8EEF4"))
            .set(QStringLiteral("ZELTON_SKUPINA_POPIS"), group)
            .set(QStringLiteral("ZELTON_TEXT"), text);
        return item;
    }

    // The organization info with its information text; contacts and colours are set apart.
    static FeedItem info(const QString &information)
    {
        FeedItem item(QStringLiteral("zelton_other_information"));
        item.set(QStringLiteral("ZT_INFO_INFORMACE"), information);
        return item;
    }

    // Sets the text of `child`, adding the child when missing; an empty text leaves it empty.
    FeedItem &set(const QString &child, const QString &text)
    {
        QDomElement node = m_element.firstChildElement(child);
        if (node.isNull())
            node = m_element.appendChild(m_document.createElement(child)).toElement();
        while (node.hasChildNodes())
            node.removeChild(node.firstChild());
        if (!text.isEmpty())
            node.appendChild(m_document.createTextNode(text));
        return *this;
    }

    // A child that cannot be read as text: it holds an element next to its text.
    FeedItem &setUnreadable(const QString &child)
    {
        set(child, QStringLiteral("text"));
        m_element.firstChildElement(child).appendChild(m_document.createElement(QStringLiteral("b")));
        return *this;
    }

    FeedItem &remove(const QString &child)
    {
        m_element.removeChild(m_element.firstChildElement(child));
        return *this;
    }

    const QDomElement &element() const { return m_element; }

    // The element as feed text, without any whitespace between the tags.
    QByteArray xml() const
    {
        QString text;
        QTextStream stream(&text);
        m_element.save(stream, -1);
        stream.flush();
        return text.toUtf8();
    }

private:
    QDomDocument m_document;
    QDomElement m_element;
};

// A whole feed file: the XML declaration naming `encoding`, then the elements in order.
class FeedBuilder
{
public:
    FeedBuilder &add(const FeedItem &item)
    {
        m_children += item.xml();
        return *this;
    }

    QByteArray bytes(const QByteArray &encoding = "UTF-8") const
    {
        return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\n<feed>" + m_children + "</feed>";
    }

private:
    QByteArray m_children;
};
