#include "core/jsonscanner.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

// Deeper than any file we read needs; it keeps a hostile file from exhausting the stack.
constexpr int kMaxDepth = 512;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

QString describe(char c)
{
    if (c >= 0x20 && c < 0x7f)
        return QStringLiteral("'%1'").arg(QLatin1Char(c));
    return QStringLiteral("byte 0x%1").arg(uint(uchar(c)), 2, 16, QLatin1Char('0'));
}

// A string's text from its raw bytes between the quotes, escapes read.
QString decodeString(QByteArrayView raw)
{
    if (!raw.contains('\\'))
        return QString::fromUtf8(raw);
    const QByteArray wrapped = "[\"" + raw.toByteArray() + "\"]";
    return QJsonDocument::fromJson(wrapped).array().at(0).toString();
}

} // namespace

bool JsonScanner::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = message;
    return false;
}

bool JsonScanner::failAtEnd()
{
    m_truncated = true;
    return fail(QStringLiteral("the text ends at byte %1, inside its JSON").arg(m_text.size()));
}

bool JsonScanner::failUnexpected(const char *what)
{
    if (m_at >= m_text.size())
        return failAtEnd();
    return fail(QStringLiteral("%1 was expected at byte %2, not %3")
                    .arg(QLatin1String(what))
                    .arg(m_at)
                    .arg(describe(m_text[m_at])));
}

bool JsonScanner::skipSpace()
{
    while (m_at < m_text.size()) {
        const char c = m_text[m_at];
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
            return true;
        ++m_at;
    }
    return false;
}

char JsonScanner::peek()
{
    return skipSpace() ? m_text[m_at] : '\0';
}

bool JsonScanner::expect(char c, const char *what)
{
    if (!skipSpace())
        return failAtEnd();
    if (m_text[m_at] != c)
        return failUnexpected(what);
    ++m_at;
    return true;
}

bool JsonScanner::enterObject()
{
    return expect('{', "an object");
}

bool JsonScanner::enterArray()
{
    return expect('[', "a list");
}

bool JsonScanner::nextMember(bool &first, QString *key, bool *done)
{
    *done = false;
    if (!skipSpace())
        return failAtEnd();
    if (m_text[m_at] == '}') {
        ++m_at;
        *done = true;
        return true;
    }
    if (!first) {
        if (!expect(',', "',' or '}'"))
            return false;
        if (!skipSpace())
            return failAtEnd();
    }
    first = false;
    if (m_text[m_at] != '"')
        return failUnexpected("a member name");
    QByteArrayView raw;
    if (!skipString(&raw) || !expect(':', "':'"))
        return false;
    if (key)
        *key = decodeString(raw);
    return true;
}

bool JsonScanner::nextElement(bool &first, bool *done)
{
    *done = false;
    if (!skipSpace())
        return failAtEnd();
    if (m_text[m_at] == ']') {
        ++m_at;
        *done = true;
        return true;
    }
    if (!first && !expect(',', "',' or ']'"))
        return false;
    first = false;
    return true;
}

bool JsonScanner::skipString(QByteArrayView *raw)
{
    const qsizetype open = m_at++;
    while (m_at < m_text.size()) {
        const char c = m_text[m_at];
        if (c == '"') {
            if (raw)
                *raw = m_text.sliced(open + 1, m_at - open - 1);
            ++m_at;
            return true;
        }
        if (uchar(c) < 0x20)
            return fail(QStringLiteral("a string holds the control %1 at byte %2").arg(describe(c)).arg(m_at));
        if (c == '\\') {
            if (++m_at >= m_text.size())
                return failAtEnd();
            const char e = m_text[m_at];
            if (e == 'u') {
                for (int i = 1; i <= 4; ++i) {
                    if (m_at + i >= m_text.size())
                        return failAtEnd();
                    if (!isHexDigit(m_text[m_at + i]))
                        return fail(QStringLiteral("a \\u escape is not followed by four hex digits at byte %1").arg(m_at));
                }
                m_at += 4;
            } else if (!QByteArrayView("\"\\/bfnrt").contains(e)) {
                return fail(QStringLiteral("a string has the unknown escape \\%1 at byte %2").arg(QLatin1Char(e)).arg(m_at - 1));
            }
        }
        ++m_at;
    }
    return failAtEnd();
}

bool JsonScanner::skipNumber()
{
    const qsizetype start = m_at;
    auto digits = [this] {
        const qsizetype from = m_at;
        while (m_at < m_text.size() && isDigit(m_text[m_at]))
            ++m_at;
        return m_at > from;
    };
    auto bad = [this, start] {
        if (m_at >= m_text.size())
            return failAtEnd();
        return fail(QStringLiteral("the number at byte %1 is not one").arg(start));
    };
    if (m_text[m_at] == '-')
        ++m_at;
    if (m_at < m_text.size() && m_text[m_at] == '0')
        ++m_at;
    else if (!digits())
        return bad();
    if (m_at < m_text.size() && m_text[m_at] == '.') {
        ++m_at;
        if (!digits())
            return bad();
    }
    if (m_at < m_text.size() && (m_text[m_at] == 'e' || m_text[m_at] == 'E')) {
        ++m_at;
        if (m_at < m_text.size() && (m_text[m_at] == '+' || m_text[m_at] == '-'))
            ++m_at;
        if (!digits())
            return bad();
    }
    return true;
}

bool JsonScanner::skipLiteral(QByteArrayView word)
{
    const QByteArrayView rest = m_text.sliced(m_at);
    if (rest.startsWith(word)) {
        m_at += word.size();
        return true;
    }
    if (word.startsWith(rest))
        return failAtEnd();
    return failUnexpected("a value");
}

bool JsonScanner::skipValue()
{
    return skipValue(0);
}

bool JsonScanner::skipValue(int depth)
{
    if (!skipSpace())
        return failAtEnd();
    if (depth > kMaxDepth)
        return fail(QStringLiteral("its values nest more than %1 deep at byte %2").arg(kMaxDepth).arg(m_at));
    bool first = true;
    bool done = false;
    switch (m_text[m_at]) {
    case '{':
        ++m_at;
        while (nextMember(first, nullptr, &done) && !done)
            if (!skipValue(depth + 1))
                return false;
        return done;
    case '[':
        ++m_at;
        while (nextElement(first, &done) && !done)
            if (!skipValue(depth + 1))
                return false;
        return done;
    case '"': return skipString(nullptr);
    case 't': return skipLiteral("true");
    case 'f': return skipLiteral("false");
    case 'n': return skipLiteral("null");
    default:
        if (m_text[m_at] == '-' || isDigit(m_text[m_at]))
            return skipNumber();
        return failUnexpected("a value");
    }
}

bool JsonScanner::finish()
{
    if (skipSpace())
        return fail(QStringLiteral("more follows its end, at byte %1").arg(m_at));
    return true;
}
