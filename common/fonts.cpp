#include "common/fonts.h"

#include <QFontDatabase>
#include <QStringList>

void installFontSubstitutes()
{
    const QStringList families = QFontDatabase::families();
    const QStringList candidates{QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                                 QStringLiteral("Arial"), QStringLiteral("Helvetica")};
    QString fallback = QStringLiteral("Sans Serif");
    for (const QString &c : candidates) {
        if (families.contains(c)) {
            fallback = c;
            break;
        }
    }
    for (const char *face : {"Tahoma", "MS Sans Serif"}) {
        const QString name = QString::fromLatin1(face);
        if (!families.contains(name))
            QFont::insertSubstitution(name, fallback);
    }
}

QFont tahoma8()
{
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(11);
    return f;
}
