#pragma once

#include <QImage>
#include <QString>

// The application's icon: a small LED meter panel in the skin's colours, drawn
// for each size on its own pixel grid so that the small ones stay crisp.
QImage AppIcon(int size);

// Writes the icon as <folder>/<n>x<n>/apps/vexlor.png for every size the
// desktop is given; false with a message on stderr when a file cannot be written.
bool WriteAppIcons(const QString& folder);
