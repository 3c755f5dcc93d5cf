#pragma once

#include "placement/placementtypes.h"

#include <QString>
#include <memory>

class QSettings;

// The settings store that one restore or save of the placement opens: the platform's per-user
// store (the registry on Windows, a file under the user's config folder elsewhere) or an INI
// file. Values are texts; reading a value of another type throws
// TrailscribeError("Invalid data type for 'NAME'"), a failed write "Failed to create key NAME" or
// "Failed to set data for 'NAME'".
class TPlacementStore
{
public:
    enum class Access { Read, Write };

    // `name` is a key path like "Tavorink\Trailscribe" (with `useRegistry`) or an INI file name.
    TPlacementStore(const QString &name, bool useRegistry, TPlacementRegRoot root, Access access);
    ~TPlacementStore();
    TPlacementStore(const TPlacementStore &) = delete;
    TPlacementStore &operator=(const TPlacementStore &) = delete;

    QString ReadString(const QString &section, const QString &ident, const QString &defaultValue) const;
    void WriteString(const QString &section, const QString &ident, const QString &value);

    // Where the values lie: a file path, or the registry path on Windows.
    QString Location() const;

private:
    std::unique_ptr<QSettings> m_settings;
    bool m_useRegistry;
};
