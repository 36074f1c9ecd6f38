#pragma once

#include "services/Outcome.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The files that let browsers start the program as the native messaging host of our
// browser extension: one host manifest per browser, naming a small launcher script that
// starts this executable with --native-messaging (a manifest names a program, never
// arguments). Firefox reads native-messaging-hosts in its folder (~/.mozilla, or mozilla in
// the user's configuration); each Chromium-family browser reads NativeMessagingHosts in its
// folder of the user's configuration.
namespace BrowserHosts {

inline constexpr char HostName[] = "vestrane";
// The extension's id in Firefox (browser_specific_settings of its manifest).
inline constexpr char FirefoxExtensionId[] = "browser-button@vestrane";
// The extension's id in the Chromium family, fixed by the public key in its manifest.
inline constexpr char ChromiumExtensionId[] = "klmlchckdiheeinngilghkfcjhfomihd";

QString launcherFile();
QString firefoxManifestFile();
// Where Firefox looks: ~/.mozilla for a profile of old, the configuration folder's
// mozilla for a new account's.
QStringList firefoxManifestFiles();
QStringList chromiumManifestFiles();
// The manifests of the browsers whose own folder exists (the ones that have run as this
// user): those that writeFiles() writes.
QStringList installedBrowsersManifestFiles();

// The launcher's text: a shell script that starts `executable` with --native-messaging
// and hands on the browser's own arguments.
QByteArray launcherContents(const QString &executable);
QByteArray firefoxManifest(const QString &launcher);
QByteArray chromiumManifest(const QString &launcher);

// Writes the launcher and the manifests of the installed browsers (only where they
// differ; no browser's folder is made); Failed with the registration's write error at the
// first file that cannot be written.
Outcome writeFiles(const QString &executable);
// Removes them; Failed naming a file that exists and cannot be removed.
Outcome removeFiles();

} // namespace BrowserHosts
