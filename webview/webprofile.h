#pragma once

class QWebEngineProfile;

// The one web profile of the program; every view's page uses it.
QWebEngineProfile *trailscribeProfile();
