#pragma once

#include <QImage>
#include <QWidget>

// The picture of a banner panel: one still image, drawn once, unscaled and centred, with the hand
// pointer over the whole area. A click (press and release of the left button) anywhere on it,
// the margins around the image included, raises OnClick.
class TBannerPicture : public QWidget
{
    Q_OBJECT

public:
    explicit TBannerPicture(QWidget *parent = nullptr);

    // Decodes the image (its first frame) from the bytes of a stored picture, GIF or any other
    // format the platform reads. Throws TrailscribeError with "Empty image stream created",
    // "Could not load image. Invalid format", "Could not allocate memory for image" or
    // "Could not load image" when it cannot be decoded; the picture is then left unchanged.
    void SetImageData(const QByteArray &bytes);
    // The same from a file or resource path; "Could not create image stream" when it cannot be
    // opened.
    void LoadFromResource(const QString &path);

    static QImage DecodeImage(const QByteArray &data);

    const QImage &Image() const { return m_image; }
    // Where the image's top-left corner lies in the picture.
    QPoint ImageOrigin() const;

signals:
    void OnClick(QObject *sender);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QImage m_image;
    bool m_leftPressed = false;
};
