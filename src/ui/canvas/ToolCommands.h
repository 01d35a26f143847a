#pragma once
// The drawing tools behind the Draw menu's tool commands: the canvas mode
// and sub-tool each command picks. Command state and command runs both read
// this one table.

#include "ui/canvas/LayoutEditor.h"

struct SToolCommand {
    int id;    // the command
    int mode;  // EToolMode
    int sub;   // the sub-tool: what a drag of that mode makes
};

// The tool command `id`; nullptr when `id` picks no tool.
const SToolCommand* FindToolCommand(int id);
