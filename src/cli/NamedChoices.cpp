#include "cli/NamedChoices.h"

#include <cctype>
#include <filesystem>
#include <map>

#include "ground/AppFolders.h"
#include "catalogue/Catalogue.h"
#include "catalogue/setup/InstalledData.h"
#include "catalogue/setup/PictureLibrary.h"
#include "catalogue/WizardLists.h"
#include "layout/text/FontEngine.h"
#include "properties/Appearance.h"

namespace {

std::string Lower(const std::string& text)
{
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string Stem(const std::string& file, std::size_t prefixLength)
{
    std::string s = file.substr(prefixLength);
    const std::size_t dot = s.rfind('.');
    return dot == std::string::npos ? s : s.substr(0, dot);
}

// Gives repeated names a " (2)", " (3)" ... so that every listed name is unique.
void MakeNamesUnique(std::vector<SNamedChoice>& choices)
{
    std::map<std::string, int> seen;
    for (SNamedChoice& c : choices) {
        const int n = ++seen[Lower(c.name)];
        if (n > 1) c.name += " (" + std::to_string(n) + ")";
    }
}

// What each gradient shape looks like with colour 1 as A and colour 2 as B.
constexpr const char* kGradientShapes[16] = {
    "colour 2 at the left, colour 1 at the right",
    "colour 2 at the top, colour 1 at the bottom",
    "colour 2 down the middle, colour 1 at the sides",
    "colour 2 across the middle, colour 1 at top and bottom",
    "diagonal, colour 2 at the top left",
    "diagonal, colour 2 at the bottom left",
    "colour 1 along the rising diagonal",
    "colour 1 along the falling diagonal",
    "corner, colour 2 at the top left",
    "corner, colour 2 at the top right",
    "corner, colour 2 at the bottom left",
    "corner, colour 2 at the bottom right",
    "colour 1 in the centre, colour 2 at the corners",
    "colour 2 in the centre, colour 1 at the edges",
    "round, colour 1 in the centre",
    "round, colour 1 at the corners",
};

}  // namespace

int MatchChoice(const std::vector<SNamedChoice>& choices, const std::string& wanted, std::vector<std::string>& candidates)
{
    candidates.clear();
    const std::string w = Lower(wanted);
    if (w.empty()) return -1;
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (Lower(choices[i].name) == w) return static_cast<int>(i);
    // Beginnings first, then any part of a name.
    int found = -1;
    for (const bool anywhere : {false, true}) {
        for (std::size_t i = 0; i < choices.size(); ++i) {
            const std::size_t at = Lower(choices[i].name).find(w);
            if (at != std::string::npos && (anywhere || at == 0)) {
                candidates.push_back(choices[i].name);
                found = static_cast<int>(i);
            }
        }
        if (!candidates.empty()) break;
    }
    if (candidates.size() == 1) {
        candidates.clear();
        return found;
    }
    return -1;
}

const SNamedChoice* FindChoice(const std::vector<SNamedChoice>& choices, const std::string& wanted, const std::string& what,
                               const std::string& listName, std::string& error)
{
    std::vector<std::string> candidates;
    const int i = MatchChoice(choices, wanted, candidates);
    if (i >= 0) return &choices[static_cast<std::size_t>(i)];
    if (candidates.empty()) {
        error = "no " + what + " named \"" + wanted + "\" (see: vantorel-cli list " + listName + ")";
    } else {
        error = "the " + what + " name \"" + wanted + "\" is ambiguous: ";
        for (std::size_t k = 0; k < candidates.size() && k < 8; ++k)
            error += (k ? ", \"" : "\"") + candidates[k] + "\"";
        if (candidates.size() > 8) error += " and " + std::to_string(candidates.size() - 8) + " more";
    }
    return nullptr;
}

std::vector<SNamedChoice> ListTextureChoices(const CAppFolders& folders)
{
    std::vector<SNamedChoice> out;
    for (const std::string& file : ListFolderFiles(folders.GetInternalFolder(), "dtx_*.bmp"))
        out.push_back({Stem(file, 4), file, file});
    MakeNamesUnique(out);
    return out;
}

std::vector<SNamedChoice> ListDiskColourChoices(const CAppFolders& folders, bool zip)
{
    std::vector<SNamedChoice> out;
    const char* pattern = zip ? "dzp_*.bmp" : "dfl_*.bmp";
    for (const PictureChoice& c : ListSubPictureChoices(folders.GetInternalFolder(), pattern, folders.ProgramSettings()))
        out.push_back({c.name.empty() ? Stem(c.file, 0) : c.name, c.file, c.file});
    MakeNamesUnique(out);
    return out;
}

std::vector<SNamedChoice> ListCDImageNameChoices(const CAppFolders& folders)
{
    std::vector<SNamedChoice> out;
    for (const PictureChoice& c : ListCDImageChoices(folders.GetInternalFolder(), folders.ProgramSettings()))
        out.push_back({c.name.empty() ? c.section : c.name, c.section, c.file});
    MakeNamesUnique(out);
    return out;
}

std::vector<SNamedChoice> ListLibraryChoices(const CAppFolders& folders)
{
    std::vector<SNamedChoice> out;
    for (const std::string& folder : ReadLibraryList(folders.GetInternalFolder() + kLibraryListFileName, FindInstalledDataFolder(GetExecutablePath())))
        for (const LibraryEntry& e : ReadLibraryFolder(folder)) {
            const std::string path = ResolveLibraryFile(e, e.path);
            out.push_back({e.name.empty() ? std::filesystem::path(path).stem().string() : e.name, path, path});
        }
    MakeNamesUnique(out);
    return out;
}

std::vector<SNamedChoice> ListFontChoices()
{
    std::vector<SNamedChoice> out;
    for (const std::string& face : CFontEngine::Get().ListTrueTypeFaces()) out.push_back({face, face, ""});
    return out;
}

std::vector<SNamedChoice> ListPatternChoices()
{
    std::vector<SNamedChoice> out;
    for (int n = 131; n <= 193; ++n)
        if (GetPatternBitmap(n) != nullptr) out.push_back({std::to_string(n), std::to_string(n), ""});
    return out;
}

std::vector<SNamedChoice> ListGradientChoices()
{
    std::vector<SNamedChoice> out;
    for (int s = 0; s < 32; ++s) {
        std::string note = kGradientShapes[s % 16];
        if (s >= 16) note += ", colours exchanged";
        out.push_back({std::to_string(s), std::to_string(s), note});
    }
    return out;
}

std::string FindTextureFile(const CAppFolders& folders, const std::string& name, std::string& error)
{
    if (name.find('/') != std::string::npos) return AbsolutePath(name);
    const std::vector<SNamedChoice> choices = ListTextureChoices(folders);
    for (const SNamedChoice& c : choices)
        if (Lower(c.value) == Lower(name)) return c.value;
    const SNamedChoice* c = FindChoice(choices, name, "texture", "textures", error);
    return c ? c->value : std::string();
}

std::string FindLibraryPicture(const CAppFolders& folders, const std::string& name, std::string& error)
{
    const std::vector<SNamedChoice> choices = ListLibraryChoices(folders);
    const SNamedChoice* c = FindChoice(choices, name, "library picture", "library", error);
    return c ? c->value : std::string();
}

std::string AbsolutePath(const std::string& path)
{
    if (path.empty() || path.front() == '/') return path;
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}
