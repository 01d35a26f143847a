#include "ui/canvas/ToolCommands.h"

#include "ui/shell/CommandIds.h"

const SToolCommand* FindToolCommand(int id)
{
    static constexpr SToolCommand kTools[] = {
        {ID_TOOL_SELECT, kModeSelect, 0},          {ID_TOOL_LINE, kModeSegment, 2},
        {ID_TOOL_ELLIPSE, kModeEllipse, 3},        {ID_TOOL_ELLIPSE_FILLED, kModeEllipse, 4},
        {ID_TOOL_ELLIPSE_BOTH, kModeEllipse, 5},   {ID_TOOL_RECT, kModeBox, 6},
        {ID_TOOL_RECT_FILLED, kModeBox, 7},        {ID_TOOL_RECT_BOTH, kModeBox, 8},
        {ID_TOOL_POLYGON, kModePoints, 9},         {ID_TOOL_POLYGON_FILLED, kModePoints, 10},
        {ID_TOOL_POLYGON_BOTH, kModePoints, 11},   {ID_TOOL_POLYLINE, kModePoints, 12},
        {ID_TOOL_TEXT, kModeBox, 13},              {ID_TOOL_PICTURE, kModeBox, 14},
        {ID_TOOL_BARCODE, kModeBox, 15},
    };
    for (const SToolCommand& t : kTools)
        if (t.id == id)
            return &t;
    return nullptr;
}

void AlignByCommand(CDrawObjectList& objects, int id)
{
    using A = LayoutEdit::EAlign;
    static constexpr struct {
        int id;
        A align;
    } kAligns[] = {
        {ID_ALIGN_LEFT, A::Left},          {ID_ALIGN_HCENTER, A::HCenter},        {ID_ALIGN_RIGHT, A::Right},
        {ID_ALIGN_TOP, A::Top},            {ID_ALIGN_VCENTER, A::VCenter},        {ID_ALIGN_BOTTOM, A::Bottom},
        {ID_ALIGN_TO_LEFT_OF, A::ToLeftOf}, {ID_ALIGN_TO_RIGHT_OF, A::ToRightOf}, {ID_ALIGN_ABOVE, A::Above},
        {ID_ALIGN_BELOW, A::Below},
    };
    for (const auto& a : kAligns)
        if (a.id == id)
            LayoutEdit::Align(objects, a.align);
}
