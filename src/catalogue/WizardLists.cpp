#include "catalogue/WizardLists.h"

#include "ground/IniFile.h"
#include "catalogue/Catalogue.h"
#include "catalogue/product/Product.h"
#include "properties/settings/SettingTable.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

bool MatchFilePattern(const std::string& pattern, const std::string& name) noexcept
{
    // Iterative wildcard match: on a mismatch after a '*', the star absorbs
    // one more character and matching resumes behind it.
    std::size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
    auto same = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || (pattern[p] != '*' && same(pattern[p], name[n])))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::vector<std::string> ListFolderFiles(const std::string& folder, const std::string& pattern)
{
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(folder, ec)) {
        const std::string name = item.path().filename().string();
        if (item.is_regular_file(ec) && MatchFilePattern(pattern, name))
            files.push_back(name);
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<PictureChoice> ListCDImageChoices(const std::string& internalFolder, const CIniFile& programSettings)
{
    std::vector<PictureChoice> choices;
    CIniDocument ini;
    ini.Load(programSettings.GetPath());
    for (const std::string& file : ListFolderFiles(internalFolder, "dcd_*.bmp")) {
        const std::string section = file.substr(4, file.size() - 8); // between "dcd_" and ".bmp"
        choices.push_back(PictureChoice{file, section, ini.GetString("Alias", section)});
    }
    return choices;
}

std::vector<PictureChoice> ListSubPictureChoices(const std::string& internalFolder, const std::string& pattern,
                                                 const CIniFile& programSettings)
{
    std::vector<PictureChoice> choices;
    CIniDocument ini;
    ini.Load(programSettings.GetPath());
    for (const std::string& file : ListFolderFiles(internalFolder, pattern))
        choices.push_back(PictureChoice{file, file, GetListName(ini.GetString("Alias", file))});
    return choices;
}

std::vector<CDPositionChoice> GetCDPositionChoices(const CProduct& product)
{
    std::vector<CDPositionChoice> choices;
    const bool box = product.UsesBoxCDPositions() != 0;
    for (const SettingValueName& e : GetValueNames(box ? ChoiceList::CDPositionBox : ChoiceList::CDPositionBook)) {
        char file[32];
        std::snprintf(file, sizeof file, "%s_%03d.bmp", box ? "dcx" : "dck", e.value);
        choices.push_back(CDPositionChoice{e.value, e.name, file});
    }
    return choices;
}
