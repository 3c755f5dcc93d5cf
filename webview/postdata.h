#pragma once

#include "core/bodysource.h"

#include <QByteArray>
#include <QObject>
#include <QSharedPointer>
#include <QString>

// The request body of one navigation. The engine reports a navigation before the program can
// know its body (a form's files may still be being read), so the body can arrive later:
// hasBody() tells whether it is known now, bodyReady() announces it once when it arrives.
// A navigation without a body never announces one.
//
// A body is certain when nothing else could have been sent; otherwise doubt() says why it may
// be another request's, or why none could be captured (the body is then empty).
class PostData : public QObject
{
    Q_OBJECT
public:
    bool hasBody() const { return m_hasBody; }
    const QByteArray &body() const { return m_body; }
    bool isCertain() const { return m_doubt.isEmpty(); }
    // Whether the navigation is a frame's inside the page rather than the page's own.
    bool inFrame() const { return m_inFrame; }
    void setInFrame(bool inFrame) { m_inFrame = inFrame; }
    const QString &doubt() const { return m_doubt; }
    // The Content-Type sent with the body, when the capture knows it; empty otherwise.
    const QByteArray &contentType() const { return m_contentType; }
    BodySource source() const { return m_source; }
    // A multipart body whose boundary is ours: the engine did not tell its own.
    bool boundaryRemade() const { return m_boundaryRemade; }

    // Sets the body and announces it; later calls are ignored.
    void deliver(const QByteArray &body, const QString &doubt = {}, const QByteArray &contentType = {},
                 BodySource source = BodySource::Script, bool boundaryRemade = false)
    {
        if (m_hasBody)
            return;
        m_hasBody = true;
        m_body = body;
        m_doubt = doubt;
        m_contentType = contentType;
        m_source = body.isEmpty() && !doubt.isEmpty() ? BodySource::None : source;
        m_boundaryRemade = boundaryRemade;
        emit bodyReady(m_body);
    }

    // Takes another navigation's body as it is, with what it says of it (a 307's second request).
    void deliverFrom(const PostData &other)
    {
        deliver(other.body(), other.doubt(), other.contentType(), other.source(), other.boundaryRemade());
    }

signals:
    void bodyReady(const QByteArray &body);

private:
    bool m_hasBody = false;
    bool m_inFrame = false;
    QByteArray m_body;
    QString m_doubt;
    QByteArray m_contentType;
    BodySource m_source = BodySource::None;
    bool m_boundaryRemade = false;
};

using PostDataRef = QSharedPointer<PostData>;
