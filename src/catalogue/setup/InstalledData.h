#pragma once
// The folder of the read-only data installed with the program (model
// thumbnails, textures, CD position pictures, picture library). The first-run
// setup copies what the program reads from the internal folder out of it.
//
// Looked for, in this order, as the first folder that holds the thumbnail
// "dmo_box_001.bmp": beside the executable in ../share/vantorel/data, the
// install folder compiled in (VT_INSTALL_DATA_DIR), and the build tree's data
// folder compiled in (VT_BUILD_DATA_DIR).

#include <string>
#include <vector>

// Candidate folders for an executable at `executablePath` (may be empty).
std::vector<std::string> GetInstalledDataCandidates(const std::string& executablePath);

// The first candidate that holds the data, or empty when none does.
std::string FindInstalledDataFolder(const std::string& executablePath);

// Path of the running executable (from /proc/self/exe), empty when unknown.
std::string GetExecutablePath();

// The user manual's first page: beside the executable in
// ../share/doc/vantorel/manual, the install folder compiled in
// (VT_INSTALL_MANUAL_DIR), then the source tree's docs/manual compiled in
// (VT_SOURCE_MANUAL_DIR). Empty when none holds "index.html".
std::string FindUserManual(const std::string& executablePath);
