#pragma once

#include <QString>
#include <QStringList>

// Starts the user's web browser with a target text, detached. The command is the first
// entry of $BROWSER that starts (a colon-separated list; "%s" stands for the target),
// else x-www-browser, else xdg-open. The target is passed as one argument, unchanged,
// but for "http://" in front of a target that a browser would take for an option (one
// that starts with "-") and, for xdg-open only, which would take "www.x.com" for a file,
// of any target without a scheme. The browser does not get the variable PGPASSWORD.
namespace Browser {

bool open(const QString &given);
// The program and arguments that `open` would try first (for tests and diagnostics).
QStringList commandFor(const QString &browserEntry, const QString &target);

} // namespace Browser
