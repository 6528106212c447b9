#pragma once

#include <QString>

#include <string>

// A name from the index as the user should read it: UTF-8 where the bytes are
// valid UTF-8, Latin-1 otherwise. The bytes themselves are never changed.
QString displayText(const std::string &bytes);
