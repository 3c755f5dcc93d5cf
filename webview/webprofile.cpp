#include "webprofile.h"

#include <QWebEngineProfile>

QWebEngineProfile *trailscribeProfile()
{
    return QWebEngineProfile::defaultProfile();
}
