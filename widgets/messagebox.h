// The program's message box: a standard modal message dialog centred on its owner window.
#pragma once

#include <QMessageBox>

namespace quorvane {

enum class MessageKind { Error, Warning, Information, Confirmation };

// Shows the text modally over the owner's window, centred on it, and returns the button that closed it.
// The caption and icon follow the kind ("Error" and the error icon for MessageKind::Error).
QMessageBox::StandardButton ShowCenteredMessage(QWidget* owner, const QString& text, MessageKind kind,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                const QString& details = QString());

}  // namespace quorvane
