#pragma once
// The picture formats beyond the four that CRaster reads and writes, and the
// file name patterns of every format the program reads.
//
// TIFF is read only: CRaster::Decode and Load take IMAGE_TYPE_TIFF (detection
// tries it after BMP, JPEG, PNG and PCX); Encode and Save refuse it as an
// unknown format.

#include <string>
#include <vector>

constexpr int IMAGE_TYPE_TIFF = 5;

// File name patterns of every picture format the loader reads, lower case
// ("*.bmp", "*.jpg", "*.jpeg", "*.png", "*.pcx", "*.tif", "*.tiff"), for file
// dialogs and folder listings.
const std::vector<std::string>& PictureFilePatterns();
