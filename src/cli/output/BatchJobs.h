#pragma once
// The jobs file of `vantorel-cli batch`: CSV text whose first row names the
// columns and each further row is one rendering of the template project.
//
//   output            the picture file to write (required)
//   template          the project to render (else the --template option)
//   set:NAME          a render setting for this job ("set:Y Rotation")
//   picture:FACE      a picture file stretched over a face ("picture:Front")
//   barcode:FACE      the data of the barcodes on a face
//   NAME              any other column: its cell replaces "{NAME}" in texts
//
// Cells follow the usual CSV rules: separated by commas, optionally in
// double quotes, where "" stands for one quote and commas and line breaks
// are kept. Empty rows are skipped; an empty set:, picture: or barcode:
// cell leaves that part of the template as it is. Relative file names are
// taken from the jobs file's folder, outputs from the output folder.
//
// A jobs file is untrusted input: an output must stay inside the output
// folder (no absolute path, no ".." that climbs out) unless allowed, never
// has control characters in its name, and no cell may exceed 64 KB. A row
// that breaks these is refused on its own; the other rows still run.

#include <string>
#include <vector>

#include "cli/output/RenderOverrides.h"

struct SBatchJob {
    int line = 0;              // first line of the row in the jobs file
    std::string refusal;       // why the row is not run; empty for a job to run
    std::string output;
    std::string templatePath;
    SRenderOverrides overrides;
};

// Splits CSV text into rows of cells; false with `error` naming the line
// when a quoted cell is not closed.
bool SplitCsv(const std::string& text, std::vector<std::vector<std::string>>& rows, std::vector<int>& lines,
              std::string& error);

struct SBatchOutputs {
    std::string folder;         // ending in '/'; empty: the jobs file's folder
    bool allowOutside = false;  // absolute and climbing outputs allowed
};

constexpr std::size_t kMaxBatchCell = 64 * 1024;

// Reads the jobs. `folder` (empty or ending in '/') is put before relative
// file names; `defaultTemplate` serves rows without a template. False with
// `error` ("line 4: ...") for the first row that can not be a job.
bool ParseBatchJobs(const std::string& text, const std::string& folder, const std::string& defaultTemplate,
                    std::vector<SBatchJob>& jobs, std::string& error, const SBatchOutputs& outputs = {});

// Why `output` (as the row gives it) may not be written; empty when it may.
std::string RefuseBatchOutput(const std::string& output, bool allowOutside);
