#pragma once
// The project view: a tab strip with one tab per face of the product plus
// "Layout" and "Render". A face tab shows the face canvas; beside the tabs is
// the place of the property grid.

#include "layout/edit/LayoutEdit.h"
#include "layout/edit/ZoomState.h"
#include "ui/shell/CommandTable.h"
#include "ui/render/RenderService.h"
#include "ui/shell/EditService.h"

#include <QImage>
#include <QPoint>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QByteArray;
class QLabel;
class QMenu;
class CRenderPage;
class CRenderJob;
class CRenderPipeline;
class CRenderWorker;
class QToolButton;
class CEngineBackend;
class QScrollBar;
class QSplitter;
class QStackedWidget;
class QTabBar;
class CFaceCanvas;
class CMainFrame;
class CRuler;
class CVtwinDoc;
class CUndoStore;

class CVtwinView : public QWidget, public CEditService, public CRenderService {
    Q_OBJECT
public:
    explicit CVtwinView(CMainFrame* frame, QWidget* parent = nullptr);
    ~CVtwinView() override;

    // Supplies the picture shown for a face tab (by tab name).
    using FacePictureSource = std::function<QImage(const QString& face)>;
    void SetFacePictureSource(FacePictureSource source) { m_facePicture = std::move(source); }

    // Deletes all tabs, inserts the given ones, selects the one named `show`
    // (else tab 0) and runs the tab-change step. An empty list shows the
    // empty view.
    void BuildTabs(const QStringList& names, const QString& show = QString());
    // The document's tabs: its faces, "Background", "Layout" and "Render".
    QStringList DocumentTabs() const;
    // Builds the tabs again after the product gained or lost a side, staying
    // on the tab named `show` when it is still there.
    void RebuildTabs(const QString& show);
    QStringList TabNames() const;
    int CurrentTab() const;
    QString CurrentTabName() const override;
    bool SelectTab(const QString& name);
    bool SelectTab(int index);
    // Runs the tab-change step again (the face picture or the tab's data changed).
    void RefreshCurrentTab() override;
    // True when the current tab names a face (not "Layout" nor "Render").
    bool IsFaceTabShown() const;
    // The rulers' and print lines' millimetres for the face shown; the rulers shown or not.
    void UpdateRulers();
    void ShowRulers(bool on);

    // Adds the view's commands (tabs, zoom, tools, edits) to `table`, the
    // window's one table of menu commands.
    void AddCommands(CCommandTable& table);
    // Runs command `id` of that table (the canvas's keys); false when none has that number.
    bool OnCommand(int id);

    CZoomMap& ZoomMap() { return m_zoom; }
    CFaceCanvas* Canvas() const { return m_canvas; }
    // The place for the property grid beside the tabs.
    QWidget* PropertyGridSlot() const { return m_propertySlot; }
    QTabBar* TabBar() const { return m_tabs; }

    // "&Custom Zoom (%d%%)..." with the current face's zoom, or "&Custom Zoom...".
    QString CustomZoomText() const;

    // Face name of a tab command number; empty when the id is no tab command.
    static QString TabNameOfCommand(int id);
    // The tab commands in the order of the View menu.
    static QList<int> TabCommands();

    // Brings the picture of the "Layout" or "Render" tab up to date and shows
    // it: a stale picture is made on the render thread and shown when it comes
    // back; a render in flight for an older state of the document is cancelled.
    void RefreshPicture() override;
    // True while a render is on its way (started and not yet back).
    bool IsRendering() const override;
    // Waits (the window keeps painting; Esc and the status bar's Cancel
    // button stop the render) until no render is on its way. False when the
    // last render was cancelled or failed.
    bool WaitForRendering() override;
    // Renders `job` on a thread of its own (not the tabs' one) and waits as
    // WaitForRendering does, with its progress in the status bar; the job
    // comes back made, failed or cancelled (null for a null job).
    std::shared_ptr<CRenderJob> RenderAside(std::unique_ptr<CRenderJob> job) override;
    // Runs `work` (writing a file) on a thread of its own and waits, the
    // window painting and `status` in the status bar.
    void RunAside(const QString& status, std::function<void()> work) override;
    // Stops the render in flight; the tab keeps its older picture.
    void CancelRendering() override;
    // True while WaitForRendering waits (nothing may replace the document).
    bool IsWaitingForRendering() const { return m_waiting; }
    CRenderPage* RenderPage() const override { return m_renderPage; }
    CRenderPage* LayoutPage() const { return m_layoutPage; }
    CRenderPipeline& Pipeline() override { return *m_pipeline; }
    void ShowRenderTab() override;
    // A click on the rendering at picture pixel (px, py), y down.
    void RepositionFlare(int px, int py);
    // Forgets every prepared render picture (a new or opened project). With
    // `keepPictures` (an edit) the tabs show the older pictures until the new
    // ones come.
    void ResetRenderData(bool keepPictures = false) override;

