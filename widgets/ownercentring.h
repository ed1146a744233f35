// Dialogs centred on the window they belong to, frame included.
#pragma once

class QWidget;

namespace quorvane {

// From now on, each time `dialog` is shown, puts the centre of its frame on the centre of the frame of its
// owner's window (the window of its parent widget), as near as the screens allow (PlaceOnScreens); without
// an owner it stays where it is. The frame of a new window is known only once the desktop has decorated it,
// which a window manager does after the window appears: until then the owner's frame margins stand in for
// the dialog's, and when the real ones turn out different the dialog is centred again. A move by the user
// changes no margins and is kept. Called once for a dialog; the helper lives as long as the dialog.
void CentreOnOwner(QWidget* dialog);

}  // namespace quorvane
