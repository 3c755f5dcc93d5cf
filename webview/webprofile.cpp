#include "webview/webprofile.h"

#include "webview/bodycapture.h"
#include "webview/downloads.h"

#include <QWebEngineProfile>

QWebEngineProfile *trailscribeProfile()
{
    QWebEngineProfile *profile = QWebEngineProfile::defaultProfile();
    BodyCapture::forProfile(profile);
    routeDownloads(profile);
    return profile;
}
