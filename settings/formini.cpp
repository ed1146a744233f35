// The settings form.
#include "settings/formini.h"

#include "core/exception.h"
#include "platform/profile.h"
#include "platform/programfolder.h"
#include "settings/filenotices.h"
#include "settings/settingsvalues.h"
#include "widgets/errorguard.h"
#include "widgets/screenfit.h"

namespace quorvane {

namespace {

const QByteArray kDefaults = QByteArrayLiteral("Defaults");
const QByteArray kPosition = QByteArrayLiteral("Window Position");
const QByteArray kState = QByteArrayLiteral("Window State");

enum StoredState { kNormal = 0, kMinimized = 1, kMaximized = 2 };

// A text of "Defaults" as the platform's zero-terminated strings give it: up to its first zero byte. A zero
// byte cannot be written back, so keeping it would make every exit refuse its writes from that key on.
QByteArray readText(const profile::FileSnapshot& file, const char* key, const QByteArray& defaultValue) {
  const QByteArray value = file.ReadString(kDefaults, key, defaultValue);
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
  // All of construction's reads see the file as it is now: it is read once for them.
  const profile::FileSnapshot file(m_path);
  // Too large to be the settings file: read as missing, never written, and the user is told.
  if (file.state() == profile::FileState::TooLarge) {
    m_leaveFileAlone = true;
    NoteFileProblem(FileProblem::TooLarge, m_path);
  }
  // A link out of the program folder is read, but the exit never writes through it: the user is told now.
  if (LinksOutOfProgramFolder(m_path)) {
    m_leaveFileAlone = true;
    NoteFileProblem(FileProblem::LinkOutside, m_path);
  }
  SettingsValues& s = Settings();
  s.WhatUser = static_cast<std::uint8_t>(file.ReadInt(kDefaults, "WhatUser", 0));
  s.UserName = readText(file, "UserName", {});
  s.DefaultTypeConvert = static_cast<std::uint8_t>(file.ReadInt(kDefaults, "DefaultTypeConvert", 0));
  s.UserPassword = ScramblePassword(readText(file, "UserPassword", {}));
  s.UserDomain = readText(file, "UserDomain", {});
  m_storedLanguage = readText(file, "DefaultLang", "english.lng");
  s.DefaultLang = QString::fromLocal8Bit(m_storedLanguage);
  // Only bounded here, so that Qt's sums of position and size cannot overflow and an exit before the first
  // show writes back values in range. Whether the title bar is on a screen depends on the final size: the
  // first show decides it.
  move(BoundCoordinate(file.ReadInt(kPosition, "Left", 0)),
       BoundCoordinate(file.ReadInt(kPosition, "Top", 0)));
}

TFormINI::~TFormINI() {
  RunGuarded(this, [this] { writeSettings(); });
}

void TFormINI::writeSettings() {
  if (m_leaveFileAlone) return;
  const SettingsValues& s = Settings();
  const auto number = [](int value) { return QByteArray::number(value); };
  QList<profile::Entry> entries{
      {kDefaults, "WhatUser", number(s.WhatUser)},
      {kDefaults, "UserName", s.UserName},
      {kDefaults, "UserPassword", ScramblePassword(s.UserPassword)},
      {kDefaults, "UserDomain", s.UserDomain},
      // A name that is no valid text in the system's encoding decodes with replacement characters; unless
      // another language was chosen, the bytes read are written back as they were.
      {kDefaults, "DefaultLang",
       s.DefaultLang == QString::fromLocal8Bit(m_storedLanguage) ? m_storedLanguage
                                                                 : s.DefaultLang.toLocal8Bit()},
      {kDefaults, "DefaultTypeConvert", number(s.DefaultTypeConvert)},
  };
  const Qt::WindowStates state = windowState();
  const int stored = state & Qt::WindowMinimized   ? kMinimized
                     : state & Qt::WindowMaximized ? kMaximized
                                                   : kNormal;
  // Closing while minimised or maximised keeps the position of the last exit in the normal state.
  if (stored == kNormal) {
    entries.append({kPosition, "Top", number(pos().y())});
    entries.append({kPosition, "Left", number(pos().x())});
  }
  entries.append({kState, "WindowState", number(stored)});
  for (const auto& [owner, section] : m_sections) {
    if (owner) entries.append(section());
  }
  // One replace of the file for all the keys (each replace is synced to disk, which is slow on a busy
  // disk); a refused key still leaves the keys before it written and the ones after it not.
  if (profile::WriteStrings(m_path, entries) != entries.size())
    throw Exception("Unable to write to " + m_path.toStdString());
}

void TFormINI::addSettingsSection(QObject* owner, std::function<QList<profile::Entry>()> entries) {
  m_sections.append({owner, std::move(entries)});
}

void TFormINI::setVisible(bool visible) {
  if (visible && !m_stateApplied) {
    m_stateApplied = true;
    // A stored position that leaves the title bar off every screen (another monitor, another resolution, a
    // hand-edited file) is moved onto the nearest screen. Made first, the window knows its frame where the
    // platform tells it before the window is mapped.
    create();
    placeOnScreens(pos());
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
