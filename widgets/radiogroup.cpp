// A titled group of radio buttons in one column.
#include "widgets/radiogroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace quorvane {

namespace {

// Widgets created later join the Tab order at the end of their window's; these belong where their group
// stands. The Tab order links only controls that take the focus, so the group takes it for a moment.
void takeGroupsTabPlace(QWidget* group, const QList<QWidget*>& widgets) {
  const Qt::FocusPolicy policy = group->focusPolicy();
  group->setFocusPolicy(Qt::TabFocus);
  QWidget* last = group;
  for (QWidget* w : widgets) {
    QWidget::setTabOrder(last, w);
    last = w;
  }
  group->setFocusPolicy(policy);
}

}  // namespace

TRadioGroup::TRadioGroup(QWidget* parent, const QString& name, const QString& caption, const QRect& rect)
    : TControl<QGroupBox>(caption, parent),
      m_scroll(new QScrollArea(this)),
      m_column(new QWidget),
      m_layout(new QVBoxLayout(m_column)),
      m_buttons(new QButtonGroup(this)) {
  PlaceControl(this, name, rect);
  auto* frame = new QVBoxLayout(this);
  frame->setContentsMargins(6, 4, 2, 4);
  frame->addWidget(m_scroll);
  m_scroll->setFrameShape(QFrame::NoFrame);
  // The buttons take the focus, not the area around them.
  m_scroll->setFocusPolicy(Qt::NoFocus);
  m_scroll->setWidgetResizable(true);
  m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_scroll->setWidget(m_column);
  m_layout->setContentsMargins(2, 2, 2, 2);
  m_layout->setSpacing(4);
  m_layout->addStretch();
  m_buttons->setExclusive(true);
  // The arrow keys check the next button; it is kept in view as setItemIndex keeps it.
  connect(m_buttons, &QButtonGroup::buttonToggled, this, [this](QAbstractButton* button, bool checked) {
    if (checked) m_scroll->ensureWidgetVisible(button);
  });
}

void TRadioGroup::setItems(const QStringList& items) {
  const int keep = itemIndex();
  for (QAbstractButton* button : m_buttons->buttons()) {
    m_buttons->removeButton(button);
    delete button;
  }
  m_items = items;
  QList<QWidget*> created;
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], m_column);
    button->setObjectName(QStringLiteral("rgItem%1").arg(i));
    m_buttons->addButton(button, i);
    m_layout->insertWidget(i, button);
    created << button;
  }
  takeGroupsTabPlace(this, created);
  setItemIndex(keep);
}

int TRadioGroup::itemIndex() const { return m_buttons->checkedId(); }

void TRadioGroup::setItemIndex(int index) {
  if (QAbstractButton* button = m_buttons->button(index)) {
    button->setChecked(true);
    m_scroll->ensureWidgetVisible(button);
  } else if (QAbstractButton* checked = m_buttons->checkedButton()) {
    m_buttons->setExclusive(false);
    checked->setChecked(false);
    m_buttons->setExclusive(true);
  }
}

}  // namespace quorvane
