#include "core/rtfplaintext.h"

#include "core/ansitext.h"
#include "core/hexdigit.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <array>

namespace {

// Windows-1252 bytes 0x80 to 0x9F; the bytes it leaves undefined map to themselves.
constexpr std::array<char16_t, 32> kCp1252Low = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QChar cp1252Char(uchar byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return QChar(kCp1252Low[byte - 0x80]);
    return QChar(byte);
}

// Groups whose content is not part of the text.
bool isIgnoredDestination(const QByteArray &word)
{
    static constexpr const char *kDestinations[] = {
        "fonttbl", "colortbl", "stylesheet", "info", "pict", "object", "header", "headerl",
        "headerr", "headerf", "footer", "footerl", "footerr", "footerf", "footnote", "fldinst",
        "themedata", "colorschememapping", "datastore", "latentstyles", "listtable",
        "listoverridetable", "rsidtbl", "generator", "xmlnstbl", "filetbl", "revtbl",
        "pgdsctbl", "mmathPr", "listtext", "pntext", "pntxta", "pntxtb",
    };
    for (const char *destination : kDestinations) {
        if (word == destination)
            return true;
    }
    return false;
}

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

class RtfReader
{
public:
    explicit RtfReader(const QByteArray &rtf) : m_in(rtf) {}

    QString read()
    {
        m_pos = qMax<qsizetype>(0, m_in.indexOf('{'));
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos++];
            switch (c) {
            case '{':
                m_stack.append(m_state);
                m_skipCount = 0;
                break;
            case '}':
                if (!m_stack.isEmpty())
                    m_state = m_stack.takeLast();
                m_skipCount = 0;
                break;
            case '\\':
                controlSequence();
                break;
            case '\r':
            case '\n':
                break;
            default:
                character(cp1252Char(uchar(c)));
                break;
            }
        }
        while (m_out.endsWith(QLatin1String("\r\n")))
            m_out.chop(2);
        return m_out;
    }

private:
    struct State
    {
        bool ignored = false;
        int unicodeSkip = 1;
    };

    // A character of the text, or one of the fallback characters that follow a \u.
    void character(QChar ch)
    {
        if (m_skipCount > 0) {
            --m_skipCount;
            return;
        }
        if (!m_state.ignored)
            m_out += ch;
    }

    void text(const QString &s)
    {
        if (!m_state.ignored)
            m_out += s;
    }

    void controlSequence()
    {
        if (m_pos >= m_in.size())
            return;
        const char c = m_in[m_pos];
        if (!isLetter(c)) {
            ++m_pos;
            controlSymbol(c);
            return;
        }
        const qsizetype wordStart = m_pos;
        while (m_pos < m_in.size() && isLetter(m_in[m_pos]))
            ++m_pos;
        const QByteArray word = m_in.mid(wordStart, m_pos - wordStart);
        bool hasParameter = false;
        bool negative = false;
        qint64 parameter = 0;
        if (m_pos < m_in.size() && m_in[m_pos] == '-' && m_pos + 1 < m_in.size() && isDigit(m_in[m_pos + 1])) {
            negative = true;
            ++m_pos;
        }
        while (m_pos < m_in.size() && isDigit(m_in[m_pos])) {
            hasParameter = true;
            if (parameter < 100000000)
                parameter = parameter * 10 + (m_in[m_pos] - '0');
            ++m_pos;
        }
        if (negative)
            parameter = -parameter;
        if (m_pos < m_in.size() && m_in[m_pos] == ' ')
            ++m_pos;
        controlWord(word, hasParameter, parameter);
    }

    void controlSymbol(char c)
    {
        switch (c) {
        case '\\':
        case '{':
        case '}':
            character(QChar(c));
            break;
        case '~':
            character(QChar(0x00A0));
            break;
        case '_':
            character(QChar('-'));
            break;
        case '*':
            m_state.ignored = true;
            break;
        case '\'': {
            const int high = m_pos < m_in.size() ? hexDigitValue(m_in[m_pos]) : -1;
            const int low = m_pos + 1 < m_in.size() ? hexDigitValue(m_in[m_pos + 1]) : -1;
            if (high >= 0 && low >= 0) {
                m_pos += 2;
                character(cp1252Char(uchar(high * 16 + low)));
            } else if (high >= 0) {
                ++m_pos; // a cut-off \'h adds nothing
            }
            break;
        }
        case '\r':
        case '\n':
            lineBreak();
            break;
        default:
            // \- (optional hyphen), \| and the like add nothing to the text.
            break;
        }
    }

    void lineBreak()
    {
        m_skipCount = 0;
        text(QStringLiteral("\r\n"));
    }

    void controlWord(const QByteArray &word, bool hasParameter, qint64 parameter)
    {
        if (isIgnoredDestination(word)) {
            m_state.ignored = true;
        } else if (word == "par" || word == "line" || word == "sect" || word == "page" || word == "row") {
            lineBreak();
        } else if (word == "tab" || word == "cell") {
            m_skipCount = 0;
            text(QStringLiteral("\t"));
        } else if (word == "u" && hasParameter) {
            const qint64 code = parameter < 0 ? parameter + 65536 : parameter;
            m_skipCount = 0;
            if (code >= 0 && code <= 0xFFFF)
                text(QString(QChar(char16_t(code))));
            m_skipCount = m_state.unicodeSkip;
        } else if (word == "uc" && hasParameter) {
            m_state.unicodeSkip = int(std::clamp<qint64>(parameter, 0, 16));
        } else if (word == "bin" && hasParameter && parameter > 0) {
            m_pos = qMin(m_in.size(), m_pos + qsizetype(parameter));
        } else if (word == "emdash") {
            character(QChar(0x2014));
        } else if (word == "endash") {
            character(QChar(0x2013));
        } else if (word == "bullet") {
            character(QChar(0x2022));
        } else if (word == "lquote") {
            character(QChar(0x2018));
        } else if (word == "rquote") {
            character(QChar(0x2019));
        } else if (word == "ldblquote") {
            character(QChar(0x201C));
        } else if (word == "rdblquote") {
            character(QChar(0x201D));
        } else if (word == "emspace" || word == "enspace" || word == "qmspace") {
            character(QChar(' '));
        }
        // Every other control word only formats the text.
    }

    const QByteArray &m_in;
    qsizetype m_pos = 0;
    State m_state;
    QList<State> m_stack;
    int m_skipCount = 0;
    QString m_out;
};

} // namespace

bool isRichText(const QByteArray &text)
{
    return text.trimmed().startsWith("{\\rtf");
}

QByteArray rtfToPlainText(const QByteArray &rtf)
{
    if (!isRichText(rtf))
        return rtf;
    return toAnsi(RtfReader(rtf).read());
}
