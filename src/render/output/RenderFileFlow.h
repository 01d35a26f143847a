#pragma once
// The Render To File command and the Rendering Complete prompt without their
// dialogs: the desktop program supplies the dialogs as callbacks, this code
// decides what is asked, in which order, what is remembered and what is said.

#include <functional>
#include <optional>
#include <string>

class CIniFile;
class CRaster;
class CRenderOutput;

struct SSaveChoice {
    std::string fileName;  // as typed in the dialog
    int filter = 1;        // 1-based filter index
};

struct SRenderFileDialogs {
    // Render File Formats: returns false on Cancel; sets `dontExplain` to the
    // state of its check box.
    std::function<bool(bool& dontExplain)> explainFormats;
    // The save dialog, starting in `folder` (may be empty); nothing on Cancel.
    std::function<std::optional<SSaveChoice>(const std::string& folder)> chooseFile;
    // Set JPEG Quality, pre-filled with `quality` (0..100); nothing on Cancel.
    std::function<std::optional<int>(int quality)> chooseJpegQuality;
    // Shows a message box.
    std::function<void(const std::string& message)> showMessage;
    // The transparent-background filter: renders the cut-out (the picture
    // with its alpha plane, owned by the caller) under the caller's progress
    // display; nullptr when it was cancelled, or with `why` set when it could
    // not be made.
    std::function<CRaster*(std::string& why)> makeCutOut;
    // Runs `write` (encoding and writing the file `name`) under the caller's
    // progress display, off the caller's thread if it likes; when unset it
    // runs in place.
    std::function<void(const std::string& name, const std::function<void()>& write)> writeFile;
};

enum class ERenderFileResult { Saved, Cancelled, Failed };

// Steps 2 to 7 of Render To File on an up-to-date rendering.
ERenderFileResult RunRenderToFile(CRaster& rendering, CRenderOutput& output, const CIniFile* userSettings,
                                  const SRenderFileDialogs& dialogs, std::string* savedName = nullptr);

// The Rendering Complete prompt's buttons.
enum ERenderCompleteChoice : int { kRenderCompleteCopy = 1, kRenderCompleteNo = 2, kRenderCompleteSave = 1211 };

// After the Render tab rendered a new picture: whether the Rendering Complete
// prompt is offered. Not while `suppressed` (the output commands render with
// it suppressed) nor once "PromptRenderNoAsk" is 1 (the prompt's check box,
// stored with SetPromptRenderNoAsk when it is answered).
bool IsRenderCompleteOffered(bool suppressed, const CIniFile* userSettings);
