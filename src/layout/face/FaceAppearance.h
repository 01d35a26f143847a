#pragma once
// Changing a face's appearance (colour, gradient, texture, pattern or
// picture) in a document: the one command the desktop program's Face >
// Appearance and the command-line `face` run. Recording the undo step and
// marking the rendering stale are the caller's.

#include <string>

class CAppFolders;
class CSide;
class CVtwinDoc;
struct SideAppearanceAnswer;

// The side's appearance as the appearance page shows it: kind, colours,
// gradient style, pattern and its cell, texture scale (the texture and the
// picture files are not kept by name).
SideAppearanceAnswer GetFaceAppearance(const CSide& side);

// Gives the face `key` the appearance `answer` at its stored base size and
// magnification. A picture is taken at its own resolution; when the face
// picture changes size, the face's draw objects are scaled with it so that
// they keep their place and size on the product. The appearance is built
// aside first: when it is refused (false, with the reason in `error`) the
// face is left exactly as it was.
bool SetFaceAppearance(const CAppFolders& folders, CVtwinDoc& doc, const std::string& key,
                       const SideAppearanceAnswer& answer, std::string& error);
