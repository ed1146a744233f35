// The about box.
#include "settings/about.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "platform/shell.h"
#include "settings/versiontext.h"
#include "widgets/buttons.h"

namespace quorvane {

TAboutBox* AboutBox = nullptr;

TLinkLabel::TLinkLabel(QWidget* parent, const QString& name, const QString& caption, const QPoint& place)
    : TLabel(parent, name, caption, QRect(place, QSize())) {
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
  setForegroundRole(QPalette::Link);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
  adjustSize();
  connect(this, &TLabel::captionChanged, this, &QWidget::adjustSize);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) Q_EMIT clicked();
  TLabel::mouseReleaseEvent(event);
}

void TLinkLabel::keyPressEvent(QKeyEvent* event) {
  // Enter opens the link that has the focus rather than pressing the box's default button.
  if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
    return Q_EMIT clicked();
  TLabel::keyPressEvent(event);
}

void TLinkLabel::paintEvent(QPaintEvent* event) {
  TLabel::paintEvent(event);
  if (!hasFocus()) return;
  // A label draws no focus of its own; without this frame a keyboard user could not tell which link Enter
  // opens.
  QStyleOptionFocusRect frame;
  frame.initFrom(this);
  frame.backgroundColor = palette().color(backgroundRole());
  QPainter painter(this);
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
}

TAboutBox::TAboutBox(QWidget* owner) : TDialogForm(owner) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("About..."));
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  setBackgroundRole(QPalette::Window);
  setClientWidth(340);
  setClientHeight(231);

  auto* title = new TLabel(this, QStringLiteral("Label1"), QStringLiteral("Quorvane"), {31, 12, 290, 32});
  QFont serif(QStringLiteral("Times New Roman"));
  serif.setPixelSize(21);
  serif.setBold(true);
  title->setFont(serif);
  new TLabel(this, QStringLiteral("Label4"), QStringLiteral("Official site of the program"),
             {32, 58, 176, 16});
  auto* home = new TLinkLabel(this, QStringLiteral("lHome"), QLatin1String(kHomePageName), {210, 58});
  auto* letters = new TLabel(this, QStringLiteral("Label5"),
                             QStringLiteral("Letters with wishes and error messages send to the address"),
                             {32, 111, 169, 41});
  letters->setWordWrap(true);
  letters->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  auto* mail = new TLinkLabel(this, QStringLiteral("lMail"), QLatin1String(kSupportAddress), {191, 119});
  auto* ok = new TButton(this, QStringLiteral("Button1"), QStringLiteral("\u041E\u041A"), {136, 184, 75, 25});
  ok->setDefault(true);
  ok->setAutoDefault(true);
  // The box opens on its button, so that Enter closes it; Tab goes on to the links, where Enter opens one.
  ok->setFocus();
  connect(ok, &QPushButton::clicked, this, [this] {
    m_closing = true;
    accept();
  });
  connect(home, &TLinkLabel::clicked, this, &TAboutBox::Image3Click);
  connect(mail, &TLinkLabel::clicked, this, &TAboutBox::lMailClick);
  FormCreate();
}

void TAboutBox::FormCreate() { findChild<TLabel*>(QStringLiteral("Label1"))->setCaption(VersionText(true)); }

void TAboutBox::Image3Click() { ShellOpen(QUrl(QLatin1String(kHomePage))); }

void TAboutBox::lMailClick() { ShellOpen(QUrl(QLatin1String(kMailLink))); }

void TAboutBox::reject() {
  // Reached by Esc and by the close box; only the close box closes.
  if (m_closing) QDialog::reject();
}

void TAboutBox::closeEvent(QCloseEvent* event) {
  m_closing = true;
  TDialogForm::closeEvent(event);
}

}  // namespace quorvane
