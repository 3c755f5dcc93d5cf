#include "addressbox/typedurlhistory.h"

#include "core/trailscribeerror.h"

#include <QSettings>
#include <QVariant>
#include <memory>

namespace {

constexpr char kGroup[] = "TypedURLs";

QString valueName(int n) { return QStringLiteral("Url%1").arg(n); }

std::unique_ptr<QSettings> openStore()
{
    const TypedUrlStoreName name = typedUrlStoreName();
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QString::fromLatin1(name.organization), QString::fromLatin1(name.application));
}

// Checks that the store took the values just set.
void checkWritten(QSettings &store)
{
    store.sync();
    if (store.status() != QSettings::NoError)
        throw TrailscribeError(QStringLiteral("Failed to set data for '%1'").arg(valueName(1)));
}

} // namespace

TypedUrlStoreName typedUrlStoreName()
{
    if (kProgramKeepsTypedUrls)
        return {"Tavorink", "Trailscribe"};
    return {"Microsoft", "Internet Explorer"};
}

QStringList loadTypedUrls()
{
    return loadTypedUrls(*openStore());
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
    writeTypedUrls(*openStore(), entries);
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
    checkWritten(store);
}

QStringList typedUrlsWith(QStringList entries, const QString &address)
{
    const QString text = address.trimmed();
    if (text.isEmpty())
        return entries;
    entries.removeAll(text);
    entries.prepend(text);
    if (entries.size() > kTypedUrlCount)
        entries.resize(kTypedUrlCount);
    return entries;
}

void rememberTypedUrl(const QString &address)
{
    if (kProgramKeepsTypedUrls)
        rememberTypedUrl(*openStore(), address);
}

void rememberTypedUrl(QSettings &store, const QString &address)
{
    if (address.trimmed().isEmpty() || !store.isWritable())
        return;
    const QStringList entries = typedUrlsWith(loadTypedUrls(store), address);
    store.beginGroup(QString::fromLatin1(kGroup));
    // Values that held no text, and gaps, were passed over on loading: the list is written
    // again from Url1, with nothing left behind it.
    for (int n = 1; n <= kTypedUrlCount; ++n)
        store.remove(valueName(n));
    for (int n = 1; n <= entries.size(); ++n)
        store.setValue(valueName(n), entries.at(n - 1));
    store.endGroup();
    checkWritten(store);
}
