#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Reading and writing whole files in tests.

// A file's whole bytes; a note naming it when it cannot be read, so that a comparison with
// expected bytes fails and says why.
inline QByteArray readFile(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(cannot read " + name.toUtf8() + ")");
}

// Writes the bytes as the file's whole content; false when that fails.
inline bool writeFile(const QString &name, const QByteArray &bytes)
{
    QFile f(name);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
