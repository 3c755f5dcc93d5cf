#include "banner/banneraccessible.h"

#include "banner/bannerhtml.h"
#include "banner/bannerpaint.h"
#include "banner/tbannerpanel.h"
#include "banner/tbannerpicture.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>

namespace {

// The close cross of a panel's caption bar: drawn by the panel, so it has no widget of its own.
class BannerCloseAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    explicit BannerCloseAccessible(TBannerPanel *panel) : m_panel(panel) {}

    bool isValid() const override { return m_panel && shown(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_panel ? m_panel->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_panel); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return QStringLiteral("Close");
        case QAccessible::Description:
            return QStringLiteral("Hides this banner");
        default:
            return QString();
        }
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        if (!isValid())
            return QRect();
        const QRect r = closeSquare(m_panel->width());
        return QRect(m_panel->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override
    {
        QAccessible::State st;
        if (!isValid())
            st.invalid = true;
        else if (!m_panel->isVisible())
            st.invisible = true;
        return st;
    }
    void *interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction() && isValid() && m_panel->isVisible())
            m_panel->pressCloseButton();
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    bool shown() const { return m_panel->Caption()->Visible() && m_panel->Caption()->CloseButton(); }

private:
    QPointer<TBannerPanel> m_panel;
};

// The panel: a group named after its sponsor, its close square first among its children.
class BannerPanelAccessible : public QAccessibleWidget
{
public:
    explicit BannerPanelAccessible(TBannerPanel *panel) : QAccessibleWidget(panel, QAccessible::Grouping) {}
    ~BannerPanelAccessible() override
    {
        if (m_closeId)
            QAccessible::deleteAccessibleInterface(m_closeId);
    }

    TBannerPanel *panel() const { return static_cast<TBannerPanel *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        const QString own = QAccessibleWidget::text(t);
        if (!own.isEmpty())
            return own;
        if (t == QAccessible::Name || t == QAccessible::Description)
            return bannerCaptionPlainText(panel());
        return own;
    }

    int childCount() const override { return QAccessibleWidget::childCount() + (closeShown() ? 1 : 0); }
    QAccessibleInterface *child(int index) const override
    {
        if (closeShown()) {
            if (index == 0)
                return close();
            --index;
        }
        return QAccessibleWidget::child(index);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (closeShown()) {
            if (m_closeId && child == QAccessible::accessibleInterface(m_closeId))
                return 0;
            const int i = QAccessibleWidget::indexOfChild(child);
            return i < 0 ? -1 : i + 1;
        }
        return QAccessibleWidget::indexOfChild(child);
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        if (closeShown() && close()->rect().contains(x, y))
            return close();
        return QAccessibleWidget::childAt(x, y);
    }

private:
    bool closeShown() const { return panel()->Caption()->Visible() && panel()->Caption()->CloseButton(); }
    QAccessibleInterface *close() const
    {
        if (QAccessibleInterface *iface = m_closeId ? QAccessible::accessibleInterface(m_closeId) : nullptr)
            return iface;
        auto *iface = new BannerCloseAccessible(panel());
        m_closeId = QAccessible::registerAccessibleInterface(iface);
        return iface;
    }

    mutable QAccessible::Id m_closeId = 0;
};

// The picture: a link whose press is a click on it.
class BannerPictureAccessible : public QAccessibleWidget
{
public:
    explicit BannerPictureAccessible(TBannerPicture *picture) : QAccessibleWidget(picture, QAccessible::Link) {}

    QAccessible::State state() const override
    {
        QAccessible::State st = QAccessibleWidget::state();
        st.linked = true;
        return st;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction())
            if (auto *picture = static_cast<TBannerPicture *>(widget()); picture->isVisible())
                emit picture->OnClick(picture);
    }
};

QAccessibleInterface *bannerFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("TBannerPanel"))
        if (auto *panel = qobject_cast<TBannerPanel *>(object))
            return new BannerPanelAccessible(panel);
    if (className == QLatin1String("TBannerPicture"))
        if (auto *picture = qobject_cast<TBannerPicture *>(object))
            return new BannerPictureAccessible(picture);
    return nullptr;
}

} // namespace

void installBannerAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(bannerFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

QString bannerCaptionPlainText(const TBannerPanel *panel)
{
    QStringList lines;
    for (const HtmlLine &line : parseBannerHtml(panel->Caption()->Text(), panel->Caption()->Font(), QColor())) {
        QString text;
        for (const HtmlRun &run : line.runs)
            text += run.text;
        if (!text.trimmed().isEmpty())
            lines << text.trimmed();
    }
    return lines.join(QLatin1Char(' '));
}
