#include "placement/formplacement.h"

#include "common/errorreport.h"
#include "placement/minmaxinfoevent.h"
#include "placement/placementlink.h"
#include "placement/placementstore.h"
#include "placement/placementtext.h"
#include "placement/windowhook.h"
#include "placement/windowplacement.h"
#include "placement/winminmaxinfo.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {
const QString kFormVersion = QStringLiteral("FormVersion");
const QString kFlags = QStringLiteral("Flags");
const QString kShowCmd = QStringLiteral("ShowCmd");
const QString kPixelsPerInch = QStringLiteral("PixelsPerInch");
const QString kMinMaxPos = QStringLiteral("MinMaxPos");
const QString kNormPos = QStringLiteral("NormPos");
const QString kVisible = QStringLiteral("Visible");
const QString kActiveControl = QStringLiteral("ActiveControl");

QWidget *formOf(QObject *owner)
{
    if (!owner || !owner->isWidgetType())
        return nullptr;
    QWidget *widget = static_cast<QWidget *>(owner);
    return widget->isWindow() ? widget : nullptr;
}
} // namespace

// Opens the store for the time of one restore, save or single value access, unless it is open
// already; closes it again at the end of that time, also when an error ends it early.
class TFormPlacement::StoreUse
{
public:
    StoreUse(TFormPlacement &placement, TPlacementStore::Access access)
        : m_placement(placement), m_opened(!placement.m_store)
    {
        if (m_opened)
            placement.m_store = std::make_unique<TPlacementStore>(
                placement.StoreName(), placement.m_useRegistry, placement.m_registryRoot, access);
    }
    ~StoreUse()
    {
        if (m_opened)
            m_placement.m_store.reset();
    }
    StoreUse(const StoreUse &) = delete;
    StoreUse &operator=(const StoreUse &) = delete;

private:
    TFormPlacement &m_placement;
    bool m_opened;
};

TFormPlacement::TFormPlacement(QObject *owner)
    : QObject(owner),
      m_form(formOf(owner)),
      m_minMaxInfo(new TWinMinMaxInfo(this)),
      m_winHook(new TWindowHook(this))
{
    if (m_form)
        m_options = TPlacementOptions(fpState) | fpPosition;
    m_winHook->SetAfterMessage([this](QObject *sender, QEvent *msg, bool &handled) {
        winHookAfterMessage(sender, msg, handled);
    });
    connect(m_minMaxInfo, &TWinMinMaxInfo::Changed, this, [this] { updateWinHook(); });
    if (m_form) {
        m_formClassName = QString::fromLatin1(m_form->metaObject()->className());
        // Our handlers go in front of the form's own show, close and destroy handling.
        m_form->installEventFilter(this);
        m_defMaximize = hasMaximizeButton(m_form);
        updateWinHook();
    }
}

TFormPlacement::~TFormPlacement()
{
    // While the form deletes its children it has already let go of this one; deleted on its
    // own, the component is still among them and the form lives on without its placement.
    const bool formDestroyed = m_form && parent() && !parent()->children().contains(this);
    if (formDestroyed)
        formDestroy();
    m_winHook->UnhookControl();
    if (m_form && !formDestroyed) {
        if (m_limitsChanged) {
            m_form->setMinimumSize(m_designMinimumSize);
            m_form->setMaximumSize(m_designMaximumSize);
        }
        m_form->removeEventFilter(this);
    }
}

QString TFormPlacement::StoreName() const
{
    if (!m_iniFileName.isEmpty())
        return m_iniFileName;
    const QFileInfo program(QCoreApplication::applicationFilePath());
    if (m_useRegistry)
        return QStringLiteral("Software\\") + program.completeBaseName();
    return program.completeBaseName() + QStringLiteral(".INI");
}

QString TFormPlacement::StoreSection() const
{
    if (!m_iniSection.isEmpty())
        return m_iniSection;
    return m_formClassName;
}

QString TFormPlacement::StoreLocation() const
{
    if (m_store)
        return m_store->Location();
    return TPlacementStore(StoreName(), m_useRegistry, m_registryRoot, TPlacementStore::Access::Read).Location();
}

