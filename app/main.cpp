#include "trailscribeapplication.h"
#include "tsurfwindow.h"

int main(int argc, char **argv)
{
    // The program reads no command line: only Qt's own start-up needs argc and argv.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    TrailscribeApplication app(argc, argv);
    TSurfWindow window;
    window.show();
    return app.exec();
}
