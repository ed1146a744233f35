// The settings form: a main window that reads the settings file before its controls exist, places itself
// as stored, and writes everything back when it is destroyed.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QString>
#include <functional>
#include <utility>

#include "platform/profile.h"
#include "widgets/form.h"

namespace quorvane {

// The stored form of the password differs from the plain one byte by byte: byte i is combined by exclusive
// or with (i + 13) mod 256. The same call turns either form into the other.
QByteArray ScramblePassword(const QByteArray& text);

class TFormINI : public TForm {
  Q_OBJECT
 public:
  // Reads the "Defaults" section into Settings() and moves the window to the stored position, or onto the
  // nearest screen when that would leave the title bar off every screen.
  explicit TFormINI(QWidget* parent = nullptr);
  // Writes the settings; a refused write is shown as an unhandled error and the rest is skipped.
  ~TFormINI() override;

  // The settings file: the executable's name with ".ini", in the program folder.
  QString settingsPath() const { return m_path; }

  // Writes the settings in their order; throws Exception("Unable to write to <path>") at the first refusal.
  // Writes nothing to a settings file that was too large, or a link out of the program folder, when the
  // window read it (the user was told then).
  void writeSettings();

  // Another window's section of the settings file: the entries that `entries` gives when the settings are
  // written go into the same replace of the file as this window's own, for as long as `owner` lives.
  void addSettingsSection(QObject* owner, std::function<QList<profile::Entry>()> entries);

  void setVisible(bool visible) override;

 private:
  QString m_path;
  bool m_stateApplied = false;
  bool m_leaveFileAlone = false;
  QByteArray m_storedLanguage;  // DefaultLang as the file held it
  QList<std::pair<QPointer<QObject>, std::function<QList<profile::Entry>()>>> m_sections;
};

}  // namespace quorvane
