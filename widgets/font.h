// A control's font as an object of its own, as language files name it.
#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace quorvane {

// A control's font as an object of its own: Font.Name, Font.Size (points), Font.Height (pixels, negative
// for the character height as the design stores it). A size beyond the range of BoundFontPoints is bounded;
// one that is not positive is ignored.
class TFont : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Name READ name WRITE setName)
  Q_PROPERTY(int Size READ size WRITE setSize)
  Q_PROPERTY(int Height READ height WRITE setHeight)
 public:
  explicit TFont(QWidget* owner);
  QString name() const;
  void setName(const QString& name);
  int size() const;
  void setSize(int points);
  int height() const;
  void setHeight(int height);

 private:
  QWidget* m_owner;
};

}  // namespace quorvane
