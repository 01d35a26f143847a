#include "layout/edit/FaceGroups.h"

#include "catalogue/product/FaceKeys.h"

char FaceCodeOfTab(std::string_view name)
{
    if (name == "Layout")
        return 'X';
    if (name == "Render")
        return 'Z';
    const std::string_view key = FaceKeyOfName(name);
    return key.size() == 1 ? key[0] : 0;
}

char FaceGroupOfCode(char code)
{
    switch (code) {
    case 'C': case 'c': return 'C';
    case 'D': case 'd': return 'D';
    case 'F': case 'f': return 'F';
    case 'B': return 'B';
    case 'L': case 'l': case 'S': case 's': return 'L';
    case 'R': case 'r': return 'R';
    case 'U': case 'u': return 'U';
    case 'G': case 'g': return 'G';
    case 'X': case 'x': return 'X';
    case 'Y': case 'y': case 'Z': case 'z': return 'Z';
    default: return 0;
    }
}
