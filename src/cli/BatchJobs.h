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
// taken from the jobs file's folder.

#include <string>
#include <vector>

#include "cli/RenderOverrides.h"

struct SBatchJob {
    int line = 0;              // first line of the row in the jobs file
    std::string output;
    std::string templatePath;
    SRenderOverrides overrides;
};

// Splits CSV text into rows of cells; false with `error` naming the line
// when a quoted cell is not closed.
bool SplitCsv(const std::string& text, std::vector<std::vector<std::string>>& rows, std::vector<int>& lines,
              std::string& error);

// Reads the jobs. `folder` (empty or ending in '/') is put before relative
// file names; `defaultTemplate` serves rows without a template. False with
// `error` ("line 4: ...") for the first row that can not be a job.
bool ParseBatchJobs(const std::string& text, const std::string& folder, const std::string& defaultTemplate,
                    std::vector<SBatchJob>& jobs, std::string& error);
