#pragma once

#include <QString>
#include <QStringList>

// Starts the user's web browser with a target text, detached. The command is the first
// entry of $BROWSER that starts (a colon-separated list; "%s" stands for the target),
// else x-www-browser, else xdg-open. The target is passed as one argument, unchanged;
// only xdg-open, which would take "www.x.com" for a file, gets "http://" in front of a
// target without a scheme.
namespace Browser {

bool open(const QString &target);
// The program and arguments that `open` would try first (for tests and diagnostics).
QStringList commandFor(const QString &browserEntry, const QString &target);

} // namespace Browser
