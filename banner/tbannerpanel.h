#pragma once

#include "banner/bannerhtml.h"
#include "banner/tbannercaption.h"
#include "banner/tbannerpicture.h"

#include <QColor>
#include <QImage>
#include <QWidget>

// A sponsor banner: a panel 88 pixels high, hidden when created, with a shaded caption bar that
// holds the caption text and a close cross, and a picture below it. The body is a vertical
// gradient inside a raised 1-pixel edge. Every paint is composed in an off-screen image and
// copied to the screen in one piece.
class TBannerPanel : public QWidget
{
    Q_OBJECT

public:
    explicit TBannerPanel(QWidget *parent = nullptr);

    TBannerCaption *Caption() const { return m_caption; }
    TBannerPicture *Picture() const { return m_picture; }

    // Body gradient, from Color at the top to ColorTo at the bottom.
    QColor Color() const { return m_color; }
    void SetColor(const QColor &color);
    QColor ColorTo() const { return m_colorTo; }
    void SetColorTo(const QColor &color);

    // The panel's own body text, in the caption's HTML subset; empty for a banner.
    QString Text() const { return m_text; }
    void SetText(const QString &text);

    // True: the close button also frees the panel (later, from the event loop).
    bool FreeOnClose() const { return m_freeOnClose; }
    void SetFreeOnClose(bool on) { m_freeOnClose = on; }

    // The raised edge around the panel, in pixels. The window docks the panel at its bottom edge
    // and stacks it by its top; the user can neither move, resize nor collapse it.
    int BevelWidth() const { return 1; }

    // The area the picture fills: below the caption bar, inside the raised edge.
    QRect ChildArea() const;

    // Composes the whole panel, picture excluded, as it is copied to the screen.
    QImage ComposeImage();

    // What a press on the close square does: hides the panel, raises OnClose, and frees the panel
    // with FreeOnClose.
    void pressCloseButton();

signals:
    // Raised after the close button has hidden the panel.
    void OnClose(QObject *sender);
    // Raised for a press on a link of the caption or body whose target the shell does not open.
    void OnAnchorClick(QObject *sender, const QString &anchor);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void compose(QImage &target);
    void relayout();
    QColor captionTextColor() const;
    QList<PlacedRun> captionRuns() const;
    QList<PlacedRun> bodyRuns() const;

    TBannerCaption *m_caption;
    TBannerPicture *m_picture;
    QColor m_color{192, 192, 192};
    QColor m_colorTo{255, 255, 255};
    QString m_text;
    bool m_freeOnClose = false;
    QImage m_buffer;
};
