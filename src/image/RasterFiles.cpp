#include "image/Raster.h"

#include "image/ByteStream.h"

// Temporary entry points until the codecs are in.
bool CRaster::Load(const char*, int) { SetLastError("Decode: Unknown or wrong format"); return false; }
bool CRaster::Decode(CByteStream&, int) { SetLastError("Decode: Unknown or wrong format"); return false; }
bool CRaster::Decode(const std::uint8_t*, std::size_t, int) { SetLastError("Decode: Unknown or wrong format"); return false; }
bool CRaster::Save(const char*, int) { SetLastError("Encode: Unknown format"); return false; }
bool CRaster::Encode(CByteStream&, int) { SetLastError("Encode: Unknown format"); return false; }
bool CRaster::CreateFromDIB(const std::uint8_t*, std::size_t) { SetLastError("Decode: Unknown or wrong format"); return false; }
