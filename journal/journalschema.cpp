#include "journal/journalschema.h"

#include "core/utctime.h"

#include <algorithm>

namespace journalschema {

void bindRow(SqliteStatement &s, quint64 id, qint64 pos, const JournalRow &row)
{
    const RequestRecord &r = row.request;
    s.bind(1, qint64(id));
    s.bind(2, pos);
    s.bind(3, qint64(row.postFollowsBody));
    s.bind(4, qint64(r.window));
    s.bind(5, qint64(r.frame));
    s.bind(6, qint64(r.source));
    s.bind(7, qint64(r.boundaryRemade));
    if (r.recorded.isValid())
        s.bind(8, r.recorded.toMSecsSinceEpoch());
    else
        s.bindNull(8);
    s.bind(9, r.method);
    s.bind(10, r.contentType);
    s.bind(11, row.url);
    s.bind(12, r.doubt);
    s.bind(13, row.postText);
    s.bind(14, r.body);
}

JournalRow readRow(const SqliteStatement &s)
{
    // A damaged file may hold numbers no version wrote: they are kept within their types.
    const auto within = [&s](int col, qint64 last) { return std::clamp<qint64>(s.integer(col), 0, last); };
    JournalRow row;
    RequestRecord &r = row.request;
    row.postFollowsBody = s.integer(2) != 0;
    r.window = RequestWindow(within(3, qint64(RequestWindow::External)));
    r.frame = RequestFrame(within(4, qint64(RequestFrame::Frame)));
    r.source = BodySource(within(5, qint64(BodySource::HarFile)));
    r.boundaryRemade = s.integer(6) != 0;
    if (!s.isNull(7))
        r.recorded = utcFromMSecsSinceEpoch(s.integer(7));
    r.method = s.blob(8);
    r.contentType = s.blob(9);
    row.url = s.blob(10);
    r.doubt = s.text(11);
    row.postText = s.blob(12);
    r.body = s.blob(13);
    return row;
}

} // namespace journalschema
