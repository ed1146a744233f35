// Test helper: a program folder of the test's own, with everything a start reads as a fresh start finds it.
#pragma once

#include <QTemporaryDir>
#include <memory>

#include "platform/programfolder.h"
#include "settings/langchanger.h"
#include "settings/settingsvalues.h"
#include "settings/texttable.h"

namespace quorvane::test {

// Makes an empty temporary folder the program's folder and resets the settings, the text table and the
// translator. nullptr when no temporary folder could be made.
inline std::unique_ptr<QTemporaryDir> FreshProgramFolder() {
  auto folder = std::make_unique<QTemporaryDir>();
  if (!folder->isValid()) return nullptr;
  SetProgramLocationForTests(folder->path());
  Settings() = SettingsValues{};
  TextTable::Reset();
  LangChanger().reset();
  return folder;
}

}  // namespace quorvane::test
