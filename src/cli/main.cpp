// vantorel-cli: create, inspect, edit and render projects from the command line.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/SetupCommand.h"

#ifndef VT_VERSION
#define VT_VERSION "unknown"
#endif

namespace {

void PrintUsage(std::FILE* out)
{
    std::fprintf(out,
        "usage: vantorel-cli [--data-dir DIR] [--quiet] [--yes] COMMAND ...\n"
        "\n"
        "Projects\n"
        "  new MODEL -o P.vtp [--width W --height H --depth D] [--size WxH] [--magnification K]\n"
        "      [--floppy-color NAME | --zip-color NAME] [--cd-image NAME] [--cd-position N]\n"
        "      [--binder-type N] [--binder-color C]       (--yes answers the wizard's questions)\n"
        "  info P.vtp [--json]\n"
        "  set P.vtp NAME=VALUE...                 (names as in the property grid, e.g. \"Bevel Size=12\")\n"
        "Faces and artwork (FACE: Front, Left, Right, Top, Bottom, Spine, Background, Pages (Top) ..., CD-ROM)\n"
        "  face P.vtp FACE --color C\n"
        "  face P.vtp FACE --gradient STYLE --color C1 --color2 C2\n"
        "  face P.vtp FACE --texture NAME [--scale 1|1/2|1/4|1/8|1/16]\n"
        "  face P.vtp FACE --pattern N --color C1 --color2 C2 [--cell N]\n"
        "  face P.vtp FACE --picture FILE|--library NAME [--fit stretch|left|centre|right]\n"
        "  add P.vtp FACE text TEXT [--font F --size N --appearance Normal|Bordered|Extrude|Indent|Outline\n"
        "      --bold --italic --underline --strikeout --smooth --color C --color2 C --at X,Y --angle 0|90|180|270]\n"
        "  add P.vtp FACE picture FILE [--at X,Y --size WxH --angle A --transparent-white]\n"
        "  add P.vtp FACE barcode DATA [--kind \"Code 39\"|EAN-13|EAN-8|UPC-A|\"Code 128\" --at X,Y --size WxH --angle A]\n"
        "  add P.vtp FACE rect|ellipse X1,Y1 X2,Y2 [--style outlined|filled|both --line-color C --fill-color C]\n"
        "  add P.vtp FACE line X1,Y1 X2,Y2 [--line-color C]\n"
        "  add P.vtp FACE polygon|polyline X,Y X,Y X,Y... [--style ... --line-color C --fill-color C]\n"
        "  add P.vtp FACE margin top|bottom|left|right|top-left|... PERCENT [--vpercent P] [--color C]\n"
        "      Positions are face pixels from the face's bottom-left corner, y upwards; --at is the\n"
        "      object's top-left corner. --unit mm takes millimetres of the product instead.\n"
        "  objects P.vtp FACE [--json]            remove P.vtp FACE N\n"
        "Choices\n"
        "  list models|textures|patterns|gradients|fonts|floppy-colors|zip-colors|cd-images|library [--json]\n"
        "Rendering\n"
        "  render P.vtp -o OUT.png|.bmp|.jpg|.pcx [--quality Q] [--set NAME=VALUE]... [--var NAME=VALUE]...\n"
        "      [--picture FACE=FILE]... [--barcode FACE=DATA]... [--keep-settings] [--threads N] [--transparent]\n"
        "      (overrides for this rendering only; --keep-settings: remember no folder or quality;\n"
        "      --transparent: PNG with the background left out; Ctrl+C cancels and writes nothing)\n"
        "  turntable P.vtp --frames N [--axis x|y|z] [--from A --to B] [-o FRAME-%%03d.png] [--webp OUT.webp]\n"
        "      [--delay MS] [--no-bounce]\n"
        "  batch JOBS.csv [--template P.vtp] [-j N]\n"
        "Other\n"
        "  setup [--installed DIR] [--again]      (prepare the data folder)\n"
        "  --version, --help\n"
        "\n"
        "Colours: #RRGGBB, R,G,B or a colour name. Exit codes: 0 done, 1 failed (batch: a job failed),\n"
        "2 wrong command line. Errors go to standard error, one line each.\n");
}

}  // namespace

int main(int argc, char** argv)
{
    SCliContext context;
    std::vector<std::string> args(argv + 1, argv + argc);
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        if (args[i] == "--data-dir") {
            if (i + 1 >= args.size()) {
                PrintError("option --data-dir needs a value");
                return kExitUsage;
            }
            context.dataDir = args[++i];
        } else if (args[i] == "--quiet" || args[i] == "-q") {
            context.quiet = true;
        } else if (args[i] == "--yes") {
            context.assumeYes = true;
        } else if (args[i] == "--help" || args[i] == "-h") {
            PrintUsage(stdout);
            return kExitOk;
        } else if (args[i] == "--version") {
            std::printf("vantorel-cli %s\n", VT_VERSION);
            return kExitOk;
        } else {
            break;
        }
    }
    if (i >= args.size()) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    const std::string command = args[i];
    const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
    if (command == "setup") return RunSetup(context, rest);
    if (command == "new") return RunNew(context, rest);
    if (command == "render") return RunRender(context, rest);
    if (command == "info") return RunInfo(context, rest);
    if (command == "set") return RunSet(context, rest);
    if (command == "list") return RunList(context, rest);
    if (command == "face") return RunFace(context, rest);
    if (command == "add") return RunAdd(context, rest);
    if (command == "objects") return RunObjects(context, rest);
    if (command == "remove") return RunRemove(context, rest);
    if (command == "turntable") return RunTurntable(context, rest);
    if (command == "batch") return RunBatch(context, rest);
    if (command == "models") return RunList(context, {"models"});
    PrintError("unknown command \"" + command + "\" (see vantorel-cli --help)");
    return kExitUsage;
}
