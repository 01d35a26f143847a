#pragma once
// Which part of the product a tab shows, for the small location picture beside
// the tabs: one picture per face group, chosen by the face's code.

#include <string_view>

// Face code of a tab ('F', 'L', 'S', 'u', 'C', 'G', 'X' for Layout, 'Z' for
// Render); 0 for no tab.
char FaceCodeOfTab(std::string_view tabName);

// Group of a face code: 'C', 'D', 'F', 'L' (left and spine), 'R', 'U', 'G',
// 'X' or 'Z' (render data); 0 when the code names none.
char FaceGroupOfCode(char code);
