#pragma once
// The face canvas's painting over the face picture: the draw objects with the
// handles of the selected ones, and the outline a tool shows while it works.

#include "layout/edit/FaceMapping.h"
#include "layout/edit/LayoutEdit.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

class QPainter;

// A place the mouse can take an object by: the window rectangle, the object
// and its handle (0: the body; 1..8 the handles as LayoutEdit numbers them).
struct SCanvasHandle {
    QRect rect;
    CDrawObject* object = nullptr;
    int handle = 0;
};

// Window point of handle 1..8 of a box: corners and edge middles, left to
// right, top row first.
QPoint CanvasHandlePoint(const QRect& box, int handle);

// Paints the shown objects, each clipped to the face (`face`: the face picture's
// size), and the handles of the selected ones; gives the places to take them
// by, back to front. `window` is the canvas size, `zoom` in percent.
std::vector<SCanvasHandle> PaintFaceObjects(QPainter& painter, const CFaceMapping& mapping,
                                            const CDrawObjectList& objects, QSize face, QSize window, int zoom);

// What a tool shows while it works (face pixels): step 1 a selection band,
// 2 an object dragged by `dragHandle`, 3 a new object of `mode`, 4 the points
// entered so far.
struct SToolFeedback {
    int step = 0;
    int mode = 0;
    CFacePoint anchor;
    CFacePoint current;
    const CDrawObject* dragObject = nullptr;
    int dragHandle = 0;
    const std::vector<CFacePoint>* points = nullptr;
    COLORREF lineColour = 0;
};

void PaintToolFeedback(QPainter& painter, const CFaceMapping& mapping, const SToolFeedback& tool);
