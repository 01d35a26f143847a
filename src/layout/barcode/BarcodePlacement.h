#pragma once
// How large a new barcode is, a module that still scans in the project's
// rendering, and where one added without a place goes: a free corner.

#include <string>

class CDrawBarcode;
class CDrawObjectList;
class CProduct;

// Module size (face pixels) at which a symbol on face `key` is drawn with at
// least kScanModulePixels picture pixels a module in the rendering, and at
// least kScanModuleMm millimetres a module when the rendering is printed at
// the project's resolution.
int GetScanningModule(const CProduct& product, const std::string& key);

// Sizes `code` to that module (within the face) and moves it into the first
// corner of the face that no object of `objects` covers, a margin in from
// the edges: bottom right, bottom left, top right, top left; bottom right
// when none is free. An upright symbol wider than a narrow face is turned a
// quarter when it fits that way.
void PlaceNewBarcode(const CProduct& product, const std::string& key, const CDrawObjectList& objects,
                     CDrawBarcode& code);

// A barcode drawn by hand: its box grown to at least the scanning size from
// its top-left corner (a click gives the scanning size), then moved back
// inside the face where it would leave it.
void GrowBarcodeToScan(const CProduct& product, const std::string& key, CDrawBarcode& code);
