#include "cli/output/BatchJobs.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(BatchJobs, CsvCellsFollowTheQuotingRules)
{
    std::vector<std::vector<std::string>> rows;
    std::vector<int> lines;
    std::string error;
    // Row 1 plain; row 2 a quoted comma, a doubled quote and a line break
    // inside quotes (so row 3 starts on line 4); CRLF endings; no final newline.
    const std::string text = "a,b,c\r\n\"x,y\",\"say \"\"hi\"\"\",\"two\nlines\"\r\n,,last";
    ASSERT_TRUE(SplitCsv(text, rows, lines, error)) << error;
    EXPECT_EQ(rows, (std::vector<std::vector<std::string>>{{"a", "b", "c"}, {"x,y", "say \"hi\"", "two\nlines"}, {"", "", "last"}}));
    EXPECT_EQ(lines, (std::vector<int>{1, 2, 4}));

    EXPECT_FALSE(SplitCsv("a,b\n\"open,c\n", rows, lines, error));
    EXPECT_EQ(error, "line 2: a quoted cell is not closed");
}

TEST(BatchJobs, ColumnsBecomeOverrides)
{
    const std::string text =
        "output,template,set:Y Rotation,picture:Front,barcode:Front,title\n"
        "out/a.png,,30,art/a.png,A-1,First\n"
        "\n"
        "/abs/b.png,other.vtp,,,,\"Second, with comma\"\n";
    std::vector<SBatchJob> jobs;
    std::string error;
    SBatchOutputs outputs;
    outputs.allowOutside = true;
    ASSERT_TRUE(ParseBatchJobs(text, "/jobs/", "/t/box.vtp", jobs, error, outputs)) << error;
    ASSERT_EQ(jobs.size(), 2u);
    const auto fields = [](const SBatchJob& j) {
        return std::tuple(j.line, j.output, j.templatePath, j.overrides.settings, j.overrides.pictures, j.overrides.barcodes,
                          j.overrides.variables);
    };
    EXPECT_EQ(fields(jobs[0]), std::tuple(2, "/jobs/out/a.png", "/t/box.vtp", std::vector<std::string>{"Y Rotation=30"},
                                          Pairs{{"Front", "/jobs/art/a.png"}}, Pairs{{"Front", "A-1"}}, Pairs{{"title", "First"}}));
    // Empty cells leave the template's parts alone; the blank row is skipped.
    EXPECT_EQ(fields(jobs[1]), std::tuple(4, "/abs/b.png", "/jobs/other.vtp", std::vector<std::string>{}, Pairs{}, Pairs{},
                                          Pairs{{"title", "Second, with comma"}}));
}

TEST(BatchJobs, BadFilesAreRefusedWithTheLine)
{
    const struct {
        const char* text;
        const char* defaultTemplate;
        const char* error;
    } cases[] = {
        {"", "t.vtp", "the jobs file is empty"},
        {"output\n", "t.vtp", "the jobs file holds no jobs"},
        {"name,title\nx,y\n", "t.vtp", "line 1: the jobs file has no \"output\" column"},
        {"output,colour:Front\na.png,red\n", "t.vtp", "line 1: unknown column \"colour:Front\""},
        {"output,title,title\na.png,x,y\n", "t.vtp", "line 1: column \"title\" is given twice"},
        {"output,,x\na.png,1,2\n", "t.vtp", "line 1: column 2 has no name"},
        {"output,title\na.png,x\nb.png,y,z\n", "t.vtp", "line 3: 3 cells, but the first row names 2 columns"},
        {"output,title\n,x\n", "t.vtp", "line 2: the job has no output file"},
        {"output\na.png\n", "", "line 2: the job names no template"},
    };
    for (const auto& c : cases) {
        std::vector<SBatchJob> jobs;
        std::string error;
        EXPECT_FALSE(ParseBatchJobs(c.text, "/j/", c.defaultTemplate, jobs, error)) << c.text;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << " gave: " << error;
    }
}

TEST(BatchJobs, OutputsStayInTheOutputFolderRowByRow)
{
    const std::string big(kMaxBatchCell + 1, 'x');
    const struct {
        std::string output;
        const char* refusal;  // beginning of it; empty: the row runs
    } cases[] = {
        {"a.png", ""},
        {"sub/../b.png", ""},
        {"./sub/./c.png", ""},
        {"/etc/d.png", "the output is an absolute path"},
        {"../e.png", "the output climbs out of the output folder"},
        {"sub/../../f.png", "the output climbs out of the output folder"},
        {"g\x1b]0;x\x07.png", "the output name holds a control character"},
        {"h.png\",\"" + big, "column 2 (\"title\"): the cell is larger than 64 KB"},
    };
    std::string text = "output,title\n";
    for (const auto& c : cases)
        text += "\"" + c.output + "\"\n";
    std::vector<SBatchJob> jobs;
    std::string error;
    SBatchOutputs outputs;
    outputs.folder = "/out/";
    ASSERT_TRUE(ParseBatchJobs(text, "/j/", "t.vtp", jobs, error, outputs)) << error;
    ASSERT_EQ(jobs.size(), std::size(cases));
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        EXPECT_EQ(jobs[i].refusal.rfind(cases[i].refusal, 0), 0u) << i << ": " << jobs[i].refusal;
        EXPECT_EQ(jobs[i].refusal.empty(), *cases[i].refusal == '\0') << i;
    }
    EXPECT_EQ(jobs[0].output, "/out/a.png");
    EXPECT_TRUE(RefuseBatchOutput("/etc/d.png", true).empty());
    EXPECT_FALSE(RefuseBatchOutput("x\ny.png", true).empty());
}

TEST(RenderOverrides, VariablesFillTheirPlaceholdersOnly)
{
    const Pairs vars{{"title", "Moon"}, {"n", "3"}, {"empty", ""}};
    EXPECT_EQ((std::vector{FillVariables("{title} vol. {n}", vars), FillVariables("{unknown} {title}", vars), FillVariables("a{empty}b", vars),
                           FillVariables("open { brace {title", vars), FillVariables("{{title}}", vars)}),
              (std::vector<std::string>{"Moon vol. 3", "{unknown} Moon", "ab", "open { brace {title", "{Moon}"}));
    // A value holding braces is not filled again.
    EXPECT_EQ(FillVariables("{a}", {{"a", "{b}"}, {"b", "x"}}), "{b}");
}

}  // namespace
