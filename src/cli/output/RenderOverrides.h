#pragma once
// Changes made for one rendering only (render --set/--var/--picture/--barcode,
// the jobs of a batch): render settings, words filled into the texts of the
// project, barcode data and face pictures. The project file is never
// written with them.

#include "layout/text/TextVariables.h"

#include <string>
#include <utility>
#include <vector>

class CAppFolders;
class CVtwinDoc;
struct SArgs;

struct SRenderOverrides {
    std::vector<std::string> settings;                             // "NAME=VALUE", as set takes them
    CTextVariables variables;                                      // NAME -> text for "{NAME}"
    std::vector<std::pair<std::string, std::string>> pictures;     // FACE -> picture file
    std::vector<std::pair<std::string, std::string>> barcodes;     // FACE -> data of its barcodes
};

// Reads the repeated --set, --var, --picture and --barcode options; false with the
// message printed when one is not NAME=VALUE.
bool ReadRenderOverrides(const SArgs& args, SRenderOverrides& overrides);

// Applies the overrides to the open document: settings with the property
// grid's checks, each face picture at its own resolution with the face's objects
// scaled to it (stretched to the face's proportions), "{NAME}" replaced
// in every text and the data of every barcode of a face given (each object's
// box refitted to its new content).
// The exit code: 0 done; 2 (with `error` set) when a name or value is refused,
// 1 when a picture can not be read; the document is then unusable.
int ApplyRenderOverrides(const CAppFolders& folders, CVtwinDoc& doc, const SRenderOverrides& overrides,
                          bool assumeYes, std::string& error);
