#include "common/errorreport.h"
#include "app/trailscribeapplication.h"
#include "core/trailscribeerror.h"
#include "app/tsurfwindow.h"

#include <memory>

int main(int argc, char **argv)
{
    // The program reads no command line: only Qt's own start-up needs argc and argv.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    TrailscribeApplication app(argc, argv);
    std::unique_ptr<TSurfWindow> window;
    try {
        window = std::make_unique<TSurfWindow>();
    } catch (const TrailscribeError &e) {
        // The window could not be made (a banner image that cannot be decoded): say why and stop.
        showErrorReport(e.message());
        return 1;
    }
    window->show();
    return app.exec();
}
