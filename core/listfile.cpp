#include "core/listfile.h"

#include "core/trailscribeerror.h"
#include "core/listgriderror.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

CellRange outputRange(const CellSource &cells, bool outputFixedCells)
{
    if (outputFixedCells)
        return {0, cells.rowCount - 1, 0, cells.colCount - 1};
    return {cells.fixedRows, cells.rowCount - cells.fixedFooters - 1,
            cells.fixedCols, cells.colCount - cells.fixedRightCols - 1};
}

qint16 fileProgress(int row, int rowCount)
{
    const qint64 divisor = qint64(rowCount) - 1;
    if (divisor <= 0)
        return 100;
    const qint64 scaled = qint64(row) * 100;
    qint64 quotient = scaled / divisor;
    const qint64 twiceRemainder = (scaled % divisor) * 2;
    if (twiceRemainder > divisor || (twiceRemainder == divisor && quotient % 2 != 0))
        ++quotient;
    return qint16(quotient);
}

void saveListFile(const QString &fileName, const std::function<void(const ByteSink &sink)> &produce)
{
    // The bytes go to a temporary file next to the target, which replaces the target only when
    // every byte is written; on any failure QSaveFile removes the temporary file.
    const auto cannotCreate = [&fileName] {
        return EListGridError(QStringLiteral("Cannot Create file ") + fileName);
    };
    const QFileInfo target(fileName);
    if (fileName.isEmpty() || target.isDir() || (target.exists() && !target.isWritable()))
        throw cannotCreate();
    QSaveFile file(fileName);
    // Unbuffered: every write reaches the system at once, so a short write shows at the call
    // that made it. Qt reports a short write only by its count, without an error, and would
    // otherwise commit the truncated file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw cannotCreate();
    produce([&file](const QByteArray &bytes) {
        errno = 0;
        if (file.write(bytes) == bytes.size())
            return;
        const int systemError = errno;
        if (file.error() != QFileDevice::NoError)
            throw TrailscribeError(file.errorString());
        throw TrailscribeError(qt_error_string(systemError ? systemError : EIO));
    });
    if (!file.commit()) {
        // Every byte is out; only putting the file in place of the old one failed.
        if (file.error() == QFileDevice::RenameError)
            throw cannotCreate();
        throw TrailscribeError(file.errorString());
    }
}
