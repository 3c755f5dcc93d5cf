#pragma once

#include "core/requestrecord.h"

#include <QByteArray>
#include <QList>
#include <QString>

class RequestListModel;

// One row of the list as a HAR entry: the URL cell's text and the row's request.
struct HarRow
{
    QByteArray url;
    RequestRecord request;
};

// The rows as a HAR 1.2 document (UTF-8 JSON), one entry per row that holds a request, in the
// order given. Only requests are recorded, so every response says it was not observed
// ("_notObserved": true) and carries the empty values HAR allows. A body that is valid UTF-8 is
// written as text; any other body is written as base64 with "encoding": "base64", so that the
// exact bytes survive. An application/x-www-form-urlencoded body also gets its params.
QByteArray harDocument(const QList<HarRow> &rows);

// The rows of the list (each address with the row's request).
QList<HarRow> harRows(const RequestListModel &model);

// Writes harDocument(harRows(model)) to fileName, as the list's other file writers do: the file
// is replaced only once every byte is written; throws EListGridError("Cannot Create file " +
// fileName) when it cannot be created.
void SaveHar(const RequestListModel &model, const QString &fileName);
