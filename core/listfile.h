#pragma once

#include "core/cellsource.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <cstring>
#include <functional>

// What the list's file writers (CSV, HTML) and the clipboard copy share: the range of cells they
// cover, the progress figure, and the safe writing of a file.

// The rows and columns that a list file (or the clipboard block) covers.
struct CellRange
{
    int firstRow = 0, lastRow = -1, firstCol = 0, lastCol = -1;
};
CellRange outputRange(const CellSource &cells, bool outputFixedCells);

// Called after rows with the percentage written so far; raised only when the value changes.
using FileProgressHandler = std::function<void(qint16 progress)>;

// round(row / (rowCount - 1) * 100) with an exact half going to the even integer; 100 for a
// grid of one row.
qint16 fileProgress(int row, int rowCount);

// Hands the producer a sink for the file's bytes and writes them to fileName, replacing the file
// only once every byte is written. Throws EListGridError("Cannot Create file " + fileName) when
// the file cannot be created and TrailscribeError with the system's message when a write fails;
// in both cases an existing file keeps its contents and no partial file is left. The producer may
// call the sink any number of times.
using ByteSink = std::function<void(const QByteArray &bytes)>;
void saveListFile(const QString &fileName, const std::function<void(const ByteSink &sink)> &produce);

// Gathers a file's bytes in one block and hands the sink each full block, so that a writer
// copies every byte once and the file gets few large writes. The sink sees a view of the block:
// it must copy what it keeps. Call flush() after the last bytes.
class BlockWriter
{
public:
    static constexpr qsizetype kBlockSize = 1024 * 1024;

    explicit BlockWriter(const ByteSink &sink)
        : m_sink(sink), m_block(kBlockSize, Qt::Uninitialized), m_data(m_block.data())
    {
    }
    BlockWriter(const BlockWriter &) = delete;
    BlockWriter &operator=(const BlockWriter &) = delete;

    void append(const char *bytes, qsizetype n)
    {
        if (n > kBlockSize - m_used) {
            flush();
            if (n > kBlockSize) {
                m_sink(QByteArray::fromRawData(bytes, n));
                return;
            }
        }
        std::memcpy(m_data + m_used, bytes, size_t(n));
        m_used += n;
    }
    void append(QByteArrayView bytes) { append(bytes.data(), bytes.size()); }
    void append(char c)
    {
        if (m_used == kBlockSize)
            flush();
        m_data[m_used++] = c;
    }
    void flush()
    {
        if (m_used > 0)
            m_sink(QByteArray::fromRawData(m_data, m_used));
        m_used = 0;
    }

private:
    const ByteSink &m_sink;
    QByteArray m_block;
    char *m_data;
    qsizetype m_used = 0;
};
