// A bare web view showing the program's home page, and nothing else: the yardstick that
// scripts/startup-cost holds the program's start-up against.

#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWebEngineView view;
    view.resize(792, 566);
    view.load(QUrl(QStringLiteral("qrc:/home/index.html")));
    view.show();
    return app.exec();
}
