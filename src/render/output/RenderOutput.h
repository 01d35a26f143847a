#pragma once
// Saving the finished rendering to a picture file and the choices remembered
// for it: the format by file-dialog filter (or by extension on the command
// line), the extension rule, the JPEG quality and the last folder.

#include <string>
#include <string_view>

class CIniFile;
class CRaster;

// File-dialog filter numbers, 1-based as the dialog reports them.
// The fifth is PNG with the background left out (a cut-out with an alpha plane).
enum ERenderFilter : int { kFilterPNG = 1, kFilterBMP = 2, kFilterJPEG = 3, kFilterPCX = 4, kFilterPNGCutOut = 5 };

// Image type (as the codecs number them) and extension of a filter; any
// unexpected filter number is PNG.
int ImageTypeForFilter(int filter) noexcept;
const char* ExtensionForFilter(int filter) noexcept;
// The filter whose extension the name ends in (".png", ".bmp", ".jpg",
// ".jpeg", ".pcx", any case); PNG for any other or no extension.
int FilterForFileName(std::string_view name) noexcept;

// The format of an output name given on the command line: by its extension
// as above, and 0 when it has none or one that names a format that is not
// written (".gif", ".tif", ...): such a name is refused, not written as PNG
// under a name that does not say so.
int FilterForOutputName(std::string_view name) noexcept;
// The extensions written, for messages: ".png, .bmp, .jpg, .jpeg and .pcx".
extern const char* const kRenderFormatList;

// Appends the filter's extension when the name has no dot after its last
// slash: "cover" -> "cover.jpg", "cover.v1" stays, "my.dir/cover" -> "my.dir/cover.jpg".
std::string ApplyExtensionRule(std::string_view name, int filter);

// The folder part of a path, up to and including its last slash ("" when none).
std::string FolderOfPath(std::string_view path);

// Texts of the render-to-file flow shown by the desktop program.
extern const char* const kRenderToFileTitle;      // "Render To File" (save dialog title)
extern const char* const kRenderFileFilter;       // the save dialog's filter list
extern const char* const kRenderFormatsTitle;     // "Render File Formats"
extern const char* const kRenderFormatsIntro;     // the text above the explanation box
// The four paragraphs (PNG, BMP, JPEG, PCX) joined by "\r\n\r\n".
std::string GetRenderFormatsExplanation();

// Remembered prompt choices in the user settings ("GUI" section); 1 = do not ask.
int GetPromptRenderNoAsk(const CIniFile* userSettings);
void SetPromptRenderNoAsk(const CIniFile* userSettings, bool noAsk);
int GetPromptFormatNoAsk(const CIniFile* userSettings);
void SetPromptFormatNoAsk(const CIniFile* userSettings, bool noAsk);

class CRenderOutput {
public:
    // `userSettings` may be null (nothing is remembered between runs then).
    explicit CRenderOutput(const CIniFile* userSettings) : m_ini(userSettings) {}

    // "Render" / "JPEGQuality", default 100, brought into 0..100.
    int GetJpegQuality() const;
    void SetJpegQuality(int quality) const;

    // "Dir" / "Render To File": kept in memory and in the settings file.
    std::string GetRememberedFolder();
    void RememberFolderOf(std::string_view fileName);

    // Saves `rendering` under `fileName` (already with its extension) in the
    // filter's format with the JPEG quality `quality` (set for every format).
    // The picture is written to a temporary file next to the target and moved
    // into place only when complete, so a failure never leaves a partial file
    // or destroys an existing one. On failure `message` is "Error rendering to "
    // followed by the file name, and `reason` the encoder's own text.
    static bool SaveRendering(CRaster& rendering, const std::string& fileName, int filter,
                              int quality, std::string& message, std::string& reason);

private:
    const CIniFile* m_ini;
    std::string m_folder;
    bool m_folderLoaded = false;
};
