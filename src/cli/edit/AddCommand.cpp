// vantorel-cli add: draw objects on a face, made by the layout layer's
// factories with the checks of the desktop program's dialogs.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "layout/barcode/BarcodePlacement.h"
#include "cli/edit/CliFaces.h"
#include "cli/CliSupport.h"
#include "cli/edit/EditLock.h"
#include "cli/CommandTable.h"
#include "cli/Commands.h"
#include "cli/NamedChoices.h"
#include "cli/edit/ObjectLook.h"
#include "cli/edit/SettingEdit.h"
#include "layout/barcode/BarcodeKind.h"
#include "layout/barcode/DrawBarcode.h"
#include "layout/objects/DrawObjectList.h"
#include "layout/shapes/DrawPicture.h"
#include "layout/text/DrawText.h"
#include "layout/text/TextAppearanceNames.h"
#include "layout/shapes/Margin.h"
#include "layout/objects/ObjectCommands.h"
#include "layout/shapes/ShapeFactory.h"
#include "properties/settings/SettingChecks.h"

namespace {

std::string Lower(const std::string& text)
{
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// What every kind reads: the face, its size, the unit and the colours.
struct SAddContext {
    const SArgs& args;
    CVtwinDoc& doc;
    std::string key;
    int faceWidth = 0, faceHeight = 0;
    double perMm = 0;  // > 0 with --unit mm
    // Why no object was made: a wrong command line unless a file failed.
    mutable int failure = kExitUsage;
};

bool ReadPoint(const SAddContext& c, const std::string& text, int& x, int& y)
{
    if (!ParseFacePoint(text, c.perMm, x, y) || x < -kDrawMaxSize || x > kDrawMaxSize || y < -kDrawMaxSize ||
        y > kDrawMaxSize) {
        PrintError("\"" + text + "\" is no point (X,Y in " + (c.perMm > 0 ? "millimetres" : "face pixels") + ")");
        return false;
    }
    // The face's edges themselves are on it: a band may run from edge to edge.
    if (x < 0 || y < 0 || x > c.faceWidth || y > c.faceHeight) {
        PrintError("\"" + text + "\" is off the " + GetFaceTabName(c.key) + " face, which reaches from 0,0 to " +
                   std::to_string(c.faceWidth) + "," + std::to_string(c.faceHeight) + " in face pixels");
        return false;
    }
    return true;
}

// --at X,Y: the object's top-left corner; the face's top-left corner when not given.
bool ReadCorner(const SAddContext& c, int& x, int& y)
{
    x = 0;
    y = c.faceHeight - 1;
    const std::string* at = c.args.Get("--at");
    return at == nullptr || ReadPoint(c, *at, x, y);
}

std::optional<int> ReadAngle(const SArgs& a)
{
    const std::string* v = a.Get("--angle");
    if (v == nullptr) return 0;
    for (int degrees : {0, 90, 180, 270})
        if (*v == std::to_string(degrees)) return degrees * 10;
    PrintError("--angle must be 0, 90, 180 or 270");
    return std::nullopt;
}

// The text as typed on a command line: "\n" starts a new line, "\\" is one backslash.
std::string UnescapeLines(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == '\\')) {
            out += text[i + 1] == 'n' ? '\n' : '\\';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// --align, --line-spacing, --letter-spacing and --wrap over the text's own.
bool ReadTextLayout(const SAddContext& c, CTextLayout& layout)
{
    if (const std::string* v = c.args.Get("--align")) {
        static constexpr const char* kNames[] = {"left", "center", "right", "justify"};
        const std::string name = Lower(*v) == "centre" ? "center" : Lower(*v) == "justified" ? "justify" : Lower(*v);
        const auto* found = std::find(std::begin(kNames), std::end(kNames), name);
        if (found == std::end(kNames)) {
            PrintError("--align must be left, center, right or justify");
            return false;
        }
        layout.align = static_cast<std::uint32_t>(found - std::begin(kNames));
    }
    int value = 0;
    if (const std::string* v = c.args.Get("--line-spacing")) {
        if (!ParseInt(*v, "Line spacing", kMinLineSpacing, kMaxLineSpacing, value, "%")) return false;
        layout.lineSpacing = static_cast<std::uint32_t>(value);
    }
    if (const std::string* v = c.args.Get("--letter-spacing")) {
        if (!ParseInt(*v, "Letter spacing", kMinLetterSpacing, kMaxLetterSpacing, value, "%")) return false;
        layout.letterSpacing = value;
    }
    if (const std::string* v = c.args.Get("--wrap")) {
        int w = 0, unused = 0;
        if (!ParseFaceSize(*v + "x1", c.perMm, w, unused) || w < 3 || w > kDrawMaxSize) {
            PrintError("--wrap: \"" + *v + "\" is no width (" + (c.perMm > 0 ? "millimetres" : "face pixels") + ")");
            return false;
        }
        layout.wrapWidth = w;
    }
    return true;
}

// A text in the look of the drawing defaults (the text tool's last choices)
// with the command line's switches.
std::unique_ptr<CDrawText> TextFromDefaults(const CTextDefaults& d, const SArgs& args)
{
    auto t = std::make_unique<CDrawText>();
    t->SetColour1(d.colour1 & 0xFFFFFF);
    t->SetColour2(d.colour2 & 0xFFFFFF);
    t->SetFontFace(d.font.empty() ? std::string("Arial") : d.font);
    const bool known = d.appearance >= 0 && d.appearance <= static_cast<std::int32_t>(kTextOutline);
    t->SetAppearance(known ? static_cast<std::uint32_t>(d.appearance) : kTextNormal);
    t->SetSize(d.size > 0 && d.size <= 255 ? static_cast<std::uint32_t>(d.size) : 12);
    t->SetBold(args.Has("--bold") || (d.bold != 0 && !args.Has("--regular")));
    t->SetItalic(args.Has("--italic") || (d.italic != 0 && !args.Has("--regular")));
    t->SetUnderline(args.Has("--underline"));
    t->SetStrikeOut(args.Has("--strikeout"));
    t->SetSmooth(args.Has("--smooth"));
    return t;
}

// --size: the letter height in points, or in millimetres on the product when
// the face has a print size.
bool ReadTextSize(const SAddContext& c, CDrawText& t)
{
    const std::string* s = c.args.Get("--size");
    if (s == nullptr) return true;
    int size = 0;
    std::string text = *s;
    if (c.perMm > 0) {
        // Millimetres: the letter height on the product, in face pixels.
        char* end = nullptr;
        const double mm = std::strtod(s->c_str(), &end);
        if (end == s->c_str() || *end != '\0' || !(mm > 0) || mm > 1000) {
            PrintError("Size contains invalid characters.");
            return false;
        }
        text = std::to_string(std::max(1L, std::lround(mm * c.perMm)));
    }
    if (!ParseInt(text, "Size", 1, 255, size)) return false;
    t.SetSize(static_cast<std::uint32_t>(size));
    return true;
}

// --color, --color2, --font, --size and --appearance over the defaults.
bool ReadTextLook(const SAddContext& c, CDrawText& t)
{
    COLORREF c1 = t.GetColour1(), c2 = t.GetColour2();
    if (!ReadColour(c.args, "--color", c1) || !ReadColour(c.args, "--color2", c2)) return false;
    t.SetColour1(c1);
    t.SetColour2(c2);
    if (const std::string* f = c.args.Get("--font")) {
        std::string error;
        const std::vector<SNamedChoice> fonts = ListFontChoices();
        const SNamedChoice* font = FindChoice(fonts, *f, "font", "fonts", error);
        if (font == nullptr) {
            PrintError(error);
            return false;
        }
        t.SetFontFace(font->value);
    }
    if (!ReadTextSize(c, t)) return false;
    if (const std::string* ap = c.args.Get("--appearance")) {
        int found = -1;
        for (std::size_t i = 0; i < std::size(kTextAppearanceNames); ++i)
            if (Lower(*ap) == Lower(kTextAppearanceNames[i])) found = static_cast<int>(i);
        if (found < 0) {
            PrintError("--appearance must be Normal, Bordered, Extrude, Indent or Outline");
            return false;
        }
        t.SetAppearance(static_cast<std::uint32_t>(found));
    }
    return true;
}

// The text tool leaves its choices for the next text.
void KeepTextDefaults(const CDrawText& t, CTextDefaults& d)
{
    d.colour1 = t.GetColour1();
    d.colour2 = t.GetColour2();
    d.bold = t.GetBold() ? 1 : 0;
    d.italic = t.GetItalic() ? 1 : 0;
    d.underline = t.GetUnderline() ? 1 : 0;
    d.strikeOut = t.GetStrikeOut() ? 1 : 0;
    d.font = t.GetFontFace();
    d.size = static_cast<std::int32_t>(t.GetSize());
    d.appearance = static_cast<std::int32_t>(t.GetAppearance());
}

std::unique_ptr<CDrawObject> MakeText(const SAddContext& c, const std::string& typed)
{
    const std::string text = UnescapeLines(typed);
    if (const char* refused = RefuseBlankText(text)) {
        PrintError(refused);
        return nullptr;
    }
    CTextDefaults& d = c.doc.GetDrawingDefaults().text;
    std::unique_ptr<CDrawText> t = TextFromDefaults(d, c.args);
    if (!ReadTextLook(c, *t)) return nullptr;
    const std::optional<int> angle = ReadAngle(c.args);
    CTextLayout layout;
    int x = 0, y = 0;
    if (!angle || !ReadCorner(c, x, y) || !ReadTextLayout(c, layout)) return nullptr;
    t->SetText(text);
    t->SetAngle(*angle);
    const int wrap = layout.wrapWidth;
    layout.wrapWidth = 0;
    t->SetLayout(layout);
    // As the text tool: the box starts at the corner and grows to the text
    // (a click), or takes the width its lines wrap in (a drag).
    t->SetCoords(x, y, x, y);
    if (wrap > 0)
        t->WrapAt(wrap);
    else
        t->FitToText();
    ObjectCommands::KeepOnFace(*t, c.faceWidth, c.faceHeight);
    KeepTextDefaults(*t, d);
    return t;
}

// --size WxH: the box; the object's own size when not given.
bool ApplySize(const SAddContext& c, CDrawObject& object, int left, int top)
{
    const std::string* s = c.args.Get("--size");
    if (s == nullptr) return true;
    int w = 0, h = 0;
    if (!ParseFaceSize(*s, c.perMm, w, h) || w > kDrawMaxSize || h > kDrawMaxSize) {
        PrintError("\"" + *s + "\" is no size (WxH in " + (c.perMm > 0 ? "millimetres" : "face pixels") + ")");
        return false;
    }
    object.SetBounds(left, top, left + w, top - h);
    return true;
}

std::unique_ptr<CDrawObject> MakePicture(const SAddContext& c, const std::string& file)
{
    int x = 0, y = 0;
    const std::optional<int> angle = ReadAngle(c.args);
    if (!angle || !ReadCorner(c, x, y)) return nullptr;
    int page = 1;  // of a PDF file
    if (const std::string* v = c.args.Get("--page"); v && !ParseInt(*v, "Page", 1, 100000, page)) return nullptr;
    std::string message;
    std::unique_ptr<CDrawPicture> p = CDrawPicture::CreateFromFile(AbsolutePath(file), x, y, message, page);
    if (!p) {
        PrintError(file + ": " + message);
        c.failure = kExitFailed;
        return nullptr;
    }
    if (c.args.Has("--transparent-white")) {
        p->SetTransparent(true);
        p->SetTransparentColour(0xFFFFFF);
    }
    if (*angle != 0) {
        p->SetAngle(*angle);
        p->BuildRotations();
        p->SetBoxToImage();
    }
    if (!ApplySize(c, *p, x, y)) return nullptr;
    return p;
}

std::unique_ptr<CDrawObject> MakeBarcode(const SAddContext& c, const std::string& data)
{
    if (data.empty()) {
        PrintError("Please enter a Barcode.");
        return nullptr;
    }
    EBarcodeKind barcodeKind = EBarcodeKind::Code39;
    if (const std::string* k = c.args.Get("--kind"); k && !ParseBarcodeKind(*k, barcodeKind)) {
        PrintError("--kind must be Code 39, EAN-13, EAN-8, UPC-A or Code 128");
        return nullptr;
    }
    auto code = std::make_unique<CDrawBarcode>();
    std::string message;
    if (!code->SetBarcode(barcodeKind, data, &message)) {
        PrintError(message.empty() ? "Barcode includes invalid characters." : message);
        return nullptr;
    }
    int x = 0, y = 0;
    const std::optional<int> angle = ReadAngle(c.args);
    if (!angle || !ReadCorner(c, x, y)) return nullptr;
    code->SetAngle(*angle);
    if (!c.args.Get("--at") && !c.args.Get("--size")) {
        PlaceNewBarcode(*c.doc.GetProduct(), c.key, static_cast<CDrawObjectList&>(c.doc.GetFaceObjects(c.key)), *code);
        return code;
    }
    code->SetCoords(x, y, x, y);
    if (c.args.Get("--size")) {
        if (!ApplySize(c, *code, x, y)) return nullptr;
    } else {
        // At the corner given, the size that scans.
        const int module = GetScanningModule(*c.doc.GetProduct(), c.key);
        int w = 0, h = 0;
        code->GetNaturalSize(w, h);
        code->SetBounds(x, y, x + w * module, y - h * module);
    }
    code->FitToBarcode();
    return code;
}

std::unique_ptr<CDrawObject> MakeShape(const SAddContext& c, const std::string& kind,
                                       const std::vector<std::string>& pointTexts)
{
    EShapeKind shape = EShapeKind::Rect;
    std::size_t minimum = 2, maximum = 2;
    if (kind == "line") shape = EShapeKind::Line;
    else if (kind == "ellipse") shape = EShapeKind::Ellipse;
    else if (kind == "polygon" || kind == "polyline") {
        shape = kind == "polygon" ? EShapeKind::Polygon : EShapeKind::Polyline;
        minimum = kind == "polygon" ? 3 : 2;
        maximum = 4096;
    }
    if (pointTexts.size() < minimum || pointTexts.size() > maximum) {
        PrintError(kind + " takes " + (minimum == maximum ? std::to_string(minimum) : "at least " + std::to_string(minimum)) +
                   " points X,Y");
        return nullptr;
    }
    std::vector<CDrawPoint> points;
    for (const std::string& text : pointTexts) {
        int x = 0, y = 0;
        if (!ReadPoint(c, text, x, y)) return nullptr;
        points.push_back({x, y});
    }
    std::uint32_t style = kStyleOutlined;
    if (const std::string* s = c.args.Get("--style")) {
        const std::string v = Lower(*s);
        if (v == "outlined") style = kStyleOutlined;
        else if (v == "filled") style = kStyleFilled;
        else if (v == "both" || v == "outlined-filled") style = kStyleOutlinedFilled;
        else {
            PrintError("--style must be outlined, filled or both");
            return nullptr;
        }
    }
    const CDrawingDefaults& d = c.doc.GetDrawingDefaults();
    COLORREF line = d.lineColour, fill = d.fillColour;
    if (!ReadColour(c.args, "--line-color", line) || !ReadColour(c.args, "--fill-color", fill)) return nullptr;
    return CreateShapeObject(shape, points, style, line, fill);
}

std::unique_ptr<CDrawObject> MakeMargin(const SAddContext& c, const std::vector<std::string>& words)
{
    if (words.size() != 2) {
        PrintError("usage: add P.vtp FACE margin top|bottom|left|right|top-left|top-right|bottom-left|bottom-right PERCENT"
                   " [--vpercent PERCENT] [--color C]");
        return nullptr;
    }
    const int type = FindMarginType(words[0]);
    if (type < 0) {
        PrintError("no margin type \"" + words[0] + "\" (top, bottom, left, right, top-left, top-right, bottom-left, bottom-right)");
        return nullptr;
    }
    // A band takes the one percentage across it; a corner takes it both ways
    // unless --vpercent gives the vertical one.
    int percent = 0, vpercent = 0;
    if (!ParseInt(words[1], "Margin", 1, 99, percent, "%")) return nullptr;
    vpercent = percent;
    if (const std::string* v = c.args.Get("--vpercent"); v && !ParseInt(*v, "Margin", 1, 99, vpercent, "%"))
        return nullptr;
    const CDrawingDefaults& d = c.doc.GetDrawingDefaults();
    COLORREF colour = d.fillColour;
    if (!ReadColour(c.args, "--color", colour)) return nullptr;
    return CreateMarginObject(type, c.faceWidth, c.faceHeight, percent, vpercent, colour, d.lineColour);
}

}  // namespace

int RunAdd(const SCliContext& context, const std::vector<std::string>& args)
{
    const SArgs a = ParseArgs(args, "add");
    if (!a.error.empty() || a.positional.size() < 3) {
        PrintError(a.error.empty() ? CommandUsageLine("add") : a.error);
        return kExitUsage;
    }
    const std::string& path = a.positional[0];
    const CErrorSubject subject(path);
    const std::string kind = Lower(a.positional[2]);
    const std::vector<std::string> words(a.positional.begin() + 3, a.positional.end());
    SFaceEdit edit;
    if (const int code = OpenFaceForEdit(a, edit); code != kExitOk) return code;
    CVtwinDoc* doc = edit.doc.get();
    CProduct& product = *doc->GetProduct();
    const bool backAdded = edit.backAdded;
    SAddContext c{a, *doc, edit.key};
    GetFacePictureSize(product, c.key, c.faceWidth, c.faceHeight);
    if (c.faceWidth <= 0) {
        PrintError(path + ": the " + GetFaceTabName(c.key) + " face has no picture to draw on");
        return kExitFailed;
    }
    if (const std::string* unit = a.Get("--unit")) {
        if (*unit == "mm") {
            c.perMm = GetFacePixelsPerMillimetre(product, c.key);
            if (c.perMm <= 0) {
                PrintError("the " + GetFaceTabName(c.key) + " face has no size in millimetres: give face pixels");
                return kExitUsage;
            }
        } else if (*unit != "px") {
            PrintError("--unit must be px or mm");
            return kExitUsage;
        }
    }
    if (a.Get("--kind") && kind != "barcode") {
        PrintError("--kind goes with barcode");
        return kExitUsage;
    }
    std::unique_ptr<CDrawObject> object;
    const bool oneWord = words.size() == 1;
    if (kind == "text" && oneWord) object = MakeText(c, words[0]);
    else if (kind == "picture" && oneWord) object = MakePicture(c, words[0]);
    else if (kind == "barcode" && oneWord) object = MakeBarcode(c, words[0]);
    else if (kind == "rect" || kind == "ellipse" || kind == "line" || kind == "polygon" || kind == "polyline")
        object = MakeShape(c, kind, words);
    else if (kind == "margin") object = MakeMargin(c, words);
    else {
        PrintError(CommandUsageLine("add"));
        return kExitUsage;
    }
    if (!object) return c.failure;
    if (!ApplyObjectLook(a, GetFacePixelsPerMillimetre(product, c.key), *object)) return kExitUsage;
    auto& list = static_cast<CDrawObjectList&>(doc->GetFaceObjects(c.key));
    ObjectCommands::Add(list, std::move(object), false);
    doc->SetModifiedFlag(true);
    if (!doc->SaveProject(path)) return kExitFailed;
    if (!context.quiet)
        std::printf("%s: %s object %zu added%s\n", path.c_str(), GetFaceTabName(c.key).c_str(), list.GetObjectCount(),
                    backAdded ? " (back face added)" : "");
    return kExitOk;
}
