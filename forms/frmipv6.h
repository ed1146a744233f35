// The IPv6 calculator window. Data flows one way:
//   edV6Address, edV6Prefix  ->  ReadPastedIpv6 / ReadIpv6Prefix (core)  ->  Ipv6Results  ->  the ten fields
// Not modal: it lives beside the main window, which creates it on first use and keeps the one instance.
#pragma once

#include <QByteArray>
#include <QList>
#include <array>

#include "forms/ipv6results.h"
#include "platform/profile.h"
#include "widgets/action.h"
#include "widgets/edit.h"
#include "widgets/form.h"
#include "widgets/labelededit.h"

namespace quorvane {

class TfrmIPv6 : public TForm {
  Q_OBJECT
 public:
  // Reads the window's own section of the settings file at `settingsPath`: its place, and the inputs of the
  // last use, which it calculates when they read (silently otherwise: nobody typed them now).
  TfrmIPv6(QWidget* owner, const QString& settingsPath);

  // The window's section of the settings file, written with the main window's settings at exit.
  static const QByteArray kSection;
  QList<profile::Entry> settingsEntries() const;

  // Puts the text into edV6Address (a "/prefix" after the address wins over edV6Prefix) and calculates.
  void takeAddress(const QString& text);

  // Commands.
  void actV6CalculateExecute();
  // Input editing: any change of an input empties the results.
  void edV6AddressChange();
  // A text pasted into edV6Address that ends in "/prefix" goes there without it, and the prefix into
  // edV6Prefix. False, and nothing changed, for any other text, which is pasted as usual.
  bool pasteAddressAndPrefix(const QString& text);
  // Writes the results again in the current language, when they are shown.
  void retranslateResults();
  // The network of the results ("2001:db8::/64"), empty while there are none.
  QString resultNetwork() const { return m_results[std::size_t(Ipv6Field::Network)]->text(); }

  TAction* command(const char* name) const;
  TLabeledEdit* addressField() const { return edV6Address; }
  TLabeledEdit* prefixField() const { return edV6Prefix; }

  void setVisible(bool visible) override;

 private:
  void createRequestGroup(QWidget* client, int width);
  void createResultGroup(QWidget* client, int width);
  void clearResults();
  void rejectInput(QLineEdit* field, const QString& message);
  // Calculates the inputs; false, with the results empty, when one does not read. Shows nothing.
  bool calculate(QLineEdit*& faulty);

  TLabeledEdit* edV6Address = nullptr;
  TLabeledEdit* edV6Prefix = nullptr;
  std::array<TEdit*, kIpv6FieldCount> m_results{};
  bool m_placed = false;
  bool m_hasStoredPlace = false;
};

}  // namespace quorvane
