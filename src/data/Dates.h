#pragma once

#include <QString>

// Dates are stored as ISO text ("YYYY-MM-DD", with " HH:MM:SS" only where a time exists)
// and shown in the user's short date format.
namespace Dates {

QString todayForStorage();
// The stored text as the list shows it: the short date, then the long time only when
// the time of day is not midnight. Text that is no date is shown as stored.
QString forDisplay(const QString &stored);

} // namespace Dates
