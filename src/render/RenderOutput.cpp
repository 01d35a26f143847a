#include "render/RenderOutput.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <unistd.h>

#include "app/IniFile.h"
#include "image/Raster.h"

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

    const std::string temp = fileName + ".part" + std::to_string(static_cast<long>(::getpid()));
    if (!rendering.Save(temp.c_str(), ImageTypeForFilter(filter))) {
        std::remove(temp.c_str());
        return fail(rendering.GetLastError());
    }
    if (std::rename(temp.c_str(), fileName.c_str()) != 0) {
        std::remove(temp.c_str());
        return fail("The file could not be written.");
    }
    return true;
}
