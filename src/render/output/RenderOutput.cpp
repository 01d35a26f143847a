#include "render/output/RenderOutput.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <unistd.h>

#include "ground/IniFile.h"
#include "image/picture/PictureCodecs.h"
#include "image/Raster.h"

const char* const kRenderToFileTitle = "Render To File";
const char* const kRenderFileFilter =
    "Portable Network Graphics (PNG)|*.png|Windows Bitmap (BMP)|*.bmp|JPEG Bitmap (JPEG)|*.jpg;*.jpeg|"
    "PC PaintBrush (PCX)|*.pcx|Portable Network Graphics, transparent background (PNG)|*.png||";
const char* const kRenderFormatsTitle = "Render File Formats";
const char* const kRenderFormatsIntro =
    "You are about to be prompted for the file name and format to render to. Which format you choose can "
    "greatly affect the quality and file size of the resulting file.  Here is how to choose:";

std::string GetRenderFormatsExplanation()
{
    static const char* const kParagraphs[] = {
        "- PNG keeps every pixel exactly as rendered and compresses it without loss, so the files stay small. "
        "It is the best choice for web pages, documents and further work in a painting program.",
        "- BMP also keeps every pixel, but without compression, so the files can be very large. Choose it for "
        "programs that do not read PNG.",
        "- JPEG is made for photographs: the files are small, but fine detail may be lost and slight distortions "
        "may appear. You will be asked for the JPEG Quality (0 to 100): the larger the value, the more detail is "
        "kept and the larger the file.",
        "- PCX keeps every pixel with a little compression. It is useful only for older graphics programs that "
        "read none of the other formats.",
        "- PNG with a transparent background is the same format with the background left out: only the product, "
        "its shadows and its reflection remain, ready to be placed over any other picture. It is rendered anew, "
        "which takes as long as the rendering itself.",
    };
    std::string text;
    for (const char* p : kParagraphs) {
        if (!text.empty()) text += "\r\n\r\n";
        text += p;
    }
    return text;
}

int GetPromptRenderNoAsk(const CIniFile* ini) { return ini ? ini->GetInt("GUI", "PromptRenderNoAsk", 0) : 0; }
void SetPromptRenderNoAsk(const CIniFile* ini, bool noAsk)
{
    if (ini) ini->PutInt("GUI", "PromptRenderNoAsk", noAsk ? 1 : 0);
}
int GetPromptFormatNoAsk(const CIniFile* ini) { return ini ? ini->GetInt("GUI", "PromptFormatNoAsk", 0) : 0; }
void SetPromptFormatNoAsk(const CIniFile* ini, bool noAsk)
{
    if (ini) ini->PutInt("GUI", "PromptFormatNoAsk", noAsk ? 1 : 0);
}

namespace {

// The formats a rendering is saved in, one row each: the dialog filter and
// the codec's image type, whose row of the codec table gives the extensions
// (the first is the one appended). kRenderFileFilter and kRenderFormatList
// above show the same rows.
struct SRenderFormat {
    ERenderFilter filter;
    int imageType;

    const SPictureCodec& Codec() const noexcept { return *FindPictureCodec(imageType); }
};

constexpr SRenderFormat kRenderFormats[] = {
    {kFilterPNG, IMAGE_TYPE_PNG},
    {kFilterBMP, IMAGE_TYPE_BMP},
    {kFilterJPEG, IMAGE_TYPE_JPEG},
    {kFilterPCX, IMAGE_TYPE_PCX},
    {kFilterPNGCutOut, IMAGE_TYPE_PNG},
};

// The row of a filter; any unexpected number is PNG.
const SRenderFormat& FormatOfFilter(int filter) noexcept
{
    for (const SRenderFormat& f : kRenderFormats)
        if (f.filter == filter)
            return f;
    return kRenderFormats[0];
}

// The first row with the extension (lower case, with its dot), or nullptr.
const SRenderFormat* FormatOfExtension(std::string_view ext) noexcept
{
    const SPictureCodec* codec = FindPictureCodecByExtension(ext);
    for (const SRenderFormat& f : kRenderFormats)
        if (codec && f.imageType == codec->imageType)
            return &f;
    return nullptr;
}

}  // namespace

int ImageTypeForFilter(int filter) noexcept { return FormatOfFilter(filter).imageType; }

const char* ExtensionForFilter(int filter) noexcept { return FormatOfFilter(filter).Codec().extensions[0]; }

namespace {

std::size_t LastSlash(std::string_view s) noexcept { return s.find_last_of('/'); }

std::string LowerExtension(std::string_view name)
{
    const std::size_t slash = LastSlash(name);
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
    std::string ext(name.substr(dot));
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

}  // namespace

int FilterForFileName(std::string_view name) noexcept
{
    const SRenderFormat* f = FormatOfExtension(LowerExtension(name));
    return f ? f->filter : kFilterPNG;
}

int FilterForOutputName(std::string_view name) noexcept
{
    const SRenderFormat* f = FormatOfExtension(LowerExtension(name));
    return f ? f->filter : 0;
}

const char* const kRenderFormatList = ".png, .bmp, .jpg, .jpeg and .pcx";

std::string ApplyExtensionRule(std::string_view name, int filter)
{
    std::string result(name);
    const std::size_t slash = LastSlash(name);
    const std::size_t dot = name.find_last_of('.');
    const bool hasExtension = dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
    if (!hasExtension) result += ExtensionForFilter(filter);
    return result;
}

std::string FolderOfPath(std::string_view path)
{
    const std::size_t slash = LastSlash(path);
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

int CRenderOutput::GetJpegQuality() const
{
    const int q = m_ini ? m_ini->GetInt("Render", "JPEGQuality", 100) : 100;
    return std::clamp(q, 0, 100);
}

void CRenderOutput::SetJpegQuality(int quality) const
{
    if (m_ini) m_ini->PutInt("Render", "JPEGQuality", std::clamp(quality, 0, 100));
}

std::string CRenderOutput::GetRememberedFolder()
{
    if (!m_folderLoaded && m_ini) {
        m_folder = m_ini->GetString("Dir", "Render To File", "");
        m_folderLoaded = true;
    }
    return m_folder;
}

void CRenderOutput::RememberFolderOf(std::string_view fileName)
{
    m_folder = FolderOfPath(fileName);
    m_folderLoaded = true;
    if (m_ini) m_ini->PutString("Dir", "Render To File", m_folder);
}

bool CRenderOutput::SaveRendering(CRaster& rendering, const std::string& fileName, int filter,
                                  int quality, std::string& message, std::string& reason)
{
    message.clear();
    reason.clear();
    auto fail = [&](const char* why) {
        message = "Error rendering to " + fileName;
        reason = why ? why : "";
        return false;
    };
    if (!rendering.IsValid()) return fail("There is no rendered picture.");
    if (fileName.empty()) return fail("No file name was given.");
    rendering.SetJpegQuality(std::clamp(quality, 0, 100));

    // The picture's own save replaces the file whole or leaves it untouched.
    if (!rendering.Save(fileName.c_str(), ImageTypeForFilter(filter))) return fail(rendering.GetLastError());
    return true;
}
