#pragma once
// The small picture beside the tabs that shows where the current face lies on
// the product: one picture per face group, chosen by the face's code.

#include <QPixmap>
#include <QString>

// Face code of a tab ('F', 'L', 'S', 'u', 'C', 'G', 'X' for Layout, 'Z' for
// Render); 0 for no tab.
char FaceCodeOfTab(const QString& tabName);

// Group of a face code: 'C', 'D', 'F', 'L' (left and spine), 'R', 'U', 'G',
// 'X' or 'Z' (render data); 0 when the code names none.
char FaceGroupOfCode(char code);

// The location picture of a group, drawn for the device pixel ratio given.
QPixmap FaceLocationPicture(char group, qreal devicePixelRatio = 1.0);