QString TFormPlacement::ReadString(const QString &section, const QString &ident, const QString &defaultValue)
{
    StoreUse use(*this, TPlacementStore::Access::Read);
    return m_store->ReadString(section, ident, defaultValue);
}

void TFormPlacement::WriteString(const QString &section, const QString &ident, const QString &value)
{
    StoreUse use(*this, TPlacementStore::Access::Write);
    m_store->WriteString(section, ident, value);
}

int TFormPlacement::ReadInteger(const QString &section, const QString &ident, int defaultValue)
{
    return placementTextToInt(ReadString(section, ident, QString()), defaultValue);
}

void TFormPlacement::WriteInteger(const QString &section, const QString &ident, int value)
{
    WriteString(section, ident, QString::number(value));
}

void TFormPlacement::AddLink(TPlacementLink *link)
{
    if (link && !m_links.contains(link))
        m_links.append(link);
}

void TFormPlacement::RemoveLink(TPlacementLink *link)
{
    m_links.removeAll(link);
}

void TFormPlacement::RestorePlacement()
{
    m_saved = false;
    {
        StoreUse use(*this, TPlacementStore::Access::Read);
        const QString section = StoreSection();
        const int storedVersion = ReadInteger(section, kFormVersion, 0);
        if (storedVersion >= m_version) {
            RestorePlacementValues();
            m_restored = true;
            if (m_onRestorePlacement)
                m_onRestorePlacement(this);
            if ((m_options & fpActiveControl) && m_form) {
                const QString name = ReadString(section, kActiveControl, QString());
                QWidget *control = name.isEmpty() ? nullptr : m_form->findChild<QWidget *>(name);
                if (control && control->focusPolicy() != Qt::NoFocus && control->isEnabled())
                    control->setFocus();
            }
        }
        m_restored = true;
        const QList<TPlacementLink *> links = m_links;
        for (TPlacementLink *link : links)
            link->RestoreLinked(*this);
    }
    // The maximised-position adjustment has nothing to do here: Qt has no maximised position.
}

void TFormPlacement::RestorePlacementValues()
{
    if (!m_form || !(m_options & (TPlacementOptions(fpState) | fpPosition)))
        return;
    QWidget *form = m_form;
    const QString section = StoreSection();
    TWindowPlacement wp = windowPlacement(form);

    if (m_options & fpPosition) {
        wp.flags = ReadInteger(section, kFlags, wp.flags);
        const QString suffix = screenSizeSuffix(primaryScreenSize());
        QString minMax = ReadString(section, kMinMaxPos + suffix, QString());
        if (minMax.isEmpty())
            minMax = ReadString(section, kMinMaxPos, QString());
        if (!minMax.isEmpty()) {
            const QStringList words = placementWords(minMax);
            wp.minPosition = QPoint(placementWordAsInt(words, 0, 0), placementWordAsInt(words, 1, 0));
            wp.maxPosition = QPoint(placementWordAsInt(words, 2, 0), placementWordAsInt(words, 3, 0));
        }
        QString norm = ReadString(section, kNormPos + suffix, QString());
        if (norm.isEmpty())
            norm = ReadString(section, kNormPos, QString());
        if (!norm.isEmpty())
            wp.normalRect = normalRectFromText(norm, form->geometry());
        const int ppi = screenPixelsPerInch();
        const bool counts = (!minMax.isEmpty() || !norm.isEmpty()) && ReadInteger(section, kPixelsPerInch, ppi) == ppi;
        if (counts) {
            // A form the user cannot size gets back its position only.
            if (isFixedSizeWindow(form))
                wp.normalRect.setSize(form->size());
            // An empty rectangle would make an invisible window; it is not applied either.
            if (wp.normalRect.width() > 0 && wp.normalRect.height() > 0) {
                if (m_formPosition == poScreenCenter || m_formPosition == poDesktopCenter)
                    m_formPosition = poDesigned;
                applyNormalRect(form, wp.normalRect);
            }
        }
    }

    if (m_options & fpState) {
        const Qt::WindowStates enlarged = Qt::WindowMaximized | Qt::WindowFullScreen;
        const Qt::WindowStates state = form->windowState();
        switch (showStateFromShowCmd(ReadInteger(section, kShowCmd, 0), TWindowShowState::Normal)) {
        case TWindowShowState::Minimized:
            // The whole program starts minimised: the form is shown first and minimised right
            // after. It comes back normal, or maximised when it was minimised from there.
            if (wp.flags & kPlacementRestoreToMaximized)
                form->setWindowState((state & ~(Qt::WindowMinimized | Qt::WindowFullScreen)) | Qt::WindowMaximized);
            else
                form->setWindowState(state & ~(Qt::WindowMinimized | enlarged));
            QMetaObject::invokeMethod(form, [form] { form->showMinimized(); }, Qt::QueuedConnection);
            return;
        case TWindowShowState::Maximized:
            form->setWindowState((state & ~(Qt::WindowMinimized | Qt::WindowFullScreen)) | Qt::WindowMaximized);
            break;
        case TWindowShowState::Normal:
            form->setWindowState(state & ~(Qt::WindowMinimized | enlarged));
            break;
        }
    }
    form->update();
}

