#include "render/RenderOutput.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <unistd.h>

#include "app/IniFile.h"
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
        "- PNG format produces lossless (meaning the image will be saved exactly as rendered) images, and is a "
        "compressed file format so the files are usually quite small. PNG is generally the best option to choose "
        "if you intend to use your cover image on a web page, within an eBook page, or intend to later (using an "
        "external painting program) convert your image to a low-color format such as GIF.",
        "- BMP format also produces lossless images, but is not compressed which means the files created may be "
        "very large. You should choose BMP if you want to use the cover image as a Splash screen (set using the "
        "Edit Start Up... feature) in eBook created with Tarvell. BMP files are also useful if you need to load "
        "your images into programs which do not support the PNG format. If you intend to later (using an external "
        "painting program) convert your image to a low-color format such as GIF, but your paint program does not "
        "support PNG, then use BMP.",
        "- JPEG is a lossy (meaning some fine detail may be lost and minor distortions may appear in the image "
        "and/or background) compressed format, that was originally designed for storing photographic images. If "
        "you decide to render into JPEG format, you will be prompted for the JPEG Quality setting (between 0 and "
        "100). The larger the value that you enter for JPEG Quality, the less fine detail will be lost, but the "
        "larger the file produced will be.",
        "- PCX is a lossless format, with some compression. It is principally useful if you need to transfer "
        "your image into older graphics software which may not support the other formats, but otherwise we "
        "recommend that you use one of the other formats.",
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

int ImageTypeForFilter(int filter) noexcept
{
    switch (filter) {
    case kFilterBMP: return IMAGE_TYPE_BMP;
    case kFilterJPEG: return IMAGE_TYPE_JPEG;
    case kFilterPCX: return IMAGE_TYPE_PCX;
    default: return IMAGE_TYPE_PNG;
    }
}

const char* ExtensionForFilter(int filter) noexcept
{
    switch (filter) {
    case kFilterBMP: return ".bmp";
    case kFilterJPEG: return ".jpg";
    case kFilterPCX: return ".pcx";
    default: return ".png";
    }
}

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
    const std::string ext = LowerExtension(name);
    if (ext == ".bmp") return kFilterBMP;
    if (ext == ".jpg" || ext == ".jpeg") return kFilterJPEG;
    if (ext == ".pcx") return kFilterPCX;
    return kFilterPNG;
}

int FilterForOutputName(std::string_view name) noexcept
{
    const std::string ext = LowerExtension(name);
    if (ext == ".png") return kFilterPNG;
    const int filter = FilterForFileName(name);
    return filter == kFilterPNG ? 0 : filter;
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