    // ---- layout editing on the current face ----------------------------------
    // Objects of the current face; null while no face tab is shown.
    CDrawObjectList* CurrentObjects() override;
    std::string CurrentFaceKey() const override;
    int FaceWidth() const override;
    int FaceHeight() const override;
    static std::string FaceKeyOfTab(const QString& name);
    CUndoStore& Undo() const override;
    const CAppFolders* Folders() const override;
    // The document shown (owned by the frame).
    void SetDocument(CVtwinDoc* doc) { m_doc = doc; }
    CVtwinDoc* Document() const override { return m_doc; }
    int IndexOf(const CDrawObject* object);
    // The edit service of the document commands on the current face's
    // objects: runs `command`; when it changed them, records the undo step
    // `description` (taken before) and runs the common epilogue. Answers the
    // command's refusal (empty when done).
    std::string RunObjectCommand(const std::string& description,
                                 const std::function<std::string(CDrawObjectList&)>& command) override;
    // Common epilogue: render data stale, modified, repaint, menus; with
    // `toSelect` the canvas returns to the select tool.
    void AfterEdit(bool toSelect);
    void SelectionChanged() override;
    void FaceChanged() override;
    void ShowStatus(const QString& text) override;
    QMenu* BuildContextMenu();

    // The document's current colours for new objects.
    COLORREF LineColour() const;
    COLORREF FillColour() const;
    void SetLineColour(COLORREF c);
    void SetFillColour(COLORREF c);
    void MarkModified() override;

    // Asks the user for the picture file of a new picture object (sub-tool
    // 14); false when cancelled. Tests install their own answers.
    using InputPrompt = std::function<bool(int subTool, QString& value)>;
    static void SetInputPrompt(InputPrompt prompt);
    // Runs the "Draw Text" or "Draw Barcode" dialog of a new text or barcode
    // (tests drive the dialog themselves); true for OK.
    using ObjectDialogRunner = std::function<bool(class QDialog& dialog)>;
    static void SetObjectDialogRunner(ObjectDialogRunner runner);
    // Runs the Properties dialog (tests answer it themselves); true for OK.
    using PropertiesRunner = std::function<bool(class CObjectPropertiesDialog& dialog)>;
    static void SetPropertiesRunner(PropertiesRunner runner);

