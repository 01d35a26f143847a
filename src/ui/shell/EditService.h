#pragma once
// What the face editor's panels, bars and dialogs ask of the window: the
// document and the face shown, and one way to change that face's objects. A
// document command runs through RunObjectCommand, which records its undo
// step, marks what shows the objects stale and repaints; the panels never
// reach into the main view or window. The window connects their refreshes to
// its own signals.

#include <QString>

#include <functional>
#include <string>

class CAppFolders;
class CDrawObjectList;
class CUndoStore;
class CVtwinDoc;

class CEditService {
public:
    virtual ~CEditService() = default;

    virtual CVtwinDoc* Document() const = 0;
    // The undo store of the document shown.
    virtual CUndoStore& Undo() const = 0;
    // The program's folders and the user's settings (null in a bare window).
    virtual const CAppFolders* Folders() const = 0;
    // The tab shown: a face's name, "Layout" or "Render" (empty without tabs).
    virtual QString CurrentTabName() const = 0;
    // The face shown ("" on the Render tab).
    virtual std::string CurrentFaceKey() const = 0;
    // Objects of the face shown; null while no face tab is shown.
    virtual CDrawObjectList* CurrentObjects() = 0;
    // Face pixels of the face shown (0 x 0 without one).
    virtual int FaceWidth() const = 0;
    virtual int FaceHeight() const = 0;

    // Runs `command` on the face's objects; when it changed them, records the
    // undo step `description` (taken before) and brings the views up to date.
    // Answers the command's refusal (empty when done).
    virtual std::string RunObjectCommand(const std::string& description,
                                         const std::function<std::string(CDrawObjectList&)>& command) = 0;
    // The selection changed outside a command (a click in a panel).
    virtual void SelectionChanged() = 0;
    // A face's side changed and its undo step is recorded: the rendering is
    // stale, the document modified and the face shown again.
    virtual void FaceChanged() = 0;
    // Shows the tab again (its face picture was made again).
    virtual void RefreshCurrentTab() = 0;
    // The document changed without an undo step of its own.
    virtual void MarkModified() = 0;
    // A line in the status bar (empty: the bar's usual text).
    virtual void ShowStatus(const QString& text) = 0;
};
