#pragma once

#include "webview/formencoder.h"
#include "webview/postdata.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <memory>

// One form submission as the capture script reported it: its entries, with the bytes of its files
// as they arrive, and what is known of the request that takes it.
class FormCapture
{
public:
    // A submission report of the script; null when the report does not hold together. The
    // capture is complete only once finished; a report with files waits for their bytes.
    static std::shared_ptr<FormCapture> fromReport(const QJsonObject &report, const QString &id,
                                                   const QString &key, qint64 at);

    // Whether the report said that file bytes follow it.
    bool expectsFiles() const { return m_filesFollow; }
    // Appends bytes to the file of that index; false when there is no such file or it grew past
    // its announced size.
    bool appendFileBytes(int index, const QByteArray &bytes);
    // Every file has all of its announced bytes.
    bool filesComplete() const;

    // Whether it can be the body of a request sent with this Content-Type (unknown where the
    // engine does not tell it).
    bool fits(const QByteArray &requestContentType) const;
    // The body without a boundary: for urlencoded and text/plain only.
    QByteArray plainBody() const { return encodeFormBody(entries, enctype, charset, {}); }
    // Gives the body to its request, encoded with the boundary the engine sent where it told it;
    // where it did not, with one of ours, and the body says so. The entries are spent.
    void deliverTo(PostData &target, const QByteArray &contentType, const QString &doubt);

    QString id;
    QString key;
    FormEnctype enctype = FormEnctype::UrlEncoded;
    QString charset;
    QList<FormEntry> entries;
    QList<qsizetype> fileEntry;  // file index -> entry index
    QList<qint64> fileSize;
    bool complete = false;
    bool weak = false;  // a submit() not confirmed (yet): claimed only when no certain one is there
    bool reportedWeak = false;  // reported as uncertain, whether confirmed since or not
    QString form;       // the form it was built from, as the script names it
    QString signature;  // the entry list as the script and a navigation both describe it
    PostDataRef claimant;
    QByteArray claimantContentType;  // the Content-Type its request was sent with, when known
    qint64 at = 0;
    qint64 lastActivity = 0;
    qint64 completedAt = 0;

private:
    bool m_filesFollow = false;
};
