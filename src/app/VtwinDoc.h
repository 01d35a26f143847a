#pragma once
// One open project: the product (kind, model settings, sides), the draw
// objects of every face and the drawing defaults new objects take. Windows
// and dialogs stay outside; messages the user must see go to a message sink.

#include "app/FaceObjects.h"
#include "app/project/FileStamp.h"
#include "catalogue/product/Product.h"
#include "image/Color.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CAppFolders;
class CArchiveReader;
class CArchiveWriter;
class CUndoStore;

// Shows one message to the user (a message box in the desktop program).
using MessageSink = std::function<void(const std::string& message)>;

// The nine last-used text settings; the text tool copies them into its dialog
// and back as one unit.
struct CTextDefaults {
    COLORREF colour1 = 0x000000;
    COLORREF colour2 = 0x00FFFF;
    std::int32_t bold = 0;
    std::int32_t italic = 0;
    std::int32_t strikeOut = 0;
    std::int32_t underline = 0;
    std::string font;
    std::int32_t size = 48;
    std::int32_t appearance = 0;
    // Smooth text (on for new texts) and how lines are set (alignment 0
    // left .. 3 justified, line and letter spacing in percent of the font
    // size): offered again for the next text while the program runs;
    // project files do not store them.
    bool smooth = true;
    std::uint32_t align = 0;
    std::uint32_t lineSpacing = 100;
    std::int32_t letterSpacing = 0;

    friend bool operator==(const CTextDefaults&, const CTextDefaults&) = default;
};

struct CDrawingDefaults {
    COLORREF fillColour = 0x0000FF;  // given to new filled objects
    COLORREF lineColour = 0xFF0000;  // given to new objects
    CTextDefaults text;

    friend bool operator==(const CDrawingDefaults&, const CDrawingDefaults&) = default;
};

// Face key -> that face's draw objects, in the order the faces were first used
// (which is also the order they are stored in).
using LayoutMap = std::vector<std::pair<std::string, std::unique_ptr<CFaceObjects>>>;

// Everything a project file holds; a load builds one and swaps it in whole.
struct CDocContent {
    bool hasProduct = false;
    std::unique_ptr<CProduct> product;
    LayoutMap layout;
    CDrawingDefaults defaults;
};

// How OpenProject takes a file that could not be read whole.
enum class EDamagedFile {
    Refuse,        // the file is refused, saying what could not be read
    UntitledCopy,  // what could be read opens as an untitled, modified copy, saying what was left out
};

class CVtwinDoc {
public:
    static constexpr const char* kNothingToSave =
        "There is nothing to save: this document holds no product. Use File New to start a project.";

    // `factory` makes the empty object list of a face (the layout layer's);
    // without one the lists keep their stored records unchanged. `undo` is the
    // undo store to empty on new and open; null means the process-wide one.
    explicit CVtwinDoc(FaceObjectsFactory factory = nullptr, CUndoStore* undo = nullptr);
    ~CVtwinDoc();
    CVtwinDoc(const CVtwinDoc&) = delete;
    CVtwinDoc& operator=(const CVtwinDoc&) = delete;

    // ---- messages -----------------------------------------------------------------
    void SetMessageSink(MessageSink sink) { m_Sink = std::move(sink); }
    void ShowMessage(const std::string& message) const;

    // ---- framework document state -------------------------------------------------
    const std::string& GetTitle() const noexcept { return m_Title; }
    void SetTitle(std::string title) { m_Title = std::move(title); }
    const std::string& GetPathName() const noexcept { return m_PathName; }
    // Also makes the file's name (without its folder) the title.
    void SetPathName(std::string path);
    bool IsModified() const noexcept { return m_Modified; }
    // Clearing the flag (saved, opened, new) remembers the undo store's state
    // as the saved one.
    void SetModifiedFlag(bool modified = true) noexcept;
    // Whether undo and redo have led back to the state last saved.
    bool IsAtSavedState() const noexcept;
    CUndoStore& GetUndoStore() noexcept { return *m_Undo; }

