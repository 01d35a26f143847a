#pragma once
// The folders and settings files the program uses. Built once at start-up from
// the data root (the --data-dir option, else $XDG_DATA_HOME/vantorel, else
// ~/.local/share/vantorel) and passed to whoever needs it. Every folder path
// ends with '/'. Creating the value creates every missing folder.

#include "ground/IniFile.h"
#include "ground/UndoFileCounter.h"
#include "properties/UserPrompts.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class CAppFolders {
public:
    // dataRoot empty: the default root from the environment. On failure returns
    // nothing and sets `error` to a message naming the folder.
    static std::optional<CAppFolders> Create(const std::string& dataRoot, std::string& error);

    // The default data root for the given environment values (either may be null
    // or empty). Empty when neither gives an absolute path.
    static std::string GetDefaultDataRoot(const char* xdgDataHome, const char* home);

    const std::string& GetProgramFolder() const noexcept { return m_Program; }
    const std::string& GetInternalFolder() const noexcept { return m_Internal; }
    const std::string& GetProjectsFolder() const noexcept { return m_Projects; }
    const std::string& GetImagesFolder() const noexcept { return m_Images; }
    const std::string& GetRenderFolder() const noexcept { return m_Render; }
    const std::string& GetProgramSettingsFile() const noexcept { return m_ProgramIni.GetPath(); }
    const std::string& GetUserSettingsFile() const noexcept { return m_UserIni.GetPath(); }

    // Set when created; cleared once the first document exists.
    bool IsStartingUp() const noexcept { return m_StartingUp; }
    void ClearStartUpFlag() noexcept { m_StartingUp = false; }

    // Program settings (vtwin.ini).
    const CIniFile& ProgramSettings() const noexcept { return m_ProgramIni; }
    std::string GetProgramString(std::string_view section, std::string_view key,
                                 std::string_view def = {}) const {
        return m_ProgramIni.GetString(section, key, def);
    }
    std::int32_t GetProgramInt(std::string_view section, std::string_view key, std::int32_t def = 0) const {
        return m_ProgramIni.GetInt(section, key, def);
    }
    bool PutProgramString(std::string_view section, std::string_view key, std::string_view value) const {
        return m_ProgramIni.PutString(section, key, value);
    }
    bool PutProgramInt(std::string_view section, std::string_view key, std::int32_t value) const {
        return m_ProgramIni.PutInt(section, key, value);
    }

    // User settings (vtprof.ini).
    const CIniFile& UserSettings() const noexcept { return m_UserIni; }
    std::string GetUserString(std::string_view section, std::string_view key,
                              std::string_view def = {}) const {
        return m_UserIni.GetString(section, key, def);
    }
    std::int32_t GetUserInt(std::string_view section, std::string_view key, std::int32_t def = 0) const {
        return m_UserIni.GetInt(section, key, def);
    }
    bool PutUserString(std::string_view section, std::string_view key, std::string_view value) const {
        return m_UserIni.PutString(section, key, value);
    }
    bool PutUserInt(std::string_view section, std::string_view key, std::int32_t value) const {
        return m_UserIni.PutInt(section, key, value);
    }

    // Internal folder + "_undo%03d.tua".
    std::string GetUndoFileName(int number) const;

    // Start-up of the one instance that owns this data folder: points the undo
    // file counter at the internal folder and deletes the 25 undo files there.
    void ClaimUndoFiles(CUndoFileCounter& counter = CUndoFileCounter::Instance()) const;
    // Removes the temporary files that a killed save left in the internal,
    // projects and render folders (only those of processes no longer running,
    // so any program may do this at any time). Returns how many went.
    int RemoveLeftoverSaveFiles() const;

private:
    CAppFolders(std::string program);

    std::string m_Program, m_Internal, m_Projects, m_Images, m_Render;
    CIniFile m_ProgramIni, m_UserIni;
    bool m_StartingUp = true;
};

// Checks a folder the user typed: an absolute POSIX path whose components are
// not empty, ".", "..", and do not begin or end with a space or tab nor contain
// control characters. A missing folder is offered for creation through `ask`;
// messages go to `inform`. Returns whether the folder is accepted (and exists).
bool CheckFolder(const std::string& path, const QuestionCallback& ask, const MessageSink& inform);
