#pragma once

#include <QByteArray>
#include <QDomDocument>
#include <QDomElement>
#include <QString>
#include <QVarLengthArray>

#include <span>

// The feed document: one object for the program's lifetime, opened by every refresh
// cycle on its temporary feed file and closed at the start of the next.
class FeedDocument
{
public:
    bool isOpen() const { return m_open; }

    // Parses the file. A document that is not well-formed (or cannot be read) throws
    // ReaderError with "<description>\r\nLine: <n>\r\n<first 40 characters of that line>";
    // the document then stays closed. External entities and resources are never read.
    void open(const QString &path);
    // The same for the bytes of a feed already in memory.
    void openBytes(const QByteArray &data);
    void close();

    // The encoding named by the XML declaration as written; empty without one.
    QString declaredEncoding() const;
    // Whether the declared encoding, upper-cased (ASCII letters only), is exactly "UTF-8".
    bool hasUtf8Declaration() const;

    // The first child element of the root that bears `name`; a null element when none.
    QDomElement firstInRun(const QString &name) const;

    const QDomDocument &dom() const { return m_dom; }
    // How many bytes the open document was parsed from: what its pages may be sized by.
    qsizetype sourceSize() const { return m_sourceSize; }

private:
    QDomDocument m_dom;
    qsizetype m_sourceSize = 0;
    bool m_open = false;
};

// The node after `element` among the root's children when it is an element named exactly
// `name`; a null element otherwise.
QDomElement nextInRun(const QDomElement &element, const QString &name);

// The text of the first child element of `element` named `name`; empty when there is none.
// Throws ReaderError when that child holds anything but one text or CDATA node.
QString childText(const QDomElement &element, const QString &name);

// The children of one element that a reader step reads, found in a single pass over its
// children: for each of `names` the first child that childText would take, and its text.
// A child that holds more than a text only fails when its text is read, so a faulty child
// that is never read fails nothing. `names` (at most 32) must outlive the object.
class ChildTexts
{
public:
    ChildTexts(const QDomElement &element, std::span<const QString> names);

    // childText(element, names[index]), with its empty text and its ReaderError.
    const QString &text(qsizetype index) const;
    // A number that is the same for two elements whose children of `names` are the same, in
    // this run of the program and in every later one; it reads no text, so it never fails.
    quint64 fingerprint() const;

private:
    std::span<const QString> m_names;
    QVarLengthArray<QString, 16> m_texts;
    quint32 m_unreadable = 0;  // bit i: child i holds more than one text or CDATA node
};