    // The private clipboard type of draw objects.
    static QString ClipboardMimeType();

signals:
    void modifiedChanged(bool modified);
    void renderDataStale();
    // The Render tab has just made a new rendering and shows it.
    void renderingMade();
    void tabChanged(const QString& name);
    void commandStateChanged();
    // A render came back (made, failed or cancelled) and none is on its way.
    void renderingDone();
    // A drag on the Render tab turned the product to these angles (degrees);
    // the property grid makes it one edit.
    void turnRequested(int xRotation, int yRotation);
    // The tabs were built again for the document's sides.
    void tabsRebuilt();

private:
    // The steps of the constructor: the tab row over the pages, the face
    // canvas with its rulers and scroll bars, the Layout and Render pages,
    // the render pipeline, and the place of the property grid.
    void BuildTabSide();
    void BuildCanvasPage();
    void BuildRenderPages();
    void SetUpPipeline();
    void BuildPropertySlot();
    void OnTabChanged(int index);
    // Creates the object of a sub-tool from face points and adds it selected.
    void CreateObject(const std::vector<CFacePoint>& points, int subTool);
    void ShowContextMenu(QPoint globalPos);
    void SetZoomLevel(int percent);
    void SetFit();
    void StepZoom(bool in, std::optional<QPoint> anchor = std::nullopt);
    void RunCustomZoom();
    void AddTabCommands(CCommandTable& table);
    void AddZoomCommands(CCommandTable& table);
    void AddToolCommands(CCommandTable& table);
    void AddEditCommands(CCommandTable& table);
    void AddSelectionCommands(CCommandTable& table);
    // Command states: enabled on a face tab; enabled with at least `atLeast` objects selected.
    CCommandTable::StateFn OnFace();
    CCommandTable::StateFn Selecting(int atLeast);
    int SelectedCount();
    // RunObjectCommand; with `toSelect` the canvas returns to the select tool.
    std::string RunFaceCommand(const std::string& description, bool toSelect,
                               const std::function<std::string(CDrawObjectList&)>& command);
    // Records the undo step `templ` (see LayoutEdit::DescribeUndo), changes
    // the current face's objects and returns the canvas to the select tool.
    void EditSelection(const std::string& templ, const std::function<void(CDrawObjectList&)>& change);
    void Duplicate();
    // Make Same Size, or its refusal.
    void MakeSameSize(bool width, bool height, const std::string& description);
    std::unique_ptr<CDrawObject> CreateContentObject(const std::vector<CFacePoint>& points, int subTool);
    // The objects CreateContentObject makes, each after its dialog (null when cancelled).
    std::unique_ptr<CDrawObject> CreateText(const CFacePoint& a, const CFacePoint& b);
    std::unique_ptr<CDrawObject> CreateBarcode(int left, int top, int right, int bottom);
    std::unique_ptr<CDrawObject> CreatePicture(int subTool, const CFacePoint& at);
    // Moves the selected objects by (dx, dy) face pixels. A run of nudges of
    // the same objects on the same face, with nothing else done in between,
    // is one undo step (the one its first nudge recorded).
    void Nudge(int dx, int dy, const std::string& templ);
    void RunColorsDialog();
    // Face > Add Back Face: one undo step; the new tab is shown.
    void RunAddBackFace();
    void RunProperties();
    void DoUndo(bool redo);
    void DoCopy();
    // Paste (one step right and down on the face copied from, the same
    // place relative to the face on another) or Paste In Place (the same
    // coordinates); both keep the objects inside the face.
    void DoPaste(bool inPlace);
    // The two kinds of content Paste takes: the program's own objects, a picture.
    void PasteObjects(const QByteArray& bytes, bool inPlace);
    void PastePicture(const QImage& image);
    bool ClipboardHasContent() const;
    void SetUpRendering();
    void StartRender(const char* code);
    void OnRenderProgress(quint64 id, const QString& status, int percent);
    void OnRenderFinished(quint64 id, const std::shared_ptr<CRenderJob>& job);
    void ShowRenderBusy(bool busy);
    // Runs the event loop until `busy` turns false, the window painting but
    // taking no input except Esc and the Cancel button, which call `cancel`.
    void HoldInputWhile(const std::function<bool()>& busy, std::function<void()> cancel);

    CMainFrame* m_frame = nullptr;
    CCommandTable* m_commands = nullptr;
    CRuler* m_topRuler = nullptr;
    CRuler* m_leftRuler = nullptr;
    QTabBar* m_tabs = nullptr;
    QStackedWidget* m_pages = nullptr;
    QWidget* m_canvasPage = nullptr;
    CFaceCanvas* m_canvas = nullptr;
    QScrollBar* m_hbar = nullptr;
    QScrollBar* m_vbar = nullptr;
    CRenderPage* m_layoutPage = nullptr;
    CRenderPage* m_renderPage = nullptr;
    std::unique_ptr<CRenderPipeline> m_pipeline;
    std::unique_ptr<CEngineBackend> m_backend;
    QLabel* m_emptyLabel = nullptr;
    QLabel* m_location = nullptr;
    QWidget* m_propertySlot = nullptr;
    QSplitter* m_splitter = nullptr;
    CZoomMap m_zoom;
    FacePictureSource m_facePicture;
    bool m_building = false;
    // The render thread of the "Layout" and "Render" tabs and what it is making.
    CRenderWorker* m_worker = nullptr;
    CRenderWorker* m_asideWorker = nullptr;  // cut-outs for the output commands
    quint64 m_jobId = 0;  // the render whose picture is wanted (0: none)
    std::string m_jobCode;
    unsigned long long m_jobCount = 0;  // the cache's change count it started from
    bool m_lastRenderOk = true;
    bool m_waiting = false;
    QToolButton* m_cancelButton = nullptr;
    CVtwinDoc* m_doc = nullptr;
    // The run of nudges that one undo record covers: the undo store's change
    // count right after its last nudge, the face and the objects it moved.
    struct SNudgeRun {
        std::uint64_t undoChange = 0;
        std::string face;
        std::vector<const CDrawObject*> objects;
    };
    std::optional<SNudgeRun> m_nudgeRun;
};
