#include "catalogue/category.h"

#include "posix/name_folding.h"

#include <algorithm>

const Category *findCategory(std::string_view name) {
  const auto found = std::find_if(kCategories.begin(), kCategories.end(),
                                  [name](const Category &category) { return category.name == name; });
  return found == kCategories.end() ? nullptr : &*found;
}

bool endsWithEnding(std::string_view line, std::string_view ending) {
  if (line.size() < ending.size())
    return false;
  const std::string_view tail = line.substr(line.size() - ending.size());
  return std::equal(tail.begin(), tail.end(), ending.begin(),
                    [](char lineChar, char endingChar) { return foldAsciiCapital(lineChar) == endingChar; });
}

const Category *categoryOfLine(std::string_view line) {
  for (const Category &category : kCategories) {
    if (endsWithEnding(line, category.ending))
      return &category;
  }
  return nullptr;
}
