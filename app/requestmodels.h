#pragma once

// The item models behind the request window's Form and Hex views.

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>
#include <QString>

struct FormField;
struct MultipartPart;

// A body as lines of 16 bytes: offset, hex bytes, ASCII. Each line's text is made when the view
// asks for it, so a body of any size costs no more than its own bytes.
class HexDumpModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kBytesPerLine = 16;
    enum Column { OffsetColumn, HexColumn, AsciiColumn, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;
    void setBytes(const QByteArray &bytes);
    const QByteArray &bytes() const { return m_bytes; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QByteArray m_bytes;
};

// The fields of a form body: name and value for urlencoded and text/plain bodies; name, file
// name, content type, size and value (a hex preview for a file) for multipart parts. The last
// column of every row is its "Copy" cell.
class FormFieldModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // What "Copy" places for one row: the value as text and, for a multipart part, its bytes.
    struct Value
    {
        QString text;
        QByteArray bytes;
        bool hasBytes = false;
    };

    using QAbstractTableModel::QAbstractTableModel;
    void setFields(const QList<FormField> &fields);
    void setParts(const QList<MultipartPart> &parts, const QString &charset);
    void clear();

    bool isMultipart() const { return m_multipart; }
    int copyColumn() const { return columnCount() - 1; }
    Value value(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Row
    {
        QString name;
        QString fileName;
        QString contentType;
        qint64 size = 0;
        QString shown;  // the value as the view shows it
        Value value;
    };
    QList<Row> m_rows;
    bool m_multipart = false;
};
