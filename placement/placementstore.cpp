#include "placement/placementstore.h"

#include "placement/placementtext.h"
#include "core/trailscribeerror.h"

#include <QRegularExpression>
#include <QSettings>
#include <QStringList>

namespace {
#ifdef Q_OS_WIN
QString rootKeyName(TPlacementRegRoot root)
{
    switch (root) {
    case prLocalMachine:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    case prCurrentConfig:
        return QStringLiteral("HKEY_CURRENT_CONFIG");
    case prClassesRoot:
        return QStringLiteral("HKEY_CLASSES_ROOT");
    case prUsers:
        return QStringLiteral("HKEY_USERS");
    case prCurrentUser:
    case prDynData: // gone from the registry since long; the user's own root takes its place
        break;
    }
    return QStringLiteral("HKEY_CURRENT_USER");
}
#endif

std::unique_ptr<QSettings> openRegistryStore(const QString &keyPath, TPlacementRegRoot root)
{
#ifdef Q_OS_WIN
    // The key path lies right under the root key, nothing put before it.
    return std::make_unique<QSettings>(rootKeyName(root) + u'\\' + keyPath, QSettings::NativeFormat);
#else
    // "A\B\C" is organization "A", application "B/C": the file <config>/A/B/C.conf.
    QStringList parts = keyPath.split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts);
    const QString organization = parts.isEmpty() ? QString() : parts.takeFirst();
    const QString application = parts.join(u'/');
    const QSettings::Scope scope = root == prCurrentUser ? QSettings::UserScope : QSettings::SystemScope;
    return std::make_unique<QSettings>(QSettings::NativeFormat, scope, organization, application);
#endif
}
} // namespace

TPlacementStore::TPlacementStore(const QString &name, bool useRegistry, TPlacementRegRoot root, Access)
    : m_useRegistry(useRegistry)
{
    // The platform stores need no opening or creating of keys ahead of the first write; reading
    // never writes, so both accesses open the store the same way.
    if (useRegistry)
        m_settings = openRegistryStore(name, root);
    else
        m_settings = std::make_unique<QSettings>(name, QSettings::IniFormat);
}

TPlacementStore::~TPlacementStore() = default;

QString TPlacementStore::Location() const
{
    return m_settings->fileName();
}

QString TPlacementStore::ReadString(const QString &section, const QString &ident,
                                    const QString &defaultValue) const
{
    const QString key = section + u'/' + ident;
    const QVariant value = m_settings->value(key);
    if (!value.isValid())
        return defaultValue;
    if (value.typeId() != QMetaType::QString)
        throw TrailscribeError(QStringLiteral("Invalid data type for '%1'").arg(ident));
    const QString text = value.toString();
    return m_useRegistry ? text : unquoteIniText(text);
}

void TPlacementStore::WriteString(const QString &section, const QString &ident, const QString &value)
{
    m_settings->beginGroup(section);
    const bool sectionExisted = !m_settings->childKeys().isEmpty() || !m_settings->childGroups().isEmpty();
    m_settings->setValue(ident, m_useRegistry ? value : quoteIniText(value));
    m_settings->endGroup();
    m_settings->sync();
    if (m_settings->status() == QSettings::AccessError) {
        if (!sectionExisted)
            throw TrailscribeError(QStringLiteral("Failed to create key %1").arg(section));
        throw TrailscribeError(QStringLiteral("Failed to set data for '%1'").arg(ident));
    }
}
