// The large settings and language files of the fault tests, made alike by the test and by fault_writer.
#pragma once

#include <QByteArray>

namespace quorvane::test {

// The two values that fault_writer stores in turn under [Defaults] UserName; long, so that the versions
// of the file differ over a wide stretch and a torn write could not pass for either.
inline QByteArray faultUserName(bool second) { return QByteArray(96 * 1024, second ? 'b' : 'a'); }

// A settings file of about a megabyte, complete with every line the program writes, holding `userName`.
inline QByteArray faultSettingsFile(const QByteArray& userName) {
  QByteArray bytes = "[Defaults]\r\nWhatUser=0\r\nUserName=" + userName +
                     "\r\nUserPassword=xy\r\nUserDomain=CORP\r\nDefaultLang=english.lng\r\n";
  for (int i = 0; i < 12000; ++i)
    bytes += "Filler" + QByteArray::number(i) + "=" + QByteArray(60, 'f') + "\r\n";
  bytes +=
      "DefaultTypeConvert=1\r\n[Window Position]\r\nTop=10\r\nLeft=20\r\n[Window State]\r\nWindowState=0\r\n";
  return bytes;
}

// A language file of about a megabyte with bare keys in it, in mixed line breaks, so that assigning it as
// the language file rewrites it into a different, longer file.
inline QByteArray faultLanguageFile() {
  QByteArray bytes = "[Translations]\n";
  for (int i = 0; i < 12000; ++i) {
    bytes += "QuorvaneForm.Label" + QByteArray::number(i) + ".Caption=" + QByteArray(40, 'c') + "\n";
    bytes += "  sBareKey" + QByteArray::number(i) + (i % 2 ? "\r" : "\r\n");
  }
  return bytes;
}

}  // namespace quorvane::test
