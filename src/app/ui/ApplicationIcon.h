#pragma once

#include <QIcon>

// The application's icon at every size skingen drew it for the desktop, for
// the windows' title bars and task bar entries.
QIcon ApplicationIcon();
