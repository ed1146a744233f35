// A main-window form: client size, frame geometry and the F6 path to the controls Tab skips.
#include "widgets/form.h"

#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>

namespace quorvane {

TForm::TForm(QWidget* parent) : TFormProperties<QMainWindow, TForm>(parent) { InstallFontSubstitutes(); }

int TForm::clientWidth() const { return width(); }

void TForm::setClientWidth(int width) { fixClientSize(width, clientHeight(), true); }

int TForm::clientHeight() const {
  const QWidget* menu = menuWidget();
  return height() - (menu ? menu->sizeHint().height() : 0);
}

void TForm::setClientHeight(int height) { fixClientSize(clientWidth(), height, true); }

void TForm::setClientSize(int width, int height) { fixClientSize(width, height, false); }

void TForm::fixClientSize(int width, int height, bool toScreens) {
  if (width <= 0 || height <= 0) return;
  const QWidget* menu = menuWidget();
  const qint64 total = qint64(height) + (menu ? menu->sizeHint().height() : 0);
  setFixedSize(toScreens ? boundedSize(width, total)
                         : QSize(width, int(std::min<qint64>(total, QWIDGETSIZE_MAX))));
}

void TForm::reachWithF6(const QList<QWidget*>& controls) {
  if (m_f6Order.isEmpty()) {
    for (const auto& [key, step] :
         {std::pair{QKeySequence(Qt::Key_F6), 1}, std::pair{QKeySequence(Qt::SHIFT | Qt::Key_F6), -1}}) {
      auto* shortcut = new QShortcut(key, this);
      shortcut->setContext(Qt::WindowShortcut);
      connect(shortcut, &QShortcut::activated, this, [this, step = step] { moveAlongF6(step); });
    }
  }
  m_f6Order = controls;
}

void TForm::moveAlongF6(int step) {
  // Sorted at each press: a language file may have moved the controls.
  const auto readingPlace = [this](const QWidget* control) {
    const QPoint at = control->mapTo(this, QPoint(0, 0));
    return std::pair{at.y(), at.x()};
  };
  std::stable_sort(m_f6Order.begin(), m_f6Order.end(),
                   [&](const QWidget* a, const QWidget* b) { return readingPlace(a) < readingPlace(b); });
  const auto reachable = [this](const QWidget* control) {
    return control->isVisibleTo(this) && control->isEnabled();
  };
  const qsizetype count = m_f6Order.size();
  qsizetype at = m_f6Order.indexOf(focusWidget());
  // From outside the list F6 enters it at its first control, Shift+F6 at its last.
  if (at < 0) at = step > 0 ? -1 : count;
  for (at += step; at >= 0 && at < count; at += step) {
    if (!reachable(m_f6Order[at])) continue;
    // A shortcut's focus selects an edit's whole text, ready to be copied.
    m_f6Order[at]->setFocus(Qt::ShortcutFocusReason);
    return;
  }
  for (QWidget* w = nextInFocusChain(); w != this; w = w->nextInFocusChain()) {
    if (w->window() == this && reachable(w) && (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus) {
      w->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

}  // namespace quorvane
