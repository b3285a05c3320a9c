#pragma once
// Where Help and the message for other series send the user: the installed manual in the
// module's language, or the support page a build names instead.

#include <QString>
#include <QUrl>

// The manual beside the program in programDir (or the build's support page).
QUrl helpPage(const QString& programDir, bool chinese);
// The manual's list of the controllers this program configures.
QUrl supportedControllersPage(const QString& programDir, bool chinese);
