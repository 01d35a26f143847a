#pragma once
// PNG files written by libpng directly, for inputs the program's own encoder
// never makes (16-bit and grey samples, interlacing, palette transparency).

#include <gtest/gtest.h>

#include <png.h>

#include <cstdint>
#include <vector>

// rows[i] is the i-th stored row (top first), already in the file's sample layout.
inline std::vector<std::uint8_t> MakePng(int w, int h, int depth, int colorType,
                                         const std::vector<std::vector<std::uint8_t>>& rows, bool interlaced = false,
                                         const std::vector<png_color>& palette = {},
                                         const std::vector<png_byte>& trans = {})
{
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        ADD_FAILURE() << "test PNG writer failed";
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t length) {
            auto* bytes = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
            bytes->insert(bytes->end(), data, data + length);
        },
        nullptr);
    png_set_IHDR(png, info, w, h, depth, colorType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    if (!trans.empty())
        png_set_tRNS(png, info, trans.data(), static_cast<int>(trans.size()), nullptr);
    png_write_info(png, info);
    std::vector<png_bytep> pointers;
    for (const auto& r : rows)
        pointers.push_back(const_cast<png_bytep>(r.data()));
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}
