#pragma once
// Face > Appearance: the colour, gradient, pattern, texture or picture of the
// face shown, chosen on the page the new-project wizard shows for it, for any
// face of a made project. The face's objects keep their place on the
// product; the change is one undo step.

class CEditService;
class QWidget;

// Edits the face `edits` shows; true when the face changed.
bool EditFaceAppearance(QWidget* parent, CEditService& edits);
