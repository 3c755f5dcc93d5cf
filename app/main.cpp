#include "common/errorreport.h"
#include "app/startup.h"
#include "app/trailscribeapplication.h"
#include "core/trailscribeerror.h"
#include "app/tsurfwindow.h"

#include <memory>

int main(int argc, char **argv)
{
    // The command line names HAR files to open; everything else on it is Qt's own.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    TrailscribeApplication app(argc, argv);
    std::unique_ptr<TSurfWindow> window;
    try {
        window = startTrailscribe(app.arguments().mid(1));
    } catch (const TrailscribeError &e) {
        // The window could not be made (a banner image that cannot be decoded): say why and stop.
        showErrorReport(e.message());
        return 1;
    }
    window->show();
    return app.exec();
}
