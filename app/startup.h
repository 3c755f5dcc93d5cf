#pragma once

#include <QStringList>

#include <memory>

class QWidget;
class TSurfWindow;

// The program's start. Before anything else is shown, each journal that a program which did not
// end normally left in the journal folder (Journal::defaultFolder()) is offered back, oldest first ("Restore" or "Discard").
// Then the main window is made, with the rows taken back (they join its own journal), and the
// HAR files among arguments (the command line without the program's name) are opened into it.
// All these rows come before the home page's, which is recorded once the window is shown.
std::unique_ptr<TSurfWindow> startTrailscribe(const QStringList &arguments);
