#pragma once
// Dialogs and message boxes open centred over the window they belong to and
// wide enough for their titles. A window manager may place new windows
// itself, or (without one) leave them in the screen's corner; the program
// places its dialogs the same way everywhere.

class QWidget;
class QString;

// The window a dialog belongs to: its parent's window, passing over
// borderless in-place editors to the window they sit on; else the active
// window. Null when there is none.
QWidget* OwningWindow(const QWidget* dialog);

// Centres `dialog` over its owning window (over its screen when it has
// none), kept inside that screen.
void PlaceOverOwner(QWidget* dialog);

// The width a window needs for its title beside the window manager's icon
// and buttons.
int TitleWidth(const QString& title);

// Places every dialog that was not given a position of its own each time it
// is shown, and widens dialogs whose titles would be cut.
void InstallDialogPlacement();
