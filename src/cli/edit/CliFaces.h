#pragma once
// Faces of a product as the command line names them: by their tab names
// ("Front", "Pages (Top)", "CD-ROM", "Background") or side keys ("F", "u"),
// and the sizes that turn millimetres of the product into face pixels.

#include "catalogue/product/FaceMeasure.h"

#include <string>
#include <vector>

class CProduct;

// The side keys of the faces a user edits, in the desktop program's tab order.
std::vector<std::string> GetEditableFaceKeys(const CProduct& product);

// The tab name of a face key ("Front", "CD-ROM").
std::string GetFaceTabName(const std::string& key);

// The key of the face named `name` (any case); empty with `error` set when the
// product has no such face.
std::string FindFaceKey(const CProduct& product, const std::string& name, std::string& error);

// FindFaceKey for the commands that draw on a face: naming the back ("Back",
// "B") of a box or book saved without one gives it its back face first
// (`added` set) rather than refusing.
std::string FindFaceKeyForEdit(CProduct& product, const std::string& name, bool& added, std::string& error);

// "X,Y" in face pixels, or in millimetres turned into face pixels (rounded)
// when `perMm` is positive. False when the text is not two numbers.
bool ParseFacePoint(const std::string& text, double perMm, int& x, int& y);
// "WxH" likewise; both positive.
bool ParseFaceSize(const std::string& text, double perMm, int& width, int& height);

