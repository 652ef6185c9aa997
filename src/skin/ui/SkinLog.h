#pragma once

#include <QLoggingCategory>

// What the skin engine reports besides its message boxes: off unless enabled
// with QT_LOGGING_RULES="vexlor.skin.info=true".
Q_DECLARE_LOGGING_CATEGORY(vexlorSkinLog)
