#pragma once

#include <string>
#include <variant>

// What a table cell shows: the tick (0 or 1) or a name.
using CellValue = std::variant<int, std::string>;
