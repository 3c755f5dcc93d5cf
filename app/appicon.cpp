#include "app/appicon.h"

QIcon trailscribeIcon()
{
    QIcon builtIn;
    // The drawing scales where the toolkit reads SVG; the sizes the menu uses are there anyway.
    builtIn.addFile(QStringLiteral(":/appicon/com.tavorink.Trailscribe.svg"));
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        builtIn.addFile(QStringLiteral(":/appicon/%1.png").arg(size), QSize(size, size));
    return QIcon::fromTheme(QString::fromLatin1(kDesktopId), builtIn);
}
