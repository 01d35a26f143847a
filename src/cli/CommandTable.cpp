#include "cli/CommandTable.h"

#include "cli/info/SetupCommand.h"

namespace {

// The overrides that render and turntable share.
std::vector<SCliOption> WithOverrides(std::vector<SCliOption> options)
{
    options.push_back({"--set", nullptr, "NAME=VALUE", "a render setting for this rendering only (repeatable)"});
    options.push_back({"--var", nullptr, "NAME=TEXT", "fills \"{NAME}\" in texts and barcodes (repeatable)"});
    options.push_back({"--picture", nullptr, "FACE=FILE", "a face's picture for this rendering (repeatable)"});
    options.push_back({"--barcode", nullptr, "FACE=DATA", "the data of the face's barcodes (repeatable)"});
    options.push_back({"--quality", nullptr, "Q", "JPEG quality 0..100"});
    return options;
}

// The options of the commands that change a project in place.
std::vector<SCliOption> WithEditLock(std::vector<SCliOption> options)
{
    options.push_back({"--wait", nullptr, "SECONDS", "wait so long for another command on the project (default 10)"});
    options.push_back({"--force", nullptr, nullptr, "change a project the desktop program holds open"});
    return options;
}

// The look of an object, which add and set-object share.
std::vector<SCliOption> WithObjectLook(std::vector<SCliOption> options)
{
    options.push_back({"--line-width", nullptr, "MM", "shapes: the line width in millimetres"});
    options.push_back({"--dash", nullptr, "solid|dash|dot|dash-dot", "shapes: the line's dash style"});
    options.push_back({"--corner-radius", nullptr, "MM", "rectangles: rounded corners, the radius in millimetres"});
    options.push_back({"--opacity", nullptr, "P", "any object: 0 (invisible) .. 100 (solid, the default) percent"});
    return options;
}

// The options of add, besides the object's look and the edit lock.
std::vector<SCliOption> AddOptions()
{
    return {
        {"--at", nullptr, "X,Y", "the object's top-left corner (face pixels from the bottom-left, y up)"},
        {"--size", nullptr, "N|WxH", "text: the font size; picture, barcode: the box"},
        {"--angle", nullptr, "0|90|180|270", "turned anticlockwise in degrees"},
        {"--unit", nullptr, "px|mm", "positions and sizes in face pixels or millimetres of the product"},
        {"--font", nullptr, "F", "text: the font (see list fonts)"},
        {"--appearance", nullptr, "A", "text: Normal, Bordered, Extrude, Indent or Outline"},
        {"--bold", nullptr, nullptr, "text: bold"},
        {"--italic", nullptr, nullptr, "text: italic"},
        {"--regular", nullptr, nullptr, "text: neither bold nor italic, whatever the drawing defaults say"},
        {"--underline", nullptr, nullptr, "text: underlined"},
        {"--strikeout", nullptr, nullptr, "text: struck out"},
        {"--smooth", nullptr, nullptr, "text: smoothed edges"},
        {"--align", nullptr, "left|center|right|justify", "text: how its lines line up"},
        {"--line-spacing", nullptr, "P", "text: from line to line in percent of the font size (100)"},
        {"--letter-spacing", nullptr, "P", "text: added between letters in percent of the font size (0)"},
        {"--wrap", nullptr, "W", "text: the width its lines wrap at (\\n in the text starts a new line)"},
        {"--color", nullptr, "C", "text, margin: the colour"},
        {"--color2", nullptr, "C", "text: the second colour of its appearance"},
        {"--transparent-white", nullptr, nullptr, "picture: white pixels let the face show through"},
        {"--page", nullptr, "N", "picture: the page of a PDF file, from 1 (SVG and PDF stay sharp at any size)"},
        {"--kind", nullptr, "K", "barcode: \"Code 39\", EAN-13, EAN-8, UPC-A or \"Code 128\""},
        {"--style", nullptr, "outlined|filled|both", "shapes: outline, fill or both"},
        {"--line-color", nullptr, "C", "shapes: the line colour"},
        {"--fill-color", nullptr, "C", "shapes: the fill colour"},
        {"--vpercent", nullptr, "P", "margin: the vertical percentage of a corner margin"},
    };
}

const SCliOption kForceOutput = {"--force", nullptr, nullptr, "replace a project file with the output"};

// The commands that make, read and change projects, in the order the help lists them.
std::vector<SCliCommand> ProjectCommands()
{
    return {
        {"new", "MODEL -o P.vtp [OPTIONS]", "a new project from a catalogue model (see list models)",
         {{"-o", nullptr, "P.vtp", "the project file to write"},
          {"--width", nullptr, "W", "width in millimetres (models with a size page)"},
          {"--height", nullptr, "H", "height in millimetres"},
          {"--depth", nullptr, "D", "depth in millimetres"},
          {"--size", nullptr, "WxH", "the rendering size in pixels"},
          {"--magnification", nullptr, "K", "face pictures K times the base size, 1..16"},
          {"--floppy-color", nullptr, "NAME", "the floppy disk's colour (see list floppy-colors)"},
          {"--zip-color", nullptr, "NAME", "the zip disk's colour (see list zip-colors)"},
          {"--cd-image", nullptr, "NAME", "the CD-ROM's picture (see list cd-images)"},
          {"--cd-position", nullptr, "N", "where the CD-ROM lies"},
          {"--binder-type", nullptr, "N", "0 none, 1 spiral bound, 2 comb bound"},
          {"--binder-color", nullptr, "C", "the binder's colour"},
          {"--force", nullptr, nullptr, "replace an existing file"}},
         &RunNew},
        {"info", "P.vtp [--json]", "what a project holds: settings with their values, faces with their sizes",
         {{"--json", nullptr, nullptr, "one JSON object"}},
         &RunInfo},
        {"set", "P.vtp NAME=VALUE...", "render settings by their names in the property grid, all or none",
         WithEditLock({}),
         &RunSet},
        {"face", "P.vtp FACE OPTION...", "a face's appearance: colour, gradient, texture, pattern or picture",
         WithEditLock({{"--color", nullptr, "C", "the colour (the first colour of gradients and patterns)"},
          {"--color2", nullptr, "C", "the second colour"},
          {"--gradient", nullptr, "STYLE", "a gradient, 0..31 (see list gradients)"},
          {"--texture", nullptr, "NAME", "a texture (see list textures)"},
          {"--scale", nullptr, "1|1/2|1/4|1/8|1/16", "the texture's scale"},
          {"--pattern", nullptr, "N", "a pattern (see list patterns)"},
          {"--cell", nullptr, "N", "the pattern's cell size, 1..16"},
          {"--picture", nullptr, "FILE", "a picture file"},
          {"--library", nullptr, "NAME", "a picture of the library (see list library)"},
          {"--fit", nullptr, "stretch|left|centre|right", "how a picture of another shape fits the face"},
          {"--page", nullptr, "N", "the page of a PDF picture, from 1 (SVG and PDF pictures stay sharp in print)"}}),
         &RunFace},
        {"add", "P.vtp FACE KIND ...", "a draw object: text TEXT, picture FILE, barcode DATA, rect|ellipse|line X1,Y1 X2,Y2,"
                                       " polygon|polyline X,Y X,Y X,Y..., margin SIDE PERCENT",
         WithEditLock(WithObjectLook(AddOptions())),
         &RunAdd},
        {"set-object", "P.vtp FACE N [OPTIONS]", "moves, sizes, turns or restyles object N (as objects numbers them)",
         WithEditLock(WithObjectLook({{"--x", nullptr, "X", "the left edge (face pixels from the left)"},
          {"--y", nullptr, "Y", "the top edge (face pixels from the bottom, y up)"},
          {"--width", nullptr, "W", "the width (a text's width follows its size)"},
          {"--height", nullptr, "H", "the height"},
          {"--angle", nullptr, "0|90|180|270", "text, barcode, picture: turned anticlockwise in degrees"},
          {"--unit", nullptr, "px|mm", "positions and sizes in face pixels or millimetres of the product"}})),
         &RunSetObject},
        {"objects", "P.vtp FACE [--json]", "a face's objects with their numbers, kinds, boxes and drawn sizes",
         {{"--json", nullptr, nullptr, "one JSON array"}},
         &RunObjects},
        {"remove", "P.vtp FACE N", "removes object N (as objects numbers them)", WithEditLock({}), &RunRemove},
        {"list", "models|textures|patterns|gradients|fonts|floppy-colors|zip-colors|cd-images|library [--json]",
         "the names the other commands accept",
         {{"--json", nullptr, nullptr, "one JSON array"}},
         &RunList},
    };
}

// The commands that write renderings and exports, and the data folder's setup.
std::vector<SCliCommand> OutputCommands()
{
    return {
        {"render", "P.vtp -o OUT.png|.bmp|.jpg|.pcx [OPTIONS]", "renders the project to a picture file",
         WithOverrides({{"-o", nullptr, "OUT", "the picture to write; its extension names the format"},
                        {"--threads", nullptr, "N", "drawing threads, 1..64 (default: one per core)"},
                        {"--transparent", nullptr, nullptr, "PNG with the background left out"},
                        {"--keep-settings", nullptr, nullptr, "remember no output folder or quality"},
                        {"--dry-run", nullptr, nullptr, "check the project, the overrides and the output; render nothing"},
                        kForceOutput}),
         &RunRender},
        {"turntable", "P.vtp --frames N [-o FRAME-%03d.png] [--webp OUT.webp] [OPTIONS]",
         "renderings turned step by step, as numbered files and/or an animated WebP",
         WithOverrides({{"--frames", nullptr, "N", "how many frames, 2..360"},
                        {"-o", nullptr, "PATTERN", "frame files, the number in place of %d, %3d or %03d"},
                        {"--webp", nullptr, "OUT.webp", "an animated WebP of the frames"},
                        {"--axis", nullptr, "x|y|z", "the rotation that turns (default y)"},
                        {"--from", nullptr, "A", "the first angle in degrees"},
                        {"--to", nullptr, "B", "the last angle in degrees"},
                        {"--delay", nullptr, "MS", "WebP frame time, 10..10000 milliseconds"},
                        {"--webp-quality", nullptr, "Q", "WebP quality 0..100"},
                        {"--no-bounce", nullptr, nullptr, "the WebP plays forward only"},
                        kForceOutput}),
         &RunTurntable},
        {"batch", "JOBS.csv [--template P.vtp] [-j N] [--dry-run] [--json] [--out-dir DIR] [--allow-outside]",
         "one rendering per row of a CSV file (columns output, template, set:NAME, picture:FACE, barcode:FACE, {NAME})",
         {{"--template", nullptr, "P.vtp", "the project of rows without a template column"},
          {"--jobs", "-j", "N", "render N jobs at a time, 1..64"},
          {"--dry-run", nullptr, nullptr, "check every row (project, pictures, settings, output) without rendering"},
          {"--json", nullptr, nullptr, "one JSON line a job on standard output instead of the progress lines"},
          {"--out-dir", nullptr, "DIR", "the folder outputs stay in (default: the jobs file's folder)"},
          {"--allow-outside", nullptr, nullptr, "let outputs be absolute or climb out of the output folder"},
          kForceOutput},
         &RunBatch},
        {"export", "P.vtp -o ART.pdf|MODEL.glb [OPTIONS]",
         "the faces laid out flat as a print PDF with bleed and dieline, or the product as a glTF model",
         {{"-o", nullptr, "OUT", "ART.pdf (print artwork) or MODEL.glb (3D model)"},
          {"--bleed", nullptr, "MM", "pdf: how far each face continues past its cut edges, 0..50 (default 3)"},
          {"--marks", nullptr, nullptr, "pdf: crop and fold marks in a 10 mm margin"},
          {"--dpi", nullptr, "N", "pdf: pictures resampled to N dpi, 36..2400 (default: their own resolution)"},
          {"--texture-size", nullptr, "N", "glb: the largest side of a face's texture, 16..8192 (default 2048)"},
          {"--set", nullptr, "NAME=VALUE", "a render setting for this export only (repeatable)"},
          {"--var", nullptr, "NAME=TEXT", "fills \"{NAME}\" in texts and barcodes (repeatable)"},
          {"--picture", nullptr, "FACE=FILE", "a face's picture for this export (repeatable)"},
          {"--barcode", nullptr, "FACE=DATA", "the data of the face's barcodes (repeatable)"},
          {"--keep-settings", nullptr, nullptr, "accepted as render takes it (export remembers nothing)"},
          {"--dry-run", nullptr, nullptr, "check the project, the overrides and the output; write nothing"}},
         &RunExport},
        {"setup", "[--installed DIR] [--again]", "prepares the data folder",
         {{"--installed", nullptr, "DIR", "the installed data (default: beside the program)"},
          {"--again", nullptr, nullptr, "run it even when it has completed before"}},
         &RunSetup},
    };
}

std::vector<SCliCommand> BuildCommands()
{
    std::vector<SCliCommand> commands = ProjectCommands();
    for (SCliCommand& command : OutputCommands()) commands.push_back(std::move(command));
    return commands;
}

}  // namespace

