#include "banner/tbannerpicture.h"

#include "banner/banneraccessible.h"
#include "banner/bannerimages.h"
#include "banner/bannerpaint.h"
#include "core/trailscribeerror.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>

TBannerPicture::TBannerPicture(QWidget *parent)
    : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
    installBannerAccessibility();
}

QImage TBannerPicture::DecodeImage(const QByteArray &data)
{
    if (data.isEmpty())
        throw TrailscribeError(QStringLiteral("Empty image stream created"));
    QBuffer stream;
    stream.setData(data);
    if (!stream.open(QIODevice::ReadOnly))
        throw TrailscribeError(QStringLiteral("Could not create image stream"));
    QImageReader reader(&stream);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        throw TrailscribeError(QStringLiteral("Could not load image. Invalid format"));
    const QSize size = reader.size();
    if (size.isValid() && QImageReader::allocationLimit() > 0
        && qint64(size.width()) * size.height() * 4 > qint64(QImageReader::allocationLimit()) * 1024 * 1024)
        throw TrailscribeError(QStringLiteral("Could not allocate memory for image"));
    QImage image = reader.read();
    if (image.isNull())
        throw TrailscribeError(QStringLiteral("Could not load image"));
    return image;
}

void TBannerPicture::SetImageData(const QByteArray &bytes)
{
    m_image = DecodeImage(bytes);
    update();
}

void TBannerPicture::LoadFromResource(const QString &path)
{
    initBannerResources();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw TrailscribeError(QStringLiteral("Could not create image stream"));
    SetImageData(file.readAll());
}

QPoint TBannerPicture::ImageOrigin() const
{
    return pictureImageOrigin(size(), m_image.size());
}

void TBannerPicture::paintEvent(QPaintEvent *)
{
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(ImageOrigin(), m_image);
}

void TBannerPicture::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_leftPressed = true;
    event->accept();
}

void TBannerPicture::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || !m_leftPressed)
        return;
    m_leftPressed = false;
    if (rect().contains(event->position().toPoint()))
        emit OnClick(this);
}

void TBannerPicture::mouseDoubleClickEvent(QMouseEvent *event)
{
    // the second press of a double click counts as a press of its own
    mousePressEvent(event);
}
