#pragma once

#include <QByteArrayView>
#include <QString>

// Walks JSON text without building it: checks the syntax of what it passes over and tells where
// each value starts and ends, so that a document of any size can be read one part at a time
// (a HAR file's entries each parsed on their own).
//
// Every call that can fail returns false and leaves the fault in error(); truncated() tells
// whether the fault is that the text ended too soon.
class JsonScanner
{
public:
    // A UTF-8 byte order mark before the text is passed over.
    explicit JsonScanner(QByteArrayView text) : m_text(text), m_at(text.startsWith("\xEF\xBB\xBF") ? 3 : 0) {}

    qsizetype position() const { return m_at; }
    QString error() const { return m_error; }
    bool truncated() const { return m_truncated; }

    // The first character of the next value ('{', '[', '"', 't', '-', ...) after white space;
    // 0 at the end of the text.
    char peek();

    // Steps into an object, past its '{'. nextMember() then gives each member's key (the
    // scanner then stands at its value, which the caller reads or skips) until it sets *done at
    // the closing '}'. first must start true and is kept by the caller for the object.
    bool enterObject();
    bool nextMember(bool &first, QString *key, bool *done);

    // Steps into an array; nextElement() stands at each element in turn, like nextMember().
    bool enterArray();
    bool nextElement(bool &first, bool *done);

    // Passes over one value of any kind, checking its syntax.
    bool skipValue();

    // Checks that only white space is left.
    bool finish();

private:
    bool skipSpace(); // false at the end of the text
    bool expect(char c, const char *what);
    bool skipString(QByteArrayView *raw);
    bool skipNumber();
    bool skipLiteral(QByteArrayView word);
    bool skipValue(int depth);
    bool fail(const QString &message);
    bool failAtEnd();
    bool failUnexpected(const char *what);

    QByteArrayView m_text;
    qsizetype m_at = 0;
    QString m_error;
    bool m_truncated = false;
};
