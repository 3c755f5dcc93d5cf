#pragma once

#include "core/harwriter.h"
#include "core/requestlistmodel.h"
#include "urllist/listgrid.h"
#include "webview/postdata.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

// True when the text's first ten characters, with only the letters a to z turned into A to Z,
// are exactly "JAVASCRIPT". Such addresses are never recorded.
bool isScriptAddress(const QByteArray &text);
bool isScriptAddress(const QString &text);

// The list panel's height for a list of rowCount rows (heading included): up to ten rows shown.
int listPanelHeight(int rowCount, int defaultRowHeight);
// The list panel's height at start-up and after "Clear URLs": every row, no upper bound.
int fullListPanelHeight(int rowCount, int defaultRowHeight);

// The one writer of the URL list's model. Both windows hand it what their views report, as
// values; it applies the rules they share (the script test, the last-row rule, late bodies to
// their own row) and sizes the list panel where the window asks for it. The row's request
// names its window, and the model makes the POST text from it (the main window's without zero
// bytes).
class Recorder : public QObject
{
    Q_OBJECT
public:
    // How a window records: the main window fits the list to each new row; the external window
    // leaves the list's size alone.
    struct Style
    {
        RequestWindow window;
        bool fitList;
    };
    static constexpr Style MainWindow{RequestWindow::Main, true};
    static constexpr Style ExternalWindow{RequestWindow::External, false};

    // listPanel is the widget whose height follows the list; it may be null.
    Recorder(TListGrid *list, QWidget *listPanel, QObject *parent = nullptr);

    TListGrid *list() const { return m_list; }

    // The append step of "Add URL" and of every recording: nothing for a script address;
    // otherwise the address goes into the last row, after a row is added at the end when the
    // last row's URL cell is taken. The row gets a GET request of the main window of its own.
    // Returns the identity of the row written, or 0.
    quint64 append(const QByteArray &address);

    // One navigation of a window's view: the address and, when the request has a body, its
    // POST text, now or when the body arrives, into that row wherever it stands then (nothing
    // when the user has deleted it), with the body's doubt, if any, on the row. Returns false
    // for a script address, which is not recorded. The row's request record starts as a GET and
    // becomes a POST with the body's exact bytes when a body comes.
    bool record(const QByteArray &address, const PostDataRef &postData, const Style &style);

    // "Delete URL": the current row goes; the last data row is emptied instead.
    void deleteCurrentRow();
    // Empties the list down to one empty data row.
    void clear();

    // Rows read back (from a file, a journal) go at the end of the list: addAtEnd puts them
    // after the model's rows, and an empty last row then gives way to them.
    void addRows(const std::function<void(RequestListModel &model)> &addAtEnd);
    // The rows of a HAR file, each with its request; the POST text is made from the body.
    void addRows(const QList<HarRow> &rows);

    // The list panel: up to ten rows shown, and both columns fitted to their contents.
    void fitList();
    // The list panel shows every row (start-up, "Clear URLs").
    void showWholeList();

private:
    quint64 appendRow(const QByteArray &address, const Style &style, bool inFrame = false);
    void writePostText(quint64 rowId, const PostDataRef &postData, const Style &style);
    void writeBody(int row, const PostData &postData, const Style &style);

    QPointer<TListGrid> m_list;
    QPointer<RequestListModel> m_model;
    QPointer<QWidget> m_listPanel;
};
