#pragma once

#include <QApplication>

// The application object: no exception ever crosses the event loop; one that leaves an event
// handler is shown by the general error report and the program goes on.
class TrailscribeApplication : public QApplication
{
    Q_OBJECT
public:
    TrailscribeApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};
