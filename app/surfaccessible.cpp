#include "app/surfaccessible.h"

#include "addressbox/addresscombo.h"
#include "app/surftoolbar.h"
#include "app/tsurfwindow.h"
#include "app/tsurfwindow2.h"
#include "banner/tbannerpanel.h"
#include "banner/tbannerpicture.h"
#include "urllist/listgrid.h"
#include "webview/twebbrowser.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QEvent>
#include <QPushButton>
#include <QToolButton>

namespace {

// Plain widgets that stand for a toolbar, a panel or a divider carry their role in this property.
constexpr char kRoleProperty[] = "accessibleRole";

QAccessibleInterface *roleFactory(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget || className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    const QVariant role = widget->property(kRoleProperty);
    if (!role.isValid())
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Role(role.toInt()));
}

void setRole(QWidget *widget, QAccessible::Role role)
{
    static const bool installed = [] {
        QAccessible::installFactory(roleFactory);
        return true;
    }();
    Q_UNUSED(installed);
    widget->setProperty(kRoleProperty, int(role));
}

void describe(QWidget *widget, const QString &name, const QString &description = QString())
{
    widget->setAccessibleName(name);
    if (!description.isEmpty())
        widget->setAccessibleDescription(description);
}

// The widget that takes the focus for w: the web view hands it to a child of its own.
QWidget *tabStop(QWidget *w)
{
    while (w->focusProxy())
        w = w->focusProxy();
    return w;
}

// Applies a Tab order again whenever the watched widget gets a new child: the web view makes the
// widget that takes its focus only once it shows a page, and may make a new one later.
class TabOrderKeeper : public QObject
{
public:
    TabOrderKeeper(QWidget *watched, QList<QPointer<QWidget>> order) : QObject(watched), m_order(std::move(order))
    {
        watched->installEventFilter(this);
        apply();
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // The view sets the new child as its focus proxy after adding it.
        if (event->type() == QEvent::ChildPolished || event->type() == QEvent::ChildRemoved)
            QMetaObject::invokeMethod(this, &TabOrderKeeper::apply, Qt::QueuedConnection);
        return false;
    }

private:
    void apply()
    {
        for (qsizetype i = 1; i < m_order.size(); ++i)
            if (m_order[i - 1] && m_order[i])
                QWidget::setTabOrder(tabStop(m_order[i - 1]), tabStop(m_order[i]));
    }
    QList<QPointer<QWidget>> m_order;
};

} // namespace

void describeForAccessibility(TSurfWindow *w)
{
    setRole(w->ToolBar1, QAccessible::ToolBar);
    describe(w->ToolBar1, QStringLiteral("Toolbar"));
    for (QWidget *separator : {w->ToolButton3, w->ToolButton11, w->ToolButton4, w->ToolButton14, w->ToolButton9})
        setRole(separator, QAccessible::Separator);

    setRole(w->Panel3, QAccessible::Pane);
    describe(w->Panel3, QStringLiteral("Address"));
    w->Label13->setBuddy(w->AddressBox);
    describe(w->AddressBox, QStringLiteral("URL"), QStringLiteral("The address to browse to with Go!"));
    describe(w->gotobutton, QStringLiteral("Go!"), QStringLiteral("Browses to the address"));

    setRole(w->Panel4, QAccessible::Pane);
    describe(w->Panel4, QStringLiteral("Web page"));

    setRole(w->Panel5, QAccessible::Pane);
    describe(w->Panel5, QStringLiteral("Recorded navigations"));
    describe(w->surfdata, QStringLiteral("URL list"),
             QStringLiteral("Every navigation: its address and the data it posted"));

    const struct {
        TBannerPanel *panel;
        TBannerPicture *picture;
        const char *sponsor;
        const char *tagline;
    } banners[] = {
        {w->BannerPanel1, w->BannerPicture2, "Tavorink Tools", "Small, sharp utilities for the web"},
        {w->BannerPanel2, w->BannerPicture4, "Trailscribe Pro", "Record, filter and replay every step"},
        {w->BannerPanel3, w->BannerPicture1, "Tavorink Web Suite", "Everything your browser forgot to do"},
    };
    for (const auto &b : banners) {
        const QString sponsor = QString::fromLatin1(b.sponsor);
        describe(b.panel, QStringLiteral("Sponsored by ") + sponsor);
        describe(b.picture, sponsor + QStringLiteral(": ") + QString::fromLatin1(b.tagline),
                 QStringLiteral("Opens the sponsor's page in the web browser"));
    }

    // Tab: the toolbar's buttons, the address, "Go!", the page, the list.
    const QList<QWidget *> order{w->ToolButton1, w->ToolButton2, w->ToolButton5, w->ToolButton10,
                                 w->ToolButton12, w->ToolButton13, w->ToolButton6, w->ToolButton7,
                                 w->AddressBox, w->gotobutton, w->WebBrowser2, w->surfdata};
    for (QToolButton *b : w->ToolBar1->findChildren<QToolButton *>())
        b->setFocusPolicy(Qt::TabFocus); // not on a click: a click leaves the focus where it is
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    new TabOrderKeeper(w->WebBrowser2, {w->gotobutton, w->WebBrowser2, w->surfdata});
}

void describeForAccessibility(Tsurfwindow2 *w)
{
    setRole(w->Panel8, QAccessible::Pane);
    describe(w->Panel8, QStringLiteral("Address"));
    w->Label13->setBuddy(w->url1);
    describe(w->url1, QStringLiteral("URL"), QStringLiteral("The address of the page shown"));
    setRole(w->Bevel1, QAccessible::Separator);
    describe(w->Button1, QStringLiteral("Close Window"), QStringLiteral("Hides this window"));
}
