#pragma once

#include <QSettings>
#include <QString>

#include <memory>

// The application's settings store opened at one group ("Settings",
// "Profiles"): the registry key "Software\Tessavorn\Vexlor" on Windows, the INI
// file Tessavorn/Vexlor.ini in the user's config folder elsewhere.
std::unique_ptr<QSettings> OpenSettingsStore(const QString& group);

// True when the file behind the store holds lines of the store's group that
// the store did not take in as they stand: a format error, a line that is no
// "name=value", a name the store does not know (an open quote above ran over
// it), or a value that ran into the lines after it. Writing any value rewrites
// the whole file, so a damaged one must not be written.
bool StoreDamaged(const QSettings& store);

// Text of a stored value that ran into the lines after it holds a line break.
bool HasControlCharacter(const QString& text);
