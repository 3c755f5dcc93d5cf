#pragma once

#include "core/harwriter.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// What reading a HAR file gives: every row, or none and the reason.
struct HarReadResult
{
    QList<HarRow> rows;
    QString creator; // the name of the program that wrote the file; empty when it gives none
    bool ours = false; // written by Trailscribe: the rows come back with everything it wrote
    QString error;   // why nothing was read; empty when the file was read
};

// Called now and then while a file is read, with how far the reading has come (done of total,
// in bytes of the document; total is its size, and done reaches it at the end). Returning false
// stops the reading: nothing is read and the error says so.
using HarReadProgress = std::function<bool(qint64 done, qint64 total)>;

// Reads the rows of a HAR 1.2 document, all or nothing.
//
// A file Trailscribe wrote comes back as it was written: each entry's method, address, body
// (base64 where the entry says so), Content-Type, time, window, frame, doubt and remade boundary;
// its rows' bodies come from the file (BodySource::HarFile) where the entry has one.
//
// From another program's file (a browser saves every resource of a page) only the pages are
// taken: the entries marked "_resourceType": "document" when any entry has a "_resourceType",
// else every entry. A body the file gives only as form fields is rebuilt from them. Each row is
// from the main window's top-level page, and its doubt says which program wrote the file and,
// where it was rebuilt, that the body was.
//
// A document that is not JSON, has no log of entries, or has an entry without a request method,
// a valid address (another program's must be a URL with a scheme), a valid startedDateTime, or
// with a body that cannot be read, gives no rows and an error naming the entry (counted from 1).
// The document is walked without building it whole, so a large file costs little more memory
// than its rows.
HarReadResult readHar(const QByteArray &document, const HarReadProgress &progress = {});

// readHar() of a file's contents. Its errors name the file.
HarReadResult readHarFile(const QString &fileName, const HarReadProgress &progress = {});
