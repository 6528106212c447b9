#pragma once

#include <QString>

#include <string>

// A name from the index as the user should read it: UTF-8 where the bytes are
// valid UTF-8, Latin-1 otherwise. The bytes themselves are never changed.
QString displayText(const std::string &bytes);

// A name (or a path built from one) as a cell, a tooltip or a report shows
// it: cut around "…" when it is very long, so that no name can slow the
// window down.
QString shownName(const std::string &bytes);
