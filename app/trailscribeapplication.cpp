#include "app/trailscribeapplication.h"

#include "common/errorreport.h"
#include "common/fonts.h"
#include "app/appicon.h"

#include <QIcon>

TrailscribeApplication::TrailscribeApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromLatin1(kApplicationTitle));
    setApplicationDisplayName(QString::fromLatin1(kApplicationTitle));
    installFontSubstitutes();
    // Icons of file kinds (the address box's) come from the desktop's theme; where the session
    // names none, from a common one.
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    // The desktop matches the windows to the menu entry by this name, and shows its icon.
    setDesktopFileName(QString::fromLatin1(kDesktopId));
    setWindowIcon(trailscribeIcon());
}

bool TrailscribeApplication::notify(QObject *receiver, QEvent *event)
{
    bool result = false;
    reportErrors([&] { result = QApplication::notify(receiver, event); });
    return result;
}
