#pragma once
// Face > Appearance: the colour, gradient, pattern, texture or picture of the
// face shown, chosen on the page the new-project wizard shows for it, for any
// face of a made project. The face's objects keep their place on the
// product; the change is one undo step.

class CMainFrame;
class CVtwinView;
class QWidget;

// True when the face changed.
bool EditFaceAppearance(QWidget* parent, CVtwinView& view, CMainFrame& frame);