void TFormPlacement::SavePlacement()
{
    if (m_active && !m_restored)
        return; // a placement that was never restored never overwrites the stored one
    StoreUse use(*this, TPlacementStore::Access::Write);
    const QString section = StoreSection();
    WriteInteger(section, kFormVersion, m_version);
    if (m_options & (TPlacementOptions(fpState) | fpPosition)) {
        SavePlacementValues();
        WriteInteger(section, kVisible, m_destroying ? 1 : 0);
    }
    if ((m_options & fpActiveControl) && m_form) {
        if (QWidget *control = m_form->focusWidget())
            WriteString(section, kActiveControl, control->objectName());
    }
    const QList<TPlacementLink *> links = m_links;
    for (TPlacementLink *link : links)
        link->SaveLinked(*this);
    if (m_onSavePlacement)
        m_onSavePlacement(this);
    m_saved = true;
}

void TFormPlacement::SavePlacementValues()
{
    if (!m_form)
        return;
    const QString section = StoreSection();
    const TWindowPlacement wp = windowPlacement(m_form);
    const QString suffix = screenSizeSuffix(primaryScreenSize());
    const QString minMax = formatPlacementPoints(wp.minPosition.x(), wp.minPosition.y(), wp.maxPosition.x(),
                                                 wp.maxPosition.y());
    const QString norm = normalRectText(wp.normalRect);
    WriteInteger(section, kFlags, wp.flags);
    WriteInteger(section, kShowCmd, wp.showCmd);
    WriteInteger(section, kPixelsPerInch, screenPixelsPerInch());
    WriteString(section, kMinMaxPos + suffix, minMax);
    WriteString(section, kMinMaxPos, minMax);
    WriteString(section, kNormPos + suffix, norm);
    WriteString(section, kNormPos, norm);
}

