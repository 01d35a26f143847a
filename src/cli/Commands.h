#pragma once
// The commands of vantorel-cli. Each returns the process exit code: 0 done,
// 1 the command failed (message on stderr; for batch: at least one job
// failed), 2 the command line was wrong.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ground/AppFolders.h"
#include "cli/CliSupport.h"

class CProduct;
class CTemplateCache;
struct CatalogueEntry;
struct NewProjectAnswers;

struct SCliContext {
    std::string dataDir;  // --data-dir, empty for the default data root
    bool quiet = false;   // --quiet: no progress bar
    bool assumeYes = false;
    // A batch worker's projects read before (null: every command reads its file).
    CTemplateCache* templates = nullptr;
    // The data folder's leftovers of killed saves were removed by this
    // process already (a batch worker after its first job): not looked for again.
    bool foldersSwept = false;
};

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int RunNew(const SCliContext& context, const std::vector<std::string>& args);
int RunRender(const SCliContext& context, const std::vector<std::string>& args);
int RunInfo(const SCliContext& context, const std::vector<std::string>& args);
int RunSet(const SCliContext& context, const std::vector<std::string>& args);
int RunList(const SCliContext& context, const std::vector<std::string>& args);
int RunFace(const SCliContext& context, const std::vector<std::string>& args);
int RunAdd(const SCliContext& context, const std::vector<std::string>& args);
int RunObjects(const SCliContext& context, const std::vector<std::string>& args);
int RunRemove(const SCliContext& context, const std::vector<std::string>& args);
int RunSetObject(const SCliContext& context, const std::vector<std::string>& args);
int RunTurntable(const SCliContext& context, const std::vector<std::string>& args);
int RunBatch(const SCliContext& context, const std::vector<std::string>& args);
int RunExport(const SCliContext& context, const std::vector<std::string>& args);
// The kind of file `export` writes to `path`, by its ending in any case:
// 'p' the artwork PDF (.pdf), 'g' the 3D model (.glb), 0 neither.
char ExportKindOf(const std::string& path) noexcept;

// The file name of turntable frame `number` from a pattern holding one
// "%d", "%3d" or "%03d" ("%%" stands for "%"); empty when the pattern is not
// of that form.
std::string FormatFrameName(const std::string& pattern, int number);

// Renders the open document into its "z" picture, with a progress bar on
// stderr unless `quiet`; false with the message printed.
class CVtwinDoc;
bool RenderDocument(CVtwinDoc& doc, bool quiet);
// The same on `threads` drawing threads (0: one per core), as a cut-out when
// `transparent`; Ctrl+C during `render` cancels it.
bool RenderDocument(CVtwinDoc& doc, bool quiet, int threads, bool transparent);

// The data folders of the --data-dir root (or the default one), created when
// missing and, when `prepare`, set up as the first start of the desktop program
// sets them up (every command but setup itself); empty, with the message
// printed, when they can not be.
std::optional<CAppFolders> OpenFolders(const SCliContext& context, bool prepare = true);

// The product of catalogue model `entry` built by the new-project step (the
// data folder is set up). The CD-ROM picture and
// sub-picture pages take their first entries; the magnification is stored in
// the render settings afterwards. Null, with the message printed, on failure.
std::unique_ptr<CProduct> BuildCliProduct(const CAppFolders& folders,
                                          const CatalogueEntry& entry, NewProjectAnswers answers,
                                          int magnification);
