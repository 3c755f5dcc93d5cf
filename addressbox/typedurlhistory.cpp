#include "addressbox/typedurlhistory.h"

#include "common/trailscribeerror.h"

#include <QSettings>
#include <QVariant>

namespace {

constexpr char kOrganization[] = "Microsoft";
constexpr char kApplication[] = "Internet Explorer";
constexpr char kGroup[] = "TypedURLs";

QString valueName(int n) { return QStringLiteral("Url%1").arg(n); }

} // namespace

QStringList loadTypedUrls()
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QString::fromLatin1(kOrganization),
                    QString::fromLatin1(kApplication));
    return loadTypedUrls(store);
}

QStringList loadTypedUrls(QSettings &store)
{
    QStringList entries;
    if (store.status() != QSettings::NoError)
        return entries;
    store.beginGroup(QString::fromLatin1(kGroup));
    for (int n = 1; n <= kTypedUrlCount; ++n) {
        const QVariant value = store.value(valueName(n));
        // Numbers, binary data and lists are not text; they are passed over like missing values.
        if (value.typeId() != QMetaType::QString)
            continue;
        const QString text = value.toString();
        if (!text.isEmpty())
            entries.append(text);
    }
    store.endGroup();
    return entries;
}

int typedUrlWriteCount(int entryCount)
{
    return entryCount < kTypedUrlCount - 1 ? entryCount + 1 : kTypedUrlCount;
}

void writeTypedUrls(const QStringList &entries)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QString::fromLatin1(kOrganization),
                    QString::fromLatin1(kApplication));
    writeTypedUrls(store, entries);
}

void writeTypedUrls(QSettings &store, const QStringList &entries)
{
    if (!store.isWritable())
        return;
    store.beginGroup(QString::fromLatin1(kGroup));
    const int count = typedUrlWriteCount(int(entries.size()));
    for (int n = 1; n <= count; ++n)
        store.setValue(valueName(n), n - 1 < entries.size() ? entries.at(n - 1) : QString());
    store.endGroup();
    store.sync();
    if (store.status() != QSettings::NoError)
        throw TrailscribeError(QStringLiteral("Failed to set data for '%1'").arg(valueName(1)));
}
