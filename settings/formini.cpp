// The settings form.
#include "settings/formini.h"

#include "core/exception.h"
#include "platform/errorguard.h"
#include "platform/profile.h"
#include "platform/programfolder.h"
#include "settings/settingsvalues.h"

namespace quorvane {

namespace {

const QByteArray kDefaults = QByteArrayLiteral("Defaults");
const QByteArray kPosition = QByteArrayLiteral("Window Position");
const QByteArray kState = QByteArrayLiteral("Window State");

enum StoredState { kNormal = 0, kMinimized = 1, kMaximized = 2 };

// A text of "Defaults" as the platform's zero-terminated strings give it: up to its first zero byte. A zero
// byte cannot be written back, so keeping it would make every exit refuse its writes from that key on.
QByteArray readText(const QString& path, const char* key, const QByteArray& defaultValue) {
  const QByteArray value = profile::ReadString(path, kDefaults, key, defaultValue);
  const qsizetype zero = value.indexOf('\0');
  return zero < 0 ? value : value.first(zero);
}

}  // namespace

QByteArray ScramblePassword(const QByteArray& text) {
  QByteArray result = text;
  for (qsizetype i = 0; i < result.size(); ++i) result[i] = static_cast<char>(result[i] ^ ((i + 13) & 0xFF));
  return result;
}

TFormINI::TFormINI(QWidget* parent)
    : TForm(parent), m_path(ProgramFolder() + QLatin1Char('/') + ProgramBaseName() + QStringLiteral(".ini")) {
  using namespace profile;
  SettingsValues& s = Settings();
  s.WhatUser = static_cast<std::uint8_t>(ReadInt(m_path, kDefaults, "WhatUser", 0));
  s.UserName = readText(m_path, "UserName", {});
  s.DefaultTypeConvert = static_cast<std::uint8_t>(ReadInt(m_path, kDefaults, "DefaultTypeConvert", 0));
  s.UserPassword = ScramblePassword(readText(m_path, "UserPassword", {}));
  s.UserDomain = readText(m_path, "UserDomain", {});
  s.DefaultLang = QString::fromLocal8Bit(readText(m_path, "DefaultLang", "english.lng"));
  // The stored position is used as it is, without checking it against the screen.
  move(ReadInt(m_path, kPosition, "Left", 0), ReadInt(m_path, kPosition, "Top", 0));
}

TFormINI::~TFormINI() {
  RunGuarded(this, [this] { writeSettings(); });
}

void TFormINI::writeSettings() {
  const SettingsValues& s = Settings();
  const auto refuse = [this] { throw Exception("Unable to write to " + m_path.toStdString()); };
  const auto writeInt = [&](const QByteArray& section, const char* key, int value) {
    if (!profile::WriteInt(m_path, section, key, value)) refuse();
  };
  const auto writeString = [&](const char* key, const QByteArray& value) {
    if (!profile::WriteString(m_path, kDefaults, key, value)) refuse();
  };
  writeInt(kDefaults, "WhatUser", s.WhatUser);
  writeString("UserName", s.UserName);
  writeString("UserPassword", ScramblePassword(s.UserPassword));
  writeString("UserDomain", s.UserDomain);
  writeString("DefaultLang", s.DefaultLang.toLocal8Bit());
  writeInt(kDefaults, "DefaultTypeConvert", s.DefaultTypeConvert);
  const Qt::WindowStates state = windowState();
  const int stored = state & Qt::WindowMinimized   ? kMinimized
                     : state & Qt::WindowMaximized ? kMaximized
                                                   : kNormal;
  // Closing while minimised or maximised keeps the position of the last exit in the normal state.
  if (stored == kNormal) {
    writeInt(kPosition, "Top", pos().y());
    writeInt(kPosition, "Left", pos().x());
  }
  writeInt(kState, "WindowState", stored);
}

void TFormINI::setVisible(bool visible) {
  if (visible && !m_stateApplied) {
    m_stateApplied = true;
    switch (profile::ReadInt(m_path, kState, "WindowState", kNormal)) {
      case kMinimized:
        setWindowState(Qt::WindowMinimized);
        break;
      case kMaximized:
        setWindowState(Qt::WindowMaximized);
        break;
      default:
        break;
    }
  }
  TForm::setVisible(visible);
}

}  // namespace quorvane
