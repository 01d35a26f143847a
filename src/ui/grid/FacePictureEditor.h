#pragma once
// The face picture editor behind a face's "Image" grid row: the user picks a
// picture (from a file or the picture library), which becomes the face's
// appearance at the face's present size, so that draw objects keep their
// places. The change is one undo step.

#include <QString>
#include <functional>

class QWidget;
class CEditService;

// Tests answer the file question themselves (empty: cancelled).
using FacePictureChooser = std::function<QString()>;
void SetFacePictureChooser(FacePictureChooser chooser);

// Runs the editor for face letter `face` of the document of `edits`; true
// when the picture changed.
bool EditFacePicture(QWidget* parent, CEditService* edits, char face);