const std::vector<SCliCommand>& GetCliCommands()
{
    static const std::vector<SCliCommand> commands = BuildCommands();
    return commands;
}

const std::vector<SCliOption>& GetGlobalOptions()
{
    static const std::vector<SCliOption> options = {
        {"--data-dir", nullptr, "DIR", "the data folder root (default: the user's data folder)"},
        {"--quiet", "-q", nullptr, "no progress bar and no report of what was done"},
        {"--yes", nullptr, nullptr, "answer Yes to the questions the desktop program would ask"},
    };
    return options;
}

const SCliCommand* FindCliCommand(std::string_view name)
{
    for (const SCliCommand& c : GetCliCommands())
        if (name == c.name) return &c;
    return nullptr;
}

const SCliOption* FindCliOption(const SCliCommand* command, std::string_view word)
{
    auto match = [word](const SCliOption& o) { return word == o.name || (o.alias && word == o.alias); };
    for (const SCliOption& o : GetGlobalOptions())
        if (match(o)) return &o;
    if (command)
        for (const SCliOption& o : command->options)
            if (match(o)) return &o;
    return nullptr;
}

namespace {

void PrintOptions(std::FILE* out, const std::vector<SCliOption>& options)
{
    for (const SCliOption& o : options) {
        std::string head = o.alias ? std::string(o.alias) + ", " + o.name : std::string(o.name);
        if (o.value) head += std::string(" ") + o.value;
        std::fprintf(out, "  %-28s %s\n", head.c_str(), o.help);
    }
}

}  // namespace

