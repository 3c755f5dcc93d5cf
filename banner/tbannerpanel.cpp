#include "banner/tbannerpanel.h"

#include "banner/banneraccessible.h"
#include "banner/bannerhtml.h"
#include "banner/bannerpaint.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

static constexpr int kBannerHeight = 88;

TBannerPanel::TBannerPanel(QWidget *parent)
    : QWidget(parent),
      m_caption(new TBannerCaption(this)),
      m_picture(new TBannerPicture(this))
{
    setFixedHeight(kBannerHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // the off-screen image covers every pixel of the panel
    setAttribute(Qt::WA_OpaquePaintEvent);
    setVisible(false);
    installBannerAccessibility();
    connect(m_caption, &TBannerCaption::changed, this, qOverload<>(&QWidget::update));
    connect(m_caption, &TBannerCaption::layoutChanged, this, &TBannerPanel::relayout);
    relayout();
}

void TBannerPanel::SetColor(const QColor &color)
{
    m_color = color;
    update();
}

void TBannerPanel::SetColorTo(const QColor &color)
{
    m_colorTo = color;
    update();
}

void TBannerPanel::SetText(const QString &text)
{
    m_text = text;
    update();
}

QRect TBannerPanel::ChildArea() const
{
    return bannerChildArea(size(), m_caption->Visible() ? m_caption->Height() : 0, BevelWidth());
}

void TBannerPanel::relayout()
{
    m_picture->setGeometry(ChildArea());
}

void TBannerPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
    if (m_caption->Visible())
        m_caption->ShadeImage();   // the new width needs a new shade
    update();
}

QColor TBannerPanel::captionTextColor() const
{
    const QColor color = m_caption->FontColor();
    return color.isValid() ? color : palette().color(QPalette::HighlightedText);
}

void TBannerPanel::compose(QImage &target)
{
    const int w = width();
    const int h = height();
    QPainter p(&target);

    // 1. the body gradient, band by band; a band may overlap the next, which paints over it
    const int bandHeight = gradientBandHeight(h);
    for (int band = 0; band < kGradientBands; ++band) {
        const int top = gradientBandTop(band, h);
        const int bottom = std::min(top + bandHeight, h);
        if (bottom > top)
            p.fillRect(QRect(0, top, w, bottom - top), gradientBandColor(band, m_color, m_colorTo));
    }

    // 2. the raised edge
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    p.fillRect(QRect(0, 0, w, 1), light);
    p.fillRect(QRect(0, 0, 1, h), light);
    p.fillRect(QRect(0, h - 1, w, 1), dark);
    p.fillRect(QRect(w - 1, 0, 1, h), dark);

    // the body text, if any, below the caption bar
    if (!m_text.isEmpty())
        drawBannerHtml(p, bodyRuns());

    if (!m_caption->Visible())
        return;

    // 3. the caption bar, filled with the diagonal shade
    const QRect bar = captionBarRect(w, m_caption->Height());
    if (bar.isValid()) {
        p.save();
        p.setClipRect(bar);
        p.drawImage(QPoint(1, 1), m_caption->ShadeImage());
        p.restore();
    }

    // 4. the close cross
    if (m_caption->CloseButton()) {
        const QColor cross = m_caption->CloseButtonColor();
        for (const QPoint &pixel : closeCrossPixels(w))
            p.fillRect(QRect(pixel, QSize(1, 1)), cross);
    }

    // 5. the caption text
    const CaptionTextBox box = captionTextBox(w, m_caption->Indent(), m_caption->TopIndent());
    if (box.right > box.left) {
        p.save();
        p.setClipRect(QRect(QPoint(box.left, box.top), QPoint(box.right - 1, box.bottom - 1)));
        drawBannerHtml(p, captionRuns());
        p.restore();
    }
}

QList<PlacedRun> TBannerPanel::captionRuns() const
{
    const CaptionTextBox box = captionTextBox(width(), m_caption->Indent(), m_caption->TopIndent());
    return layoutBannerHtml(parseBannerHtml(m_caption->Text(), m_caption->Font(), captionTextColor()), box);
}

QList<PlacedRun> TBannerPanel::bodyRuns() const
{
    const QRect area = ChildArea();
    const CaptionTextBox box{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
    return layoutBannerHtml(parseBannerHtml(m_text, m_caption->Font(), palette().color(QPalette::WindowText)), box);
}

QImage TBannerPanel::ComposeImage()
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    compose(image);
    return image;
}

void TBannerPanel::paintEvent(QPaintEvent *)
{
    if (m_buffer.size() != size())
        m_buffer = QImage(size(), QImage::Format_RGB32);
    compose(m_buffer);
    QPainter(this).drawImage(0, 0, m_buffer);
}

void TBannerPanel::pressCloseButton()
{
    setVisible(false);
    emit OnClose(this);
    if (m_freeOnClose)
        deleteLater();
}

void TBannerPanel::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    const QPoint point = event->position().toPoint();
    if (m_caption->Visible() && m_caption->CloseButton() && closeSquare(width()).contains(point)) {
        pressCloseButton();
        return;
    }

    QString anchor;
    if (m_caption->Visible())
        anchor = bannerHtmlAnchorAt(captionRuns(), point);
    if (anchor.isEmpty() && !m_text.isEmpty())
        anchor = bannerHtmlAnchorAt(bodyRuns(), point);
    if (anchor.isEmpty())
        return;
    if (isShellLink(anchor))
        QDesktopServices::openUrl(QUrl(anchor));
    else
        emit OnAnchorClick(this, anchor);
}
