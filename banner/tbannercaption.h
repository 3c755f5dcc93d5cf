#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QString>

class QWidget;

// The caption bar of a banner panel: its settings and its diagonal shade image. The shade is
// built pixel by pixel only when the panel's width or the shade settings change; every build
// reseeds the program-wide random generator.
class TBannerCaption : public QObject
{
    Q_OBJECT

public:
    // panel: the widget whose width the shade follows; it owns the caption.
    explicit TBannerCaption(QWidget *panel);

    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);

    int Height() const { return m_height; }
    void SetHeight(int height);

    QColor Color() const { return m_color; }
    void SetColor(const QColor &color);   // rebuilds the shade when the colour changes

    // Kept as settings; the diagonal shade does not use them.
    QColor ColorTo() const { return m_colorTo; }
    void SetColorTo(const QColor &color);
    int ShadeGrain() const { return m_shadeGrain; }
    void SetShadeGrain(int grain);   // rebuilds the shade

    int ShadeLight() const { return m_shadeLight; }
    void SetShadeLight(int light);   // raised to at least 200; rebuilds the shade

    QFont Font() const { return m_font; }
    void SetFont(const QFont &font);
    // The starting colour of the caption text; invalid means the system's highlighted-text colour.
    QColor FontColor() const { return m_fontColor; }
    void SetFontColor(const QColor &color);

    int Indent() const { return m_indent; }
    void SetIndent(int indent);
    int TopIndent() const { return m_topIndent; }
    void SetTopIndent(int indent);

    bool CloseButton() const { return m_closeButton; }
    void SetCloseButton(bool on);
    QColor CloseButtonColor() const { return m_closeButtonColor; }
    void SetCloseButtonColor(const QColor &color);

    QString Text() const { return m_text; }
    void SetText(const QString &text);

    // The shade image for the panel's current width, built again first when that width, the
    // caption's height or the shade settings no longer match it.
    const QImage &ShadeImage();
    // How many times the shade has been built, for checks of the caching.
    int ShadeBuildCount() const { return m_shadeBuilds; }

signals:
    // Something that shows changed; layoutChanged also when the bar's height or visibility did.
    void changed();
    void layoutChanged();

private:
    void rebuildShade();

    QWidget *m_panel;
    bool m_visible = true;
    int m_height = 20;
    QColor m_color{128, 128, 128};
    QColor m_colorTo{192, 192, 192};
    int m_shadeGrain = 32;
    int m_shadeLight = 200;
    QFont m_font;
    QColor m_fontColor;
    int m_indent = 0;
    int m_topIndent = 0;
    bool m_closeButton = true;
    QColor m_closeButtonColor{Qt::white};
    QString m_text;

    QImage m_shade;
    int m_shadeWidth = -1;
    int m_shadeHeight = -1;
    int m_shadeBuilds = 0;
};
