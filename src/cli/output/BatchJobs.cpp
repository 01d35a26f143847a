#include "cli/output/BatchJobs.h"

namespace {

std::string Resolve(const std::string& folder, const std::string& file)
{
    if (file.empty() || file.front() == '/') return file;
    return folder + file;
}

bool IsBlankRow(const std::vector<std::string>& row)
{
    for (const std::string& cell : row)
        if (cell.find_first_not_of(" \t") != std::string::npos) return false;
    return true;
}

}  // namespace

std::string RefuseBatchOutput(const std::string& output, bool allowOutside)
{
    for (char c : output)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "the output name holds a control character";
    if (allowOutside) return {};
    if (!output.empty() && output.front() == '/')
        return "the output is an absolute path; outputs stay in the output folder (--allow-outside lets them out)";
    // Lexical depth below the output folder; ".." above it climbs out.
    int depth = 0;
    std::size_t start = 0;
    while (start <= output.size()) {
        std::size_t end = output.find('/', start);
        if (end == std::string::npos) end = output.size();
        const std::string part = output.substr(start, end - start);
        if (part == "..") {
            if (--depth < 0)
                return "the output climbs out of the output folder; outputs stay in it (--allow-outside lets them out)";
        } else if (!part.empty() && part != ".") {
            ++depth;
        }
        start = end + 1;
    }
    return {};
}

bool SplitCsv(const std::string& text, std::vector<std::vector<std::string>>& rows, std::vector<int>& lines,
              std::string& error)
{
    rows.clear();
    lines.clear();
    std::vector<std::string> row;
    std::string cell;
    bool quoted = false, rowStarted = false;
    int line = 1, rowLine = 1, quoteLine = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!rowStarted) {
            rowStarted = true;
            rowLine = line;
        }
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n') ++line;
                cell += c;
            }
        } else if (c == '"') {
            quoted = true;
            quoteLine = line;
        } else if (c == ',') {
            row.push_back(std::move(cell));
            cell.clear();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            row.push_back(std::move(cell));
            cell.clear();
            rows.push_back(std::move(row));
            row.clear();
            lines.push_back(rowLine);
            rowStarted = false;
            ++line;
        } else {
            cell += c;
        }
    }
    if (quoted) {
        error = "line " + std::to_string(quoteLine) + ": a quoted cell is not closed";
        return false;
    }
    if (rowStarted) {
        row.push_back(std::move(cell));
        rows.push_back(std::move(row));
        lines.push_back(rowLine);
    }
    return true;
}

namespace {

// The column names of the first row, given once each; the output column's
// index, or -1 after the message.
int CheckHeader(const std::vector<std::string>& header, int line, std::string& error)
{
    int outputColumn = -1;
    const std::string where = "line " + std::to_string(line) + ": ";
    for (std::size_t c = 0; c < header.size(); ++c) {
        const std::string& h = header[c];
        if (h == "output") {
            outputColumn = static_cast<int>(c);
        } else if (h.empty()) {
            error = where + "column " + std::to_string(c + 1) + " has no name";
            return -1;
        } else if (h.find(':') != std::string::npos && h.rfind("set:", 0) != 0 && h.rfind("picture:", 0) != 0 &&
                   h.rfind("barcode:", 0) != 0) {
            error = where + "unknown column \"" + h + "\" (set:NAME, picture:FACE, barcode:FACE or a text variable)";
            return -1;
        }
        for (std::size_t d = 0; d < c; ++d)
            if (header[d] == h) {
                error = where + "column \"" + h + "\" is given twice";
                return -1;
            }
    }
    if (outputColumn < 0) error = where + "the jobs file has no \"output\" column";
    return outputColumn;
}

// Where the files a job names are found and written.
struct SJobFolders {
    const std::string& folder;       // the jobs file's, for templates and pictures
    const std::string& outFolder;    // for outputs
    const std::string& defaultTemplate;
    bool allowOutside;
};

// One row's job; a refusal of the job itself (a cell too large, an output
// outside the folder) is kept in job.refusal.
SBatchJob ReadJobRow(const std::vector<std::string>& header, const std::vector<std::string>& row, int outputColumn,
                     const SJobFolders& f)
{
    SBatchJob job;
    job.templatePath = f.defaultTemplate;
    for (std::size_t c = 0; c < row.size() && job.refusal.empty(); ++c)
        if (row[c].size() > kMaxBatchCell)
            job.refusal = "column " + std::to_string(c + 1) + " (\"" + header[c] + "\"): the cell is larger than 64 KB";
    for (std::size_t c = 0; c < row.size() && job.refusal.empty(); ++c) {
        const std::string& h = header[c];
        const std::string& v = row[c];
        if (static_cast<int>(c) == outputColumn) {
            job.refusal = RefuseBatchOutput(v, f.allowOutside);
            job.output = Resolve(f.outFolder, v);
        }
        else if (h == "template") {
            if (!v.empty()) job.templatePath = Resolve(f.folder, v);
        } else if (h.rfind("set:", 0) == 0) {
            if (!v.empty()) job.overrides.settings.push_back(h.substr(4) + "=" + v);
        } else if (h.rfind("picture:", 0) == 0) {
            if (!v.empty()) job.overrides.pictures.emplace_back(h.substr(8), Resolve(f.folder, v));
        } else if (h.rfind("barcode:", 0) == 0) {
            if (!v.empty()) job.overrides.barcodes.emplace_back(h.substr(8), v);
        } else {
            job.overrides.variables.emplace_back(h, v);
        }
    }
    return job;
}

}  // namespace

bool ParseBatchJobs(const std::string& text, const std::string& folder, const std::string& defaultTemplate,
                    std::vector<SBatchJob>& jobs, std::string& error, const SBatchOutputs& outputs)
{
    const std::string& outFolder = outputs.folder.empty() ? folder : outputs.folder;
    jobs.clear();
    std::vector<std::vector<std::string>> rows;
    std::vector<int> lines;
    if (!SplitCsv(text, rows, lines, error)) return false;
    std::size_t first = 0;
    while (first < rows.size() && IsBlankRow(rows[first])) ++first;
    if (first == rows.size()) {
        error = "the jobs file is empty";
        return false;
    }
    const std::vector<std::string>& header = rows[first];
    const int outputColumn = CheckHeader(header, lines[first], error);
    if (outputColumn < 0) return false;
    const SJobFolders folders{folder, outFolder, defaultTemplate, outputs.allowOutside};
    for (std::size_t r = first + 1; r < rows.size(); ++r) {
        const std::vector<std::string>& row = rows[r];
        if (IsBlankRow(row)) continue;
        const std::string where = "line " + std::to_string(lines[r]) + ": ";
        if (row.size() > header.size()) {
            error = where + std::to_string(row.size()) + " cells, but the first row names " +
                    std::to_string(header.size()) + " columns";
            return false;
        }
        SBatchJob job = ReadJobRow(header, row, outputColumn, folders);
        job.line = lines[r];
        if (job.refusal.empty() && job.output.empty()) {
            error = where + "the job has no output file";
            return false;
        }
        if (job.refusal.empty() && job.templatePath.empty()) {
            error = where + "the job names no template (a \"template\" column or --template)";
            return false;
        }
        jobs.push_back(std::move(job));
    }
    if (jobs.empty()) {
        error = "the jobs file holds no jobs";
        return false;
    }
    return true;
}
