#pragma once

#include <QLoggingCategory>

// Where log lines go besides the debug window: off unless enabled with
// QT_LOGGING_RULES="vexlor.log.debug=true".
Q_DECLARE_LOGGING_CATEGORY(vexlorLog)
