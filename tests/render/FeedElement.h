#pragma once

#include <QDomDocument>
#include <QDomElement>
#include <QString>

// A feed element with child elements of given texts, built in its own document so every
// test can shape the one child it is about.
class FeedElement
{
public:
    explicit FeedElement(const QString &name)
        : m_element(m_document.createElement(name))
    {
        m_document.appendChild(m_element);
    }

    // Sets the text of `child`, adding the child when missing; an empty text leaves it empty.
    FeedElement &set(const QString &child, const QString &text)
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
    FeedElement &setUnreadable(const QString &child)
    {
        set(child, QStringLiteral("text"));
        m_element.firstChildElement(child).appendChild(m_document.createElement(QStringLiteral("b")));
        return *this;
    }

    FeedElement &remove(const QString &child)
    {
        m_element.removeChild(m_element.firstChildElement(child));
        return *this;
    }

    const QDomElement &element() const { return m_element; }

private:
    QDomDocument m_document;
    QDomElement m_element;
};