bool TFormPlacement::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_form) {
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            formShow();
        } else if (event->type() == QEvent::Close && !m_inCloseQuery) {
            formCloseQuery(event);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TFormPlacement::formShow()
{
    // A component made while the form itself was still being constructed saw only a base class.
    m_formClassName = QString::fromLatin1(m_form->metaObject()->className());
    if (m_active)
        reportErrors([this] { RestorePlacement(); });
    centreForm();
}

void TFormPlacement::formCloseQuery(QEvent *event)
{
    // The form's own close handling decides first whether the form may close.
    m_inCloseQuery = true;
    QCoreApplication::sendEvent(m_form, event);
    m_inCloseQuery = false;
    if (event->isAccepted() && m_active && m_form->windowHandle())
        reportErrors([this] { SavePlacement(); });
}

void TFormPlacement::formDestroy()
{
    if (!m_active || m_saved)
        return;
    m_destroying = true;
    reportErrors([this] { SavePlacement(); });
    m_destroying = false;
}

void TFormPlacement::centreForm()
{
    if (m_formPosition == poDesigned || (m_form->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = m_formPosition == poDesktopCenter ? screen->virtualGeometry() : screen->geometry();
    QRect frame(QPoint(0, 0), m_form->frameGeometry().size());
    frame.moveCenter(area.center());
    m_form->move(frame.topLeft());
}

void TFormPlacement::SetPreventResize(bool prevent)
{
    if (m_preventResize == prevent)
        return;
    m_preventResize = prevent;
    if (!m_form)
        return;
    // Changing the title bar's buttons hides and shows the form again; that show is no restore.
    const bool wasActive = m_active;
    m_active = false;
    if (prevent) {
        if (hasMaximizeButton(m_form)) {
            m_defMaximize = true;
            setMaximizeButton(m_form, false);
        }
    } else if (m_defMaximize && (m_form->windowFlags() & Qt::WindowType_Mask) != Qt::Dialog) {
        setMaximizeButton(m_form, true);
    }
    m_active = wasActive;
    updateWinHook();
}

void TFormPlacement::SetMinMaxInfo(const TWinMinMaxInfo &info)
{
    m_minMaxInfo->Assign(info);
}

void TFormPlacement::updateWinHook()
{
    if (!m_form)
        return;
    const bool wanted = m_preventResize || !m_minMaxInfo->DefaultMinMaxInfo();
    if (wanted) {
        if (!m_winHook->IsHooked()) {
            if (!m_limitsChanged) {
                m_designMinimumSize = m_form->minimumSize();
                m_designMaximumSize = m_form->maximumSize();
            }
            m_winHook->SetControl(m_form);
            m_winHook->HookControl();
        }
        updateSizeLimits();
    } else {
        m_winHook->UnhookControl();
        if (m_limitsChanged) {
            m_form->setMinimumSize(m_designMinimumSize);
            m_form->setMaximumSize(m_designMaximumSize);
            m_limitsChanged = false;
        }
    }
}

void TFormPlacement::updateSizeLimits()
{
    if (!m_winHook->IsHooked())
        return;
    // The window system's answer is the form's own limits; the hook's handlers may change it.
    TMinMaxInfoEvent info;
    info.minTrackSize = m_designMinimumSize;
    info.maxTrackSize = m_designMaximumSize;
    if (const QScreen *screen = m_form->screen())
        info.maxSize = screen->availableGeometry().size();
    QCoreApplication::sendEvent(m_form, &info);
    m_limitsChanged = true;
    m_form->setMinimumSize(info.minTrackSize);
    m_form->setMaximumSize(info.maxTrackSize);
}

void TFormPlacement::winHookAfterMessage(QObject *, QEvent *msg, bool &)
{
    if (!m_form)
        return;
    if (msg->type() == QEvent::Show) {
        updateSizeLimits();
        return;
    }
    if (msg->type() != TMinMaxInfoEvent::eventType())
        return;
    auto *info = static_cast<TMinMaxInfoEvent *>(msg);
    if (m_preventResize) {
        if (m_form->windowHandle() && m_form->isVisible()) {
            info->minTrackSize = m_form->size();
            info->maxTrackSize = m_form->size();
            info->result = 1;
        }
        return;
    }
    const TWinMinMaxInfo &mm = *m_minMaxInfo;
    if (mm.MinTrackWidth() != 0)
        info->minTrackSize.setWidth(mm.MinTrackWidth());
    if (mm.MinTrackHeight() != 0)
        info->minTrackSize.setHeight(mm.MinTrackHeight());
    if (mm.MaxTrackWidth() != 0)
        info->maxTrackSize.setWidth(mm.MaxTrackWidth());
    if (mm.MaxTrackHeight() != 0)
        info->maxTrackSize.setHeight(mm.MaxTrackHeight());
    if (mm.MaxSizeWidth() != 0)
        info->maxSize.setWidth(mm.MaxSizeWidth());
    if (mm.MaxSizeHeight() != 0)
        info->maxSize.setHeight(mm.MaxSizeHeight());
    if (mm.MaxPosLeft() != 0)
        info->maxPosition.setX(mm.MaxPosLeft());
    if (mm.MaxPosTop() != 0)
        info->maxPosition.setY(mm.MaxPosTop());
    info->result = 1;
}
