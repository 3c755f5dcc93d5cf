#include "banner/tbannercaption.h"

#include "banner/bannerpaint.h"
#include "banner/programrandom.h"

#include <QWidget>

#include <algorithm>

TBannerCaption::TBannerCaption(QWidget *panel)
    : QObject(panel), m_panel(panel)
{
    m_font = QFont(QStringLiteral("MS Sans Serif"));
    m_font.setPixelSize(11);
    m_text = QStringLiteral("<P align=\"center\"><FONT face=\"Tahoma\"><B>Tavorink Trailscribe is "
                            "sponsored by:</B></FONT></P>");
    // Setting the colour and shade, as the window's form does, builds the first shade and seeds
    // the program's random generator.
    rebuildShade();
}

void TBannerCaption::SetVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    emit layoutChanged();
    emit changed();
}

void TBannerCaption::SetHeight(int height)
{
    height = std::max(0, height);
    if (height == m_height)
        return;
    m_height = height;
    rebuildShade();
    emit layoutChanged();
    emit changed();
}

void TBannerCaption::SetColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    rebuildShade();
    emit changed();
}

void TBannerCaption::SetColorTo(const QColor &color)
{
    m_colorTo = color;
}

void TBannerCaption::SetShadeGrain(int grain)
{
    m_shadeGrain = grain;
    rebuildShade();
    emit changed();
}

void TBannerCaption::SetShadeLight(int light)
{
    m_shadeLight = std::max(200, light);
    rebuildShade();
    emit changed();
}

void TBannerCaption::SetFont(const QFont &font)
{
    m_font = font;
    emit changed();
}

void TBannerCaption::SetFontColor(const QColor &color)
{
    m_fontColor = color;
    emit changed();
}

void TBannerCaption::SetIndent(int indent)
{
    m_indent = indent;
    emit changed();
}

void TBannerCaption::SetTopIndent(int indent)
{
    m_topIndent = indent;
    emit changed();
}

void TBannerCaption::SetCloseButton(bool on)
{
    m_closeButton = on;
    emit changed();
}

void TBannerCaption::SetCloseButtonColor(const QColor &color)
{
    m_closeButtonColor = color;
    emit changed();
}

void TBannerCaption::SetText(const QString &text)
{
    m_text = text;
    emit changed();
}

const QImage &TBannerCaption::ShadeImage()
{
    if (m_panel->width() != m_shadeWidth || m_height != m_shadeHeight)
        rebuildShade();
    return m_shade;
}

void TBannerCaption::rebuildShade()
{
    m_shadeWidth = m_panel->width();
    m_shadeHeight = m_height;
    m_shade = buildDiagonalShade(m_shadeWidth, m_shadeHeight, m_shadeLight, m_color);
    ++m_shadeBuilds;
    reseedProgramRandom();
}
