#pragma once
// The picture lists the wizard and property pages offer, read from the
// internal folder: textures ("dtx_*.bmp"), CD-ROM pictures ("dcd_*.bmp"),
// sub-pictures (the model's SUBW pattern, such as "dfl_*.bmp") and the CD
// position pictures ("dcx_NNN.bmp" for box kinds, "dck_NNN.bmp" for the
// others, NNN being the CD Position value).

#include <string>
#include <vector>

class CIniFile;
class CProduct;

// True when `name` matches `pattern`, where '*' stands for any run of
// characters and '?' for one; letters match without regard to case.
bool MatchFilePattern(const std::string& pattern, const std::string& name) noexcept;

// File names (without folder) in `folder` matching `pattern`, sorted.
std::vector<std::string> ListFolderFiles(const std::string& folder, const std::string& pattern);

struct PictureChoice {
    std::string file;    // file name in the internal folder ("dcd_c009.bmp")
    std::string section; // catalogue section ("c009" for CD-ROM pictures, else the file name)
    std::string name;    // display name from "Alias" (empty when there is none)
};

// CD-ROM pictures: each "dcd_" + section + ".bmp" with its "Alias" name.
std::vector<PictureChoice> ListCDImageChoices(const std::string& internalFolder, const CIniFile& programSettings);

// Sub-pictures of a media model: the files matching its pattern, with the
// name part before the first "/" of their "Alias".
std::vector<PictureChoice> ListSubPictureChoices(const std::string& internalFolder, const std::string& pattern,
                                                 const CIniFile& programSettings);

struct CDPositionChoice {
    int value;          // the CD Position setting
    const char* name;   // its name in the kind's list
    std::string file;   // the picture ("dcx_003.bmp")
};

// The CD position list of the product's kind with the picture of each entry.
std::vector<CDPositionChoice> GetCDPositionChoices(const CProduct& product);
