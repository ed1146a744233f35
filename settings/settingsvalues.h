// The process-wide settings values, read from the settings file's "Defaults" section at start.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace quorvane {

struct SettingsValues {
  // Carried through: read at start and written back unchanged at exit.
  std::uint8_t WhatUser = 0;
  QByteArray UserName;
  QByteArray UserPassword;  // the plain form; the file holds it scrambled
  QByteArray UserDomain;
  // The language file's name inside the languages folder.
  QString DefaultLang = QStringLiteral("english.lng");
  // The display type of the additional view: 0 binary, 1 decimal, 2 hexadecimal; other values show nothing.
  std::uint8_t DefaultTypeConvert = 0;
};

// The one set of values for the whole run. Tests reset it by assigning SettingsValues{}.
SettingsValues& Settings();

}  // namespace quorvane
