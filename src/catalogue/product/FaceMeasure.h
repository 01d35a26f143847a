#pragma once
// The size of a face's picture and how many of its pixels make a millimetre
// of the product.

#include <string>

class CProduct;

// The face picture's size in pixels (0 x 0 when it has none).
void GetFacePictureSize(const CProduct& product, const std::string& key, int& width, int& height);

// Face pixels per millimetre of the product across the face; 0 for faces
// without a size in millimetres (the background, the CD-ROM).
double GetFacePixelsPerMillimetre(const CProduct& product, const std::string& key);
