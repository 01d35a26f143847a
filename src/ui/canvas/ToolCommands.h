#pragma once
// The drawing tools behind the Draw menu's tool commands: the canvas mode
// and sub-tool each command picks. Command state and command runs both read
// this one table. Also the align commands' kinds.

#include "layout/edit/LayoutEdit.h"

struct SToolCommand {
    int id;    // the command
    int mode;  // EToolMode
    int sub;   // the sub-tool: what a drag of that mode makes
};

// The tool command `id`; nullptr when `id` picks no tool.
const SToolCommand* FindToolCommand(int id);

// Aligns the selection as the align command `id` says (nothing for another id).
void AlignByCommand(CDrawObjectList& objects, int id);
