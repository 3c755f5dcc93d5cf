#pragma once

#include "core/cellsource.h"
#include "core/requestrecord.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QSet>

#include <array>
#include <vector>

// The recorded list: one row per navigation, each holding its address and the request it was
// recorded from. The POST-DATA text is made from the request's body when asked (the main
// window's without zero bytes, the external window's whole), so a body is stored once; a text
// written into the cell by hand is kept as it is. The headings ("URL", "POST-DATA") are header
// data, not a row. Texts are 8-bit, in the local code page.
class RequestListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Role {
        CellTextRole = Qt::UserRole + 1, // QByteArray: the cell's whole text
        DoubtRole,                       // QString: why a POST text may not be the request's
    };
    static constexpr int kColumns = 2;

    explicit RequestListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;
    // Empty rows: no address, no request.
    bool insertRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;

    int rows() const { return int(m_rows.size()); }
    bool contains(int col, int row) const;
    // Adds empty rows at the end, or drops rows from the end.
    void resizeRows(int count);

    QByteArray heading(int col) const;
    void setHeading(int col, const QByteArray &text);

    QByteArray url(int row) const;
    QByteArray postText(int row) const;
    QByteArray cellText(int col, int row) const;
    // Returns whether the cell exists. A POST text written here no longer follows the body.
    bool setCellText(int col, int row, const QByteArray &text);
    // Whether the POST text is made from the body (setBody) rather than written by hand.
    bool postTextFollowsBody(int row) const;

    // The request the row was recorded from; empty for rows without one. Setting it leaves the
    // POST text alone; setBody also makes the POST text the body's.
    const RequestRecord &request(int row) const;
    void setRequest(int row, const RequestRecord &request);
    void setBody(int row, const RequestRecord &request);
    QString doubt(int row) const;
    void setDoubt(int row, const QString &doubt);

    // Every row emptied, in one reset: no texts, no requests, and identities they never had, so
    // that what was on its way to a row that was there before goes nowhere.
    void blankRows();

    // A row's identity, which survives rows removed or added before it; 0 for no row.
    quint64 rowId(int row) const;
    int rowOfId(quint64 id) const; // -1 when that row is gone

private:
    struct Row
    {
        quint64 id = 0;
        QByteArray url;
        QByteArray postText; // kept only while the text does not follow the body
        RequestRecord request;
        bool postFollowsBody = false;
    };

    void assign(int row, const RequestRecord &request, bool textFollows);
    void emitCellChanged(int row, int col, const QList<int> &roles);
    void shareCommon(QByteArray &bytes);

    std::vector<Row> m_rows;
    // Ids rise with the index unless rows were put before others: then rowOfId searches them all.
    bool m_idsInOrder = true;
    std::array<QByteArray, kColumns> m_headings{QByteArray("URL"), QByteArray("POST-DATA")};
    quint64 m_nextId = 1;
    QSet<QByteArray> m_common;
};

// The POST text of a body: one character per byte, nothing decoded; the main window leaves zero
// bytes out, the external window keeps them.
QByteArray postTextOf(const RequestRecord &request);

// The list as the writers and the clipboard copy see it: the heading row, then the rows.
CellSource listCells(const RequestListModel &model);
