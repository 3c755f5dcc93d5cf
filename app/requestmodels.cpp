#include "app/requestmodels.h"

#include "core/requestbody.h"

#include <QFontDatabase>

namespace {

// A cell shows at most this many characters of a value; "Copy" gives all of it.
constexpr int kShownValueLength = 256;

QString shownValue(const QString &value)
{
    // One line per cell: the value's line breaks and controls are shown as in the Raw view.
    QString shown = value.left(kShownValueLength);
    for (QChar &c : shown) {
        if (c.unicode() < 0x20)
            c = QChar(char16_t(0x2400 + c.unicode()));
    }
    if (value.size() > kShownValueLength)
        shown += QChar(0x2026);
    return shown;
}

} // namespace

void HexDumpModel::setBytes(const QByteArray &bytes)
{
    beginResetModel();
    m_bytes = bytes;
    endResetModel();
}

int HexDumpModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int((m_bytes.size() + kBytesPerLine - 1) / kBytesPerLine);
}

int HexDumpModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HexDumpModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::FontRole)
        return QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (role != Qt::DisplayRole)
        return {};
    const qint64 offset = qint64(index.row()) * kBytesPerLine;
    const int count = int(std::min<qint64>(kBytesPerLine, m_bytes.size() - offset));
    const char *line = m_bytes.constData() + offset;
    switch (index.column()) {
    case OffsetColumn:
        return hexOffsetText(offset);
    case HexColumn:
        return hexBytesText(line, count, kBytesPerLine);
    case AsciiColumn:
        return hexAsciiText(line, count);
    default:
        return {};
    }
}

QVariant HexDumpModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case OffsetColumn: return tr("Offset");
    case HexColumn: return tr("Hex");
    case AsciiColumn: return tr("ASCII");
    default: return {};
    }
}

void FormFieldModel::setFields(const QList<FormField> &fields)
{
    beginResetModel();
    m_multipart = false;
    m_rows.clear();
    m_rows.reserve(fields.size());
    for (const FormField &f : fields) {
        Row r;
        r.name = f.name;
        r.shown = shownValue(f.value);
        r.value.text = f.value;
        m_rows.append(std::move(r));
    }
    endResetModel();
}

void FormFieldModel::setParts(const QList<MultipartPart> &parts, const QString &charset)
{
    beginResetModel();
    m_multipart = true;
    m_rows.clear();
    m_rows.reserve(parts.size());
    for (const MultipartPart &p : parts) {
        Row r;
        r.name = decodeInCharset(p.name, charset);
        r.fileName = p.hasFileName ? decodeInCharset(p.fileName, charset) : QString();
        r.contentType = QString::fromLatin1(p.contentType);
        r.size = p.data.size();
        r.value.bytes = p.data;
        r.value.hasBytes = true;
        if (p.hasFileName) {
            // A file's bytes are not text: shown as hex, copied as one character per byte.
            r.shown = hexPreview(p.data);
            r.value.text = QString::fromLatin1(p.data);
        } else {
            r.value.text = decodeInCharset(p.data, charset);
            r.shown = shownValue(r.value.text);
        }
        m_rows.append(std::move(r));
    }
    endResetModel();
}

void FormFieldModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_multipart = false;
    endResetModel();
}

FormFieldModel::Value FormFieldModel::value(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).value : Value{};
}

int FormFieldModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FormFieldModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_multipart ? 6 : 3;
}

QVariant FormFieldModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row &r = m_rows.at(index.row());
    const int col = index.column();
    if (role == Qt::ToolTipRole && col == copyColumn())
        return tr("Copy this value");
    if (role == Qt::TextAlignmentRole && m_multipart && col == 3)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    if (col == copyColumn())
        return tr("Copy");
    if (!m_multipart)
        return col == 0 ? r.name : r.shown;
    switch (col) {
    case 0: return r.name;
    case 1: return r.fileName;
    case 2: return r.contentType;
    case 3: return r.size;
    case 4: return r.shown;
    default: return {};
    }
}

QVariant FormFieldModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    if (section == copyColumn())
        return QString();
    static const char *const plain[] = {"Name", "Value"};
    static const char *const multipart[] = {"Name", "File Name", "Content Type", "Size", "Value"};
    if (m_multipart)
        return section < 5 ? tr(multipart[section]) : QVariant();
    return section < 2 ? tr(plain[section]) : QVariant();
}
