#pragma once

// What the journal's tests need around them: a program to kill, a small file system, the bytes
// and modes of files.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QStringList>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace journalsupport {

// A recording program, and when each line of its output came.
struct Recorder
{
    QProcess process;
    QElapsedTimer clock;
    QList<QPair<qint64, QByteArray>> lines;

    void start(const QString &mode, const QString &folder, const QString &name)
    {
        clock.start();
        QObject::connect(&process, &QProcess::readyReadStandardOutput, [this] {
            while (process.canReadLine())
                lines.append({clock.elapsed(), process.readLine().trimmed()});
        });
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--record"), mode, folder, name});
    }
    bool said(const QByteArray &line) const
    {
        return std::any_of(lines.begin(), lines.end(), [&](const auto &l) { return l.second == line; });
    }
    void kill()
    {
        process.kill(); // SIGKILL
        process.waitForFinished(5000);
    }
    ~Recorder()
    {
        if (process.state() != QProcess::NotRunning)
            kill();
    }
};

inline bool root()
{
    return ::geteuid() == 0;
}

// A tmpfs mounted for a test, unmounted with it.
struct Mount
{
    QString dir;
    bool mounted = false;
    explicit Mount(const QString &where, const QString &options) : dir(where)
    {
        mounted = QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", options, "tmpfs", dir}) == 0;
    }
    bool remount(const QString &options)
    {
        return QProcess::execute(QStringLiteral("mount"), {"-o", "remount," + options, dir}) == 0;
    }
    ~Mount()
    {
        if (mounted && QProcess::execute(QStringLiteral("umount"), {dir}) != 0)
            QProcess::execute(QStringLiteral("umount"), {"-l", dir});
    }
};

inline QByteArray fileBytes(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline int modeOf(const QString &name)
{
    struct stat st{};
    return ::stat(QFile::encodeName(name).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

inline QStringList journalFiles(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

} // namespace journalsupport
