#pragma once
// The picture library: a list of library folders (the "Library" section of the
// list file "vudarivu.ini", which lives in the internal folder), and in each
// folder a description file "vtlib.ini" that numbers its pictures.
//
// Description file: keys "<n>.<Field>" with the fields Thumb, Image, Name,
// Info, Credit, Copyright, Path, Width, Height. Section "Default" holds entry 0,
// whose values stand in for every key a picture lacks; section "Image" holds
// the pictures from 1 up. Reading stops at the first picture whose Path, after
// defaulting, is empty.

#include <string>
#include <vector>

class CIniFile;

struct LibraryEntry {
    std::string folder;    // the library folder, ending with '/'
    std::string thumb;     // thumbnail file
    std::string image;     // picture file
    std::string name;      // display name
    std::string info;      // description
    std::string credit;    // photographer credit
    std::string copyright; // copyright note
    std::string path;      // location of the picture; never empty in a read list
    int width = 0;         // pixels
    int height = 0;        // pixels
};

// Name of the list file in the internal folder and of each folder's description file.
inline constexpr const char* kLibraryListFileName = "vudarivu.ini";
inline constexpr const char* kLibraryDescriptionFileName = "vtlib.ini";

// Reads the folders of the "Library" section: each line names a folder, the
// text after the first '=' or the whole line; a '/' is appended when missing.
// Blank lines and ';' comments are skipped. At most 30000 characters of the
// section are read. A missing file gives an empty list; a file that cannot be
// read (or is not a file: "<path> is not a file.") gives an empty list and,
// when `error` is given, the reason there. Never blocks. A relative folder
// (the installed libraries, as the first-run setup lists them) is taken
// inside `installedDataFolder`, so the list follows the program wherever it
// is installed; without that folder it stays relative.
std::vector<std::string> ReadLibraryList(const std::string& listFile, const std::string& installedDataFolder = {},
                                         std::string* error = nullptr);
// The same from the list file's text.
std::vector<std::string> ParseLibraryList(const std::string& text);

// Reads the pictures of one library folder (with or without the trailing '/').
// A missing or unreadable description file gives an empty list, with the
// reason in `error` (when given) for any but a missing one.
std::vector<LibraryEntry> ReadLibraryFolder(const std::string& folder, std::string* error = nullptr);
// The same from the description file's text.
std::vector<LibraryEntry> ParseLibraryDescription(const std::string& folder, const std::string& text);

// Full path of a file named by an entry (thumb, image or path): absolute names
// stay, relative ones are taken inside the entry's folder; empty stays empty.
std::string ResolveLibraryFile(const LibraryEntry& entry, const std::string& fileName);

// The text of the "Image Info" message for an entry.
std::string FormatLibraryImageInfo(const LibraryEntry& entry);

// Remembered state of the library dialog's tree in the user settings file,
// section "DlgLibrary": "Tree" is the item selected last, and every item with
// a non-empty text has 1 (expanded) or 0 (collapsed) under its text.
class CLibraryTreeState {
public:
    explicit CLibraryTreeState(const CIniFile& userSettings) : m_Ini(userSettings) {}

    std::string GetSelection() const;
    bool SetSelection(const std::string& itemText) const;
    bool IsExpanded(const std::string& itemText) const;
    // Items with an empty text are not remembered (returns false).
    bool SetExpanded(const std::string& itemText, bool expanded) const;

private:
    const CIniFile& m_Ini;
};
