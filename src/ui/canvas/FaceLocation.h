#pragma once
// The small picture beside the tabs that shows where the current face lies on
// the product: one picture per face group, chosen by the face's code.

#include "layout/edit/FaceGroups.h"

#include <QPixmap>

// The location picture of a group, drawn for the device pixel ratio given.
QPixmap FaceLocationPicture(char group, qreal devicePixelRatio = 1.0);
