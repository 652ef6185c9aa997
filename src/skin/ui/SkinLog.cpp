#include "skin/ui/SkinLog.h"

Q_LOGGING_CATEGORY(vexlorSkinLog, "vexlor.skin", QtWarningMsg)
