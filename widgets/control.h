// What every control and form publishes to language files: geometry, hint and font by the names the
// language files use, added to a Qt widget class by deriving from TControl or TFormProperties.
#pragma once

#include <QRect>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <limits>

#include "widgets/font.h"
#include "widgets/screenfit.h"

class QAbstractButton;

namespace quorvane {

// Gives a new control its objectName and its place inside its parent.
void PlaceControl(QWidget* control, const QString& name, const QRect& place);

// A button that shows nothing but a glyph is named after its hint, for screen readers.
void NameAfterHint(QAbstractButton* button);

// The design's fonts are Windows fonts. Where the desktop lacks them, the metric-compatible free fonts keep
// the designed texts inside their controls; fontconfig's own choice is usually a much wider face.
void InstallFontSubstitutes();

// A control's place inside its parent and its font object. The accessors are public so that the derived
// class's meta-object can publish them (QUORVANE_CONTROL_PROPERTIES). A value out of range is taken as the
// nearest one in range (see kMaxControlExtent).
template <typename Widget>
class TControl : public Widget {
 public:
  using Widget::Widget;

  int controlLeft() const { return this->x(); }
  void setControlLeft(int v) { this->move(BoundCoordinate(v), this->y()); }
  int controlTop() const { return this->y(); }
  void setControlTop(int v) { this->move(this->x(), BoundCoordinate(v)); }
  int controlWidth() const { return this->width(); }
  void setControlWidth(int v) { this->resize(BoundExtent(v), this->height()); }
  int controlHeight() const { return this->height(); }
  void setControlHeight(int v) { this->resize(this->width(), BoundExtent(v)); }
  QObject* fontObject() { return m_fontObject ? m_fontObject : (m_fontObject = new TFont(this)); }

 private:
  TFont* m_fontObject = nullptr;
};

// Client size and frame geometry of a form. `Form` supplies clientWidth/setClientWidth and
// clientHeight/setClientHeight, which keep the frame within boundedSize(); the frame sizes move the client
// size by the difference. A form is never larger than the largest screen, and a new position never leaves its
// title bar off every screen (PlaceOnScreens).
template <typename Window, typename Form>
class TFormProperties : public Window {
 public:
  using Window::Window;

  int formLeft() const { return this->pos().x(); }
  void setFormLeft(int v) { placeOnScreens({v, this->pos().y()}); }
  int formTop() const { return this->pos().y(); }
  void setFormTop(int v) { placeOnScreens({this->pos().x(), v}); }
  int formWidth() const { return this->frameGeometry().width(); }
  void setFormWidth(int v) { form().setClientWidth(clientFor(form().clientWidth(), v, formWidth())); }
  int formHeight() const { return this->frameGeometry().height(); }
  void setFormHeight(int v) { form().setClientHeight(clientFor(form().clientHeight(), v, formHeight())); }
  // Qt's own minimum sizes, published under Qt's names, would grow the window past any screen.
  void setFormMinimumWidth(int v) { this->setMinimumWidth(std::min(v, boundedSize(v, 0).width())); }
  void setFormMinimumHeight(int v) { this->setMinimumHeight(std::min(v, boundedSize(0, v).height())); }
  QObject* fontObject() { return m_fontObject ? m_fontObject : (m_fontObject = new TFont(this)); }

  // Moves the frame's top-left corner to `topLeft`, or to the nearest place that PlaceOnScreens accepts.
  void placeOnScreens(QPoint topLeft) { this->move(PlaceOnScreens(topLeft, this->frameGeometry().size())); }

 protected:
  // The widget size nearest to width x height whose frame fits the largest screen (at least 1 x 1).
  QSize boundedSize(qint64 width, qint64 height) const {
    const QSize frame = this->frameGeometry().size() - this->size();
    const QSize screen = LargestScreenSize();
    return {int(std::clamp<qint64>(width, 1, std::max(1, screen.width() - frame.width()))),
            int(std::clamp<qint64>(height, 1, std::max(1, screen.height() - frame.height())))};
  }

 private:
  Form& form() { return static_cast<Form&>(*this); }
  // The client extent that gives the frame `wanted`, within int; the client setters bound it further.
  static int clientFor(int client, int wanted, int frame) {
    return int(std::clamp<qint64>(qint64(client) + wanted - frame, std::numeric_limits<int>::min(),
                                  std::numeric_limits<int>::max()));
  }
  TFont* m_fontObject = nullptr;
};

}  // namespace quorvane

// The published names; moc reads them inside each class that derives from TControl.
#define QUORVANE_CONTROL_PROPERTIES                                \
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)           \
  Q_PROPERTY(int Left READ controlLeft WRITE setControlLeft)       \
  Q_PROPERTY(int Top READ controlTop WRITE setControlTop)          \
  Q_PROPERTY(int Width READ controlWidth WRITE setControlWidth)    \
  Q_PROPERTY(int Height READ controlHeight WRITE setControlHeight) \
  Q_PROPERTY(QObject* Font READ fontObject)

// The same for forms, inside each class that derives from TFormProperties.
#define QUORVANE_FORM_PROPERTIES                                              \
  Q_PROPERTY(QString Caption READ windowTitle WRITE setWindowTitle)           \
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)                      \
  Q_PROPERTY(int Left READ formLeft WRITE setFormLeft)                        \
  Q_PROPERTY(int Top READ formTop WRITE setFormTop)                           \
  Q_PROPERTY(int Width READ formWidth WRITE setFormWidth)                     \
  Q_PROPERTY(int Height READ formHeight WRITE setFormHeight)                  \
  Q_PROPERTY(int ClientWidth READ clientWidth WRITE setClientWidth)           \
  Q_PROPERTY(int ClientHeight READ clientHeight WRITE setClientHeight)        \
  Q_PROPERTY(int minimumWidth READ minimumWidth WRITE setFormMinimumWidth)    \
  Q_PROPERTY(int minimumHeight READ minimumHeight WRITE setFormMinimumHeight) \
  Q_PROPERTY(QObject* Font READ fontObject)