void PrintCommandHelp(std::FILE* out, const SCliCommand& command)
{
    std::fprintf(out, "usage: vantorel-cli %s %s\n%s\n", command.name, command.usage, command.summary);
    if (!command.options.empty()) std::fprintf(out, "\nOptions:\n");
    PrintOptions(out, command.options);
    std::fprintf(out, "\nGlobal options (before or after the command):\n");
    PrintOptions(out, GetGlobalOptions());
}

void PrintUsage(std::FILE* out)
{
    std::fprintf(out, "usage: vantorel-cli [GLOBAL OPTIONS] COMMAND ... (vantorel-cli COMMAND --help for one command)\n\n");
    for (const SCliCommand& c : GetCliCommands()) {
        std::fprintf(out, "%s %s\n    %s\n", c.name, c.usage, c.summary);
        PrintOptions(out, c.options);
    }
    std::fprintf(out, "\nGlobal options, before or after the command:\n");
    PrintOptions(out, GetGlobalOptions());
    std::fprintf(out,
                 "  %-28s %s\n  %-28s %s\n\n"
                 "FACE: Front, Left, Right, Top, Bottom, Spine, Background, Pages (Top) ..., CD-ROM.\n"
                 "Colours: #RRGGBB, R,G,B or a colour name. Positions are face pixels from the face's bottom-left\n"
                 "corner, y upwards (--unit mm: millimetres of the product).\n"
                 "Exit codes: 0 done; 1 the work failed (a file could not be read or written, a render failed,\n"
                 "a batch job failed); 2 a wrong command line or an unknown name (command, option, face, model,\n"
                 "setting, texture ...) or a value out of range. Errors go to standard error, one line each,\n"
                 "naming the file.\n",
                 "--help, -h", "this text", "--version", "the program's version");
}

std::string CommandUsageLine(std::string_view name)
{
    const SCliCommand* c = FindCliCommand(name);
    if (!c) return "usage: vantorel-cli --help";
    return "usage: vantorel-cli " + std::string(c->name) + " " + c->usage + " (vantorel-cli " + c->name +
           " --help lists the options)";
}
