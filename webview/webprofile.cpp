#include "webview/webprofile.h"

#include "webview/bodycapture.h"

#include <QWebEngineProfile>

QWebEngineProfile *trailscribeProfile()
{
    QWebEngineProfile *profile = QWebEngineProfile::defaultProfile();
    BodyCapture::forProfile(profile);
    return profile;
}
