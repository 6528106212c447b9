#pragma once

#include "window/package_state.h"

#include <QIcon>

// The marks of the mark column, drawn here rather than taken from the
// style: the platform's icon themes draw "information" and "warning" in
// ways of their own (some as a plain bubble, some alike), and each mark
// must read the same on every theme. None has an empty icon.
QIcon drawMarkIcon(PackageMark mark);
