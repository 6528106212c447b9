#pragma once

#include "app/folder_choices.h"

// Keeps the chosen folders with QSettings, in the user's configuration
// folder ("~/.config/cache-sorter/cache-sorter.ini" on Linux). Nothing is
// written until the user chooses a folder.
class SettingsChoiceStore final : public ChoiceStore {
public:
  ChosenFolders load() const override;
  void save(const ChosenFolders &chosen) override;
};
