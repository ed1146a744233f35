// A main-window form: client size, frame geometry and the F6 path to the controls Tab skips.
#pragma once

#include <QList>
#include <QMainWindow>
#include "widgets/control.h"

namespace quorvane {

// A form that is a main window: its client area lies below the menu bar.
class TForm : public TFormProperties<QMainWindow, TForm> {
  Q_OBJECT
  QUORVANE_FORM_PROPERTIES
 public:
  explicit TForm(QWidget* parent = nullptr);
  int clientWidth() const;
  void setClientWidth(int width);
  int clientHeight() const;
  void setClientHeight(int height);
  // Fixes the client area to the designed size (the window can be neither resized nor maximised). Unlike
  // the published ClientWidth and ClientHeight, it is not bounded by the screens: a design larger than a
  // small screen keeps its layout.
  void setClientSize(int width, int height);
  // The keyboard's way to the controls that Tab skips: F6 moves the focus to the next of them in reading
  // order (top to bottom, then left to right), Shift+F6 to the previous; past either end the focus goes
  // back to the first Tab stop.
  void reachWithF6(const QList<QWidget*>& controls);

 private:
  // Sizes that are not positive are ignored; toScreens bounds the frame by the largest screen.
  void fixClientSize(int width, int height, bool toScreens);
  void moveAlongF6(int step);
  QList<QWidget*> m_f6Order;
};

}  // namespace quorvane
