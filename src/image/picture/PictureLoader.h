#pragma once
// The program's picture loader: reads a picture file of any supported format
// and returns it as a new 24-bit picture, or a sentence for the user.

#include <memory>
#include <string>

class CRaster;

// On success returns the picture and leaves `message` empty; on failure
// returns null and sets `message` to the text to show (it names the file).
// Files whose name contains ".enc." have their colour channels rotated back
// (see RotateEncodedChannels).
std::unique_ptr<CRaster> LoadPicture(const std::string& fileName, std::string& message);

// The channel rotation of the program's own ".enc." picture files, as applied
// after loading: new blue = old red, new green = old blue, new red = old green.
void RotateEncodedChannels(CRaster& image) noexcept;
// The opposite rotation, applied before such a file is written, so that
// loading it gives back the original colours.
void RotateChannelsForEncoding(CRaster& image) noexcept;
