#pragma once

#include <QString>
#include <functional>
#include <utility>

inline constexpr char kApplicationTitle[] = "Tavorink Trailscribe";

// The text the general error report shows for an error message: a full stop is appended when
// the message's last character has a code above that of the full stop.
QString errorReportText(const QString &message);

// Shows the general error report: a message box titled with the application title, with the
// error icon and an OK button. The program goes on afterwards.
void showErrorReport(const QString &message);

// Where reports go instead of a message box (tests install one); an empty function restores
// the message box.
using ErrorReportSink = std::function<void(const QString &text)>;
void setErrorReportSink(ErrorReportSink sink);

// Runs a handler so that no exception leaves it: any error is shown by the general error report.
void reportErrors(const std::function<void()> &handler);