    // ---- product ------------------------------------------------------------------
    bool HasProduct() const noexcept { return m_Content.hasProduct && m_Content.product; }
    CProduct* GetProduct() noexcept { return m_Content.product.get(); }
    const CProduct* GetProduct() const noexcept { return m_Content.product.get(); }
    // Replaces the product whole (the old one is deleted) and marks the document modified.
    void SetProduct(std::unique_ptr<CProduct> product);

    // ---- draw objects -------------------------------------------------------------
    std::size_t GetLayoutCount() const noexcept { return m_Content.layout.size(); }
    const std::string& GetLayoutKey(std::size_t index) const { return m_Content.layout.at(index).first; }
    const CFaceObjects& GetLayoutList(std::size_t index) const { return *m_Content.layout.at(index).second; }
    CFaceObjects* FindFaceObjects(std::string_view key) noexcept;
    const CFaceObjects* FindFaceObjects(std::string_view key) const noexcept;
    // The face's list, created empty on first use.
    CFaceObjects& GetFaceObjects(std::string_view key);
    // Replaces (or adds) the list of a face.
    void SetFaceObjects(std::string_view key, std::unique_ptr<CFaceObjects> list);
    // Deletes the whole layout map; lists are recreated when needed.
    void ClearDrawObjects() noexcept { m_Content.layout.clear(); }
    std::unique_ptr<CFaceObjects> MakeFaceObjects() const;

    // ---- drawing defaults ---------------------------------------------------------
    CDrawingDefaults& GetDrawingDefaults() noexcept { return m_Content.defaults; }
    const CDrawingDefaults& GetDrawingDefaults() const noexcept { return m_Content.defaults; }
    void ResetDrawingDefaults() { m_Content.defaults = CDrawingDefaults{}; }

    // ---- tabs of the view: one per face, then "Background", "Layout", "Render" ----
    int GetTabCount() const;
    std::string GetTabName(int index) const;

    // ---- life cycle ---------------------------------------------------------------
    // The empty document: no product, no draw objects, new-document defaults,
    // undo store emptied, title "Untitled". Clears the folders' start-up flag.
    bool OnNewDocument(CAppFolders* folders = nullptr);
    // A confirmed new project: like the empty document but holding `product`
    // (which the new-project step built with its sides). Not modified.
    void NewProject(std::unique_ptr<CProduct> product);
    // Deletes the product and the layout map with everything they own.
    void DeleteContents() noexcept;

    // ---- project files --------------------------------------------------------------
    // Writes the project to `path` through a temporary file in the same folder;
    // the old file is replaced only when the whole project was written. On
    // failure (a document without a product included) a message is shown and
    // the old file is untouched.
    bool SaveProject(const std::string& path);
    // Reads the project at `path`. On failure a message is shown and the
    // document keeps what it held before. A damaged file is taken as
    // `damaged` says; with `needProduct` a file without a product is refused.
    bool OpenProject(const std::string& path, EDamagedFile damaged = EDamagedFile::Refuse,
                     bool needProduct = false);

    // The document's stream itself: writing shows "Out of memory" and fails
    // when an object cannot be written; reading shows its refusal or damage
    // message and keeps the document as it was, else replaces its content and
    // empties the undo store.
    bool Serialize(CArchiveWriter& out);
    bool Serialize(CArchiveReader& in);

    // The project file as this document last read or wrote it (unknown for
    // untitled documents); a save to its path checks it first.
    const SFileStamp& GetDiskStamp() const noexcept { return m_DiskStamp; }
    void SetDiskStamp(const SFileStamp& stamp) { m_DiskStamp = stamp; }

    // Swaps in content read from a file (used by the loader).
    void TakeContent(CDocContent content) noexcept;
    const CDocContent& GetContent() const noexcept { return m_Content; }

private:
    FaceObjectsFactory m_Factory;
    CUndoStore* m_Undo;
    MessageSink m_Sink;
    std::string m_Title = "Untitled";
    std::string m_PathName;
    bool m_Modified = false;
    std::uint64_t m_SavedState = 0;  // the undo store's state id when saved
    CDocContent m_Content;
    SFileStamp m_DiskStamp;
};
