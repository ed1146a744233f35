// Dialogs centred on the window they belong to, frame included.
#include "widgets/ownercentring.h"

#include <QEvent>
#include <QMargins>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include "widgets/screenfit.h"

namespace quorvane {

namespace {

QMargins frameMargins(const QWidget* window) {
  const QWindow* handle = window->windowHandle();
  return handle ? handle->frameMargins() : QMargins();
}

class OwnerCentring : public QObject {
 public:
  explicit OwnerCentring(QWidget* dialog) : QObject(dialog), m_dialog(dialog) {
    dialog->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::Show:
        if (watched != m_dialog) break;
        // The platform window exists now: its exposure tells when the desktop has shown (and decorated) it.
        if (QWindow* handle = m_dialog->windowHandle(); handle && handle != m_handle) {
          m_handle = handle;
          handle->installEventFilter(this);
        }
        m_shown = true;
        centre();
        break;
      case QEvent::Hide:
        if (watched == m_dialog) m_shown = false;
        break;
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::Expose:
      case QEvent::WindowActivate:
        // The frame came, changed, or the dialog grew: centre again. Anything else, a user's move
        // included, leaves it where it is.
        if (m_shown && (frameMargins(m_dialog) != m_margins || m_dialog->size() != m_size)) centre();
        break;
      default:
        break;
    }
    return false;
  }

 private:
  void centre() {
    const QWidget* owner = m_dialog->parentWidget() ? m_dialog->parentWidget()->window() : nullptr;
    if (m_centring || !owner) return;
    m_centring = true;
    QMargins margins = frameMargins(m_dialog);
    const QMargins known = margins;
    // Not decorated yet: a window manager decorates a dialog as it did its owner.
    if (margins.isNull() && !(m_dialog->windowFlags() & Qt::FramelessWindowHint))
      margins = frameMargins(owner);
    const QSize frame = m_dialog->size().grownBy(margins);
    const QRect around = owner->frameGeometry();
    const QPoint topLeft(around.x() + (around.width() - frame.width()) / 2,
                         around.y() + (around.height() - frame.height()) / 2);
    // The frame's top-left corner: Qt places the client inside it by the margins it knows.
    m_dialog->move(PlaceOnScreens(topLeft, frame));
    m_margins = known;
    m_size = m_dialog->size();
    m_centring = false;
  }

  QWidget* m_dialog;
  QPointer<QWindow> m_handle;
  QMargins m_margins;  // the dialog's own margins when it was last centred
  QSize m_size;
  bool m_shown = false;
  bool m_centring = false;
};

}  // namespace

void CentreOnOwner(QWidget* dialog) {
  if (dialog) new OwnerCentring(dialog);
}

}  // namespace quorvane
