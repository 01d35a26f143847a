#pragma once
// JPEG files written by libjpeg directly, for inputs the program's own
// encoder never makes (inks, orientation segments, density units).

#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <vector>

struct STestJpegError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

// A picture of flat 16 x 16 blocks (whole MCUs even with 2 x 2 sampling, so
// quality 100 gives every block back flat); block (bx, by) counts from the
// top-left and has the samples blocks[by * columns + bx].
struct SBlockPicture {
    int columns = 1;
    int rows = 1;
    int components = 3;
    std::vector<std::vector<std::uint8_t>> blocks;
};

struct SJpegOptions {
    J_COLOR_SPACE input = JCS_RGB;
    J_COLOR_SPACE stored = JCS_YCbCr;
    bool adobeMarker = true;          // only used for CMYK and YCCK
    std::vector<std::uint8_t> app1{}; // an APP1 segment body to write, if any
};

inline std::vector<std::uint8_t> WriteJpeg(const SBlockPicture& p, const SJpegOptions& o)
{
    jpeg_compress_struct cinfo;
    STestJpegError err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<STestJpegError*>(c->err)->jump, 1); };
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        ADD_FAILURE() << "test JPEG writer failed";
        return {};
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    const int w = p.columns * 16;
    const int h = p.rows * 16;
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = p.components;
    cinfo.in_color_space = o.input;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, o.stored);
    if (o.stored == JCS_CMYK || o.stored == JCS_YCCK) cinfo.write_Adobe_marker = o.adobeMarker ? TRUE : FALSE;
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    if (!o.app1.empty())
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, o.app1.data(), static_cast<unsigned>(o.app1.size()));
    std::vector<std::uint8_t> row(static_cast<std::size_t>(w) * p.components);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < w; ++x) {
            const auto& block = p.blocks[(y / 16) * p.columns + x / 16];
            for (int c = 0; c < p.components; ++c) row[x * p.components + c] = block[c];
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}
