// The about box: the full version text, the home page and the support address.
#pragma once

#include "widgets/dialogform.h"
#include "widgets/label.h"

namespace quorvane {

// The project's own endpoints; not part of the text table, so no language file changes them.
inline constexpr const char* kHomePage = "https://quorvane.org/";
inline constexpr const char* kHomePageName = "quorvane.org";
inline constexpr const char* kSupportAddress = "support@quorvane.org";
inline constexpr const char* kMailLink = "mailto:support@quorvane.org";

// A label that looks and acts like a link: underlined in the palette's link colour, hand cursor, and
// activated by a click or, when it has the focus (Tab reaches it), by Enter or Space.
class TLinkLabel : public TLabel {
  Q_OBJECT
 public:
  TLinkLabel(QWidget* parent, const QString& name, const QString& caption, const QPoint& place);

 Q_SIGNALS:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

class TAboutBox : public TDialogForm {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* owner);

  void FormCreate();
  void Image3Click();
  void lMailClick();

 protected:
  // Esc does not close the box: only its button and the close box do.
  void reject() override;
  void closeEvent(QCloseEvent* event) override;

 private:
  bool m_closing = false;
};

// The box while it is shown; null otherwise.
extern TAboutBox* AboutBox;

}  // namespace quorvane
