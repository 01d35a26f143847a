#pragma once
// Getting the finished rendering out of the program: Render To Clipboard with
// its failure reasons, Render To File with the "Render File Formats"
// explanation, the save dialog with its four filters and "Set JPEG Quality",
// and the "Rendering Complete" prompt. The decisions (what is asked, what is
// remembered in the user settings) are the render layer's; these are the
// dialogs.

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class CAppFolders;
class CEditService;
class CRaster;
class CRenderService;

class CRenderFormatsDialog : public QDialog {
    Q_OBJECT
public:
    explicit CRenderFormatsDialog(QWidget* parent = nullptr);
    bool DontExplainAgain() const;
    QCheckBox* CheckBox() const { return m_check; }
    QString Explanation() const;

private:
    QPlainTextEdit* m_text = nullptr;
    QCheckBox* m_check = nullptr;
};

class CJpegQualityDialog : public QDialog {
    Q_OBJECT
public:
    CJpegQualityDialog(int quality, QWidget* parent = nullptr);
    void SetText(const QString& text);
    int Quality() const noexcept { return m_quality; }
    void accept() override;

private:
    QLineEdit* m_field = nullptr;
    int m_quality = 100;
};

// Tests answer the dialogs: the runner gets each dialog (the two above) and
// returns its result code (QDialog::Accepted / Rejected). The save dialog is answered by the file chooser hook.
using RenderDialogRunner = std::function<int(QDialog& dialog)>;
using RenderFileChooser = std::function<std::optional<std::pair<QString, int>>(const QString& folder)>;
void SetRenderDialogHooks(RenderDialogRunner runner, RenderFileChooser chooser);

// The save dialog's filters as Qt writes them, in the order of the filter numbers 1..4.
QStringList RenderFileFilters();

// Puts the rendering on the system clipboard as a picture; one with an alpha
// plane (a cut-out) goes with its transparency, as a PNG beside the plain
// picture. False after the message "Unable to copy to the Clipboard.\n\n" +
// the reason was shown.
bool CopyRenderingToClipboard(QWidget* parent, const CRaster& rendering);

// Makes a cut-out (transparent background) for Render To File's fifth filter:
// the picture, owned by the maker, or nullptr (cancelled, or `why` set).
using CutOutMaker = std::function<CRaster*(std::string& why)>;

// Runs a long step (writing the file) away from the user-interface thread
// while the window waits, `status` in the status bar.
using BusyRunner = std::function<void(const QString& status, std::function<void()> work)>;

// Steps 2.. of Render To File on an up-to-date rendering; true when saved.
bool SaveRenderingWithDialogs(QWidget* parent, CRaster& rendering, const CAppFolders* folders,
                              std::string* savedName = nullptr, CutOutMaker makeCutOut = {},
                              BusyRunner runBusy = {});

// The whole commands on the document of `edits`, their dialogs over
// `parent`: the rendering of `renders` is brought up to date first (without
// the Rendering Complete prompt).
void RunRenderToClipboard(QWidget* parent, CEditService& edits, CRenderService& renders);
void RunRenderToFile(QWidget* parent, CEditService& edits, CRenderService& renders);
// Renders the project with its background left out and copies the picture
// with its transparency.
void RunRenderCutOutToClipboard(QWidget* parent, CEditService& edits, CRenderService& renders);

// After the Render tab showed a new rendering it had not shown before: the
// "Rendering Complete" bar at the top of the tab (unless switched off in the
// settings, and only with a data folder, so never in bare window tests).
void OfferRenderComplete(CEditService& edits, CRenderService& renders);

// Puts the bar into the Render tab; its answer stores "Do not ask again" and
// runs what the button asks for. The window calls OfferRenderComplete for
// each rendering the tab makes.
void InstallRenderCompletePrompt(QWidget* parent, CEditService& edits, CRenderService& renders);
