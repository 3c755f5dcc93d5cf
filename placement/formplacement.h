#pragma once

#include "placement/placementtypes.h"

#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <memory>

class QEvent;
class QWidget;
class TPlacementLink;
class TPlacementStore;
class TWindowHook;
class TWinMinMaxInfo;

// Keeps a form's position, size and state in the settings store between runs. Created with the
// form as its owner, it watches the form's events: each time the form is shown it restores the
// stored placement before the form's own show handling runs; when the form is closed (and its
// own close handling lets it close) it saves the placement; a form destroyed without having been
// saved is saved then, with "Visible" "1".
//
// The store is opened for each restore and each save and closed again at their end: with
// UseRegistry the platform's per-user store (on Linux "A\B" is the file <config>/A/B.conf), the
// values in the group IniSection; otherwise the INI file IniFileName, section [IniSection].
class TFormPlacement : public QObject
{
    Q_OBJECT
public:
    explicit TFormPlacement(QObject *owner);
    ~TFormPlacement() override;

    bool Active() const { return m_active; }
    void SetActive(bool active) { m_active = active; }
    const QString &IniFileName() const { return m_iniFileName; }
    void SetIniFileName(const QString &name) { m_iniFileName = name; }
    const QString &IniSection() const { return m_iniSection; }
    void SetIniSection(const QString &section) { m_iniSection = section; }
    bool UseRegistry() const { return m_useRegistry; }
    void SetUseRegistry(bool useRegistry) { m_useRegistry = useRegistry; }
    TPlacementRegRoot RegistryRoot() const { return m_registryRoot; }
    void SetRegistryRoot(TPlacementRegRoot root) { m_registryRoot = root; }
    TPlacementOptions Options() const { return m_options; }
    void SetOptions(TPlacementOptions options) { m_options = options; }
    int Version() const { return m_version; }
    void SetVersion(int version) { m_version = version; }
    bool PreventResize() const { return m_preventResize; }
    void SetPreventResize(bool prevent);
    TWinMinMaxInfo *MinMaxInfo() const { return m_minMaxInfo; }
    void SetMinMaxInfo(const TWinMinMaxInfo &info);
    const TPlacementEvent &OnSavePlacement() const { return m_onSavePlacement; }
    void SetOnSavePlacement(TPlacementEvent handler) { m_onSavePlacement = std::move(handler); }
    const TPlacementEvent &OnRestorePlacement() const { return m_onRestorePlacement; }
    void SetOnRestorePlacement(TPlacementEvent handler) { m_onRestorePlacement = std::move(handler); }

    // Where the form goes when it is shown and no stored position was applied: poScreenCenter
    // (the default) centres it on the primary screen at its present size; a restore that
    // applies a stored position turns it to poDesigned, so the form stays where it was put.
    TFormPosition FormPosition() const { return m_formPosition; }
    void SetFormPosition(TFormPosition position) { m_formPosition = position; }

    bool Restored() const { return m_restored; }
    bool Saved() const { return m_saved; }
    bool Destroying() const { return m_destroying; }

    // The form whose placement is kept (the owner when it is a window), or nullptr.
    QWidget *Form() const { return m_form; }

    void RestorePlacement();
    void SavePlacement();

    // The store's name and section as a restore or save uses them (defaults filled in), and
    // the file or registry path of the store.
    QString StoreName() const;
    QString StoreSection() const;
    QString StoreLocation() const;

    // One value of the store; opens the store for the one call when no restore or save has it
    // open.
    virtual QString ReadString(const QString &section, const QString &ident, const QString &defaultValue);
    virtual void WriteString(const QString &section, const QString &ident, const QString &value);
    int ReadInteger(const QString &section, const QString &ident, int defaultValue);
    void WriteInteger(const QString &section, const QString &ident, int value);

    void AddLink(TPlacementLink *link);
    void RemoveLink(TPlacementLink *link);

    // The window hook that carries PreventResize and MinMaxInfo; attached to the form only
    // while one of them is set.
    TWindowHook *WinHook() const { return m_winHook; }

protected:
    virtual void SavePlacementValues();
    virtual void RestorePlacementValues();
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class StoreUse;

    void formShow();
    void formCloseQuery(QEvent *event);
    void formDestroy();
    void centreForm();
    void updateWinHook();
    void updateSizeLimits();
    void winHookAfterMessage(QObject *sender, QEvent *msg, bool &handled);

    QWidget *m_form = nullptr;
    // The form's class name, the section when IniSection is empty. Taken while the form is whole:
    // a save at its destruction runs when only its QWidget part is left.
    QString m_formClassName;
    bool m_active = true;
    QString m_iniFileName;
    QString m_iniSection;
    bool m_useRegistry = false;
    TPlacementRegRoot m_registryRoot = prCurrentUser;
    TPlacementOptions m_options;
    int m_version = 0;
    bool m_preventResize = false;
    TWinMinMaxInfo *m_minMaxInfo;
    TPlacementEvent m_onSavePlacement;
    TPlacementEvent m_onRestorePlacement;
    TFormPosition m_formPosition = poScreenCenter;

    bool m_restored = false;
    bool m_saved = false;
    bool m_destroying = false;
    bool m_inCloseQuery = false;
    bool m_defMaximize = false;

    std::unique_ptr<TPlacementStore> m_store;
    TWindowHook *m_winHook;
    bool m_limitsChanged = false;
    QSize m_designMinimumSize;
    QSize m_designMaximumSize;
    QList<TPlacementLink *> m_links;
};
