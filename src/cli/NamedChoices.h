#pragma once
// The choices the command line offers by name (textures, floppy and zip
// disk colours, CD-ROM pictures, library pictures, fonts, patterns and
// gradients) as `list` shows them and the other commands accept them.
// Names match in any case; a name may be shortened to a beginning or a part
// while it stays unambiguous, and an ambiguous one is refused with its
// candidates.

#include <string>
#include <vector>

class CAppFolders;

struct SNamedChoice {
    std::string name;   // what the user types
    std::string value;  // what the program stores: a file name, path, section or number
    std::string note;   // shown by `list` after the name (may be empty)
};

// The index of the choice `wanted` names: an exact name (any case) first,
// else the one name that begins with it, else the one that holds it. -1 when
// none or several match; `candidates` then lists those (empty: none).
int MatchChoice(const std::vector<SNamedChoice>& choices, const std::string& wanted,
                std::vector<std::string>& candidates);

// The choice named `wanted` from `choices` of kind `what` ("texture"); null
// with `error` naming the candidates or the `list` command when none fits.
const SNamedChoice* FindChoice(const std::vector<SNamedChoice>& choices, const std::string& wanted, const std::string& what,
                               const std::string& listName, std::string& error);

// Lists of the data folder and of the program.
std::vector<SNamedChoice> ListTextureChoices(const CAppFolders& folders);          // value: "dtx_*.bmp"
std::vector<SNamedChoice> ListDiskColourChoices(const CAppFolders& folders, bool zip);  // value: "dfl_001.bmp"
std::vector<SNamedChoice> ListCDImageNameChoices(const CAppFolders& folders);      // value: section "c009"
std::vector<SNamedChoice> ListLibraryChoices(const CAppFolders& folders);          // value: full path
std::vector<SNamedChoice> ListFontChoices();
std::vector<SNamedChoice> ListPatternChoices();   // value: "131", "144" ... "193"
std::vector<SNamedChoice> ListGradientChoices();  // value: "0" ... "31"

// A texture by its name ("marble"), file name ("dtx_marble.bmp") or a path
// (any name holding a '/'); empty with `error` set when there is none.
std::string FindTextureFile(const CAppFolders& folders, const std::string& name, std::string& error);
// A library picture's full path; empty with `error` set.
std::string FindLibraryPicture(const CAppFolders& folders, const std::string& name, std::string& error);

// `path` made absolute against the working folder (unchanged when it is).
std::string AbsolutePath(const std::string& path);
