#include "app/ui/LogCategory.h"

Q_LOGGING_CATEGORY(vexlorLog, "vexlor.log", QtWarningMsg)
