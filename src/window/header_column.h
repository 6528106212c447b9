#pragma once

#include "app/platform.h"

#include <string>
#include <utility>

// A column known by its header text, as the controller tells columns apart.
class HeaderColumn final : public TableColumn {
public:
  explicit HeaderColumn(std::string header) : header_(std::move(header)) {}
  std::string headerText() const override { return header_; }

private:
  std::string header_;
};
