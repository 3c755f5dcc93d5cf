#pragma once

#include "urllist/requestrecord.h"

#include <QAbstractTableModel>
#include <QByteArray>

#include <functional>
#include <map>
#include <vector>

// The URL list's store: rows of 8-bit text cells, row 0 being the heading row. Besides the
// texts it keeps, per cell, what drawing and the column fit need (the link flag, where the
// shown and the measured parts begin, the measured width), so that neither ever rescans a
// cell, and per column a tally of measured widths, so that the widest is known at once.
// TListGrid draws from it through its delegate and follows its signals: dataChanged repaints a
// cell, rowsInserted and rowsRemoved bring the current cell, the stretch and the scroll bars up
// to date.
class TListGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Role {
        RawTextRole = Qt::UserRole + 1, // QByteArray: the whole text
        ShownTextRole,                  // QByteArray: the bounded part of the first line shown
        IsLinkRole,                     // bool
        DoubtRole,                      // QString: why a POST text may not be the request's; empty when certain
    };

    // Width in pixels of a cell's measured text; row 0 is the heading row.
    using Measure = std::function<int(const QByteArray &measured, int row)>;

    explicit TListGridModel(int columns, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    int rows() const { return int(m_rows.size()); }
    int columns() const { return m_columns; }
    bool contains(int col, int row) const;

    QByteArray text(int col, int row) const;
    bool isLink(int col, int row) const;
    QByteArray shownText(int col, int row) const;
    QByteArray measuredText(int col, int row) const;
    // Returns whether the cell exists (and so was written).
    bool setText(int col, int row, const QByteArray &text);

    // Adds empty rows of the given height at the end, or drops rows from the end.
    void resizeRows(int count, int newRowHeight);
    // Removes up to 'count' rows from 'first' on; returns how many went.
    int deleteRows(int first, int count);

    int rowHeight(int row) const;
    // Adds delta to every row's height, except where the result would be 0 or less.
    void addToRowHeights(int delta);

    // Why the row's POST text may not be the body that was sent (or why it is missing); empty
    // when it is certain. It is shown, never written to a file.
    QString doubt(int row) const;
    void setDoubt(int row, const QString &doubt);

    // The request the row was recorded from (its doubt included); empty for rows without one.
    // It belongs to the row: it goes where the row goes and is deleted with it.
    RequestRecord request(int row) const;
    void setRequest(int row, const RequestRecord &request);

    quint64 rowId(int row) const;
    int rowOfId(quint64 id) const;
    // Gives the row an identity it never had.
    void renewRowId(int row);

    void setMeasure(Measure measure);
    // The font changed: every measured width is stale.
    void invalidateWidths();
    // The widest measured width in the column, heading row included; 0 for empty cells.
    int widestWidth(int col);

private:
    struct Cell
    {
        QByteArray text;
        qsizetype shownFrom = 0;
        qsizetype measuredFrom = 0;
        int width = 0;
        bool link = false;
    };
    struct Row
    {
        quint64 id;
        int height;
        std::vector<Cell> cells;
        RequestRecord request;
    };
    struct Tally
    {
        std::map<int, int> counts; // width -> how many cells
        bool valid = true;
    };

    int measure(const Cell &cell, int row) const;
    void count(int col, int width, int delta);
    void rebuildTally(int col);

    int m_columns;
    std::vector<Row> m_rows;
    std::vector<Tally> m_tallies;
    quint64 m_nextId = 1;
    Measure m_measure;
};
