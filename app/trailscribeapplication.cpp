#include "trailscribeapplication.h"

#include "errorreport.h"
#include "fonts.h"

TrailscribeApplication::TrailscribeApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromLatin1(kApplicationTitle));
    setApplicationDisplayName(QString::fromLatin1(kApplicationTitle));
    installFontSubstitutes();
}

bool TrailscribeApplication::notify(QObject *receiver, QEvent *event)
{
    bool result = false;
    reportErrors([&] { result = QApplication::notify(receiver, event); });
    return result;
}
