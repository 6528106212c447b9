#pragma once

#include "app/folder_choices.h"

class QSettings;

// Keeps the chosen folders in the program's settings. Nothing is written
// until the user chooses a folder; without settings, nothing is kept.
class SettingsChoiceStore final : public ChoiceStore {
public:
  explicit SettingsChoiceStore(QSettings *store) : store_(store) {}
  ChosenFolders load() const override;
  void save(const ChosenFolders &chosen) override;

private:
  QSettings *store_;
};
