#pragma once
// A deep copy of what a document holds (its product with every side and
// picture, the draw objects of each face, the drawing defaults), for work on
// a copy that must leave the original as it was: the jobs of a batch each
// take one of the template they share.

#include "app/VtwinDoc.h"

// Throws std::bad_alloc when there is no memory for the copy.
CDocContent CopyDocContent(const CVtwinDoc& doc);
