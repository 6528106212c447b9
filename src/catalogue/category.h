#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// A kind of cached package. The name is also the installation folder that
// receives the category's files; the ending decides which index lines belong
// to it.
struct Category {
  std::string_view name;
  std::string_view ending;
};

inline constexpr std::size_t kCategoryCount = 8;

// The fixed order in which every part of the program visits the categories;
// a category's position is also the index of its tab.
inline constexpr std::array<Category, kCategoryCount> kCategories = {{
    {"Animations", ".ukx"},
    {"KarmaData", ".ka"},
    {"Maps", ".ut2"},
    {"Music", ".ogg"},
    {"Sounds", ".uax"},
    {"StaticMeshes", ".usx"},
    {"System", ".u"},
    {"Textures", ".utx"},
}};

// The maps' place in that order: they alone have titles, previews and the
// needs that decide whether they load.
inline constexpr std::size_t kMapsCategory = 2;
static_assert(kCategories[kMapsCategory].name == "Maps");

// The category called exactly `name` (case counts), or nullptr.
const Category *findCategory(std::string_view name);

// Whether `line` ends with `ending`, folding only the ASCII capitals A-Z of
// the line to lower case. A line shorter than the ending never matches.
bool endsWithEnding(std::string_view line, std::string_view ending);

// The category whose ending `line` ends with, or nullptr. The endings are
// disjoint, so at most one matches.
const Category *categoryOfLine(std::string_view line);
