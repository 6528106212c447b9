#pragma once

#include "app/folder_choices.h"

// Keeps the chosen folders in memory, and counts the saves.
class MemoryChoiceStore final : public ChoiceStore {
public:
  ChosenFolders load() const override { return chosen; }
  void save(const ChosenFolders &folders) override {
    chosen = folders;
    ++saves;
  }

  ChosenFolders chosen;
  int saves = 0;
};
