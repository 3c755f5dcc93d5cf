// Writes a HAR file of every kind of row, for the HAR validator: har_sample <file>.
#include "tests/support/harfixtures.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: har_sample <file>\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    const QByteArray document = harDocument(harfixture::allKinds());
    if (!file.open(QIODevice::WriteOnly) || file.write(document) != document.size()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
