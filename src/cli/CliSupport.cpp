#include "cli/CliSupport.h"

#include <cctype>
#include <cstdio>

#include "app/project/ProjectFile.h"
#include "app/VtwinDoc.h"
#include "cli/CommandTable.h"
#include "layout/objects/DrawObjectList.h"
#include "properties/settings/SettingChecks.h"
#include "cli/edit/SettingEdit.h"

const std::string* SArgs::Get(const std::string& name) const
{
    const std::string* found = nullptr;
    for (const auto& [n, v] : options)
        if (n == name) found = &v;
    return found;
}

std::vector<std::string> SArgs::GetAll(const std::string& name) const
{
    std::vector<std::string> out;
    for (const auto& [n, v] : options)
        if (n == name) out.push_back(v);
    return out;
}

bool SArgs::Has(const std::string& flag) const
{
    for (const std::string& f : flags)
        if (f == flag) return true;
    return false;
}

SArgs ParseArgs(const std::vector<std::string>& args, std::string_view commandName)
{
    SArgs out;
    const SCliCommand* command = FindCliCommand(commandName);
    const std::string help = " (vantorel-cli " + std::string(commandName) + " --help lists the options)";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool number = a.size() > 1 && (std::isdigit(static_cast<unsigned char>(a[1])) != 0 || a[1] == '.');
        if (a.size() < 2 || a[0] != '-' || number) {
            out.positional.push_back(a);
            continue;
        }
        const SCliOption* option = command ? FindCliOption(command, a) : nullptr;
        if (option == nullptr) {
            out.error = "unknown option " + a + help;
            return out;
        }
        if (option->value == nullptr) {
            out.flags.emplace_back(option->name);
        } else if (i + 1 >= args.size()) {
            out.error = "option " + std::string(option->name) + " needs a value " + option->value;
            return out;
        } else {
            out.options.emplace_back(option->name, args[++i]);
        }
    }
    return out;
}

std::string Printable(const std::string& text)
{
    std::string out;
    auto hex = [&](unsigned char c) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "\\x%02x", c);
        out += buffer;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const unsigned char next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (c < 0x20 || c == 0x7F) {
            hex(c);
        } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
            hex(c);
            hex(next);
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

namespace {
std::string g_errorSubject;  // the file of the command running, if any
}  // namespace

CErrorSubject::CErrorSubject(const std::string& file) : m_previous(g_errorSubject) { g_errorSubject = file; }

CErrorSubject::~CErrorSubject() { g_errorSubject = m_previous; }

void PrintError(const std::string& message)
{
    if (!g_errorSubject.empty() && message.find(g_errorSubject) == std::string::npos) {
        PrintError(g_errorSubject + ": " + message);
        return;
    }
    // One line per failure: message-box texts with paragraph breaks are joined.
    std::string line;
    bool pendingSpace = false;
    for (char c : message) {
        if (c == '\n' || c == '\r') {
            pendingSpace = !line.empty();
            continue;
        }
        if (pendingSpace && c != ' ') line += ' ';
        pendingSpace = false;
        line += c;
    }
    std::fprintf(stderr, "vantorel-cli: %s\n", Printable(line).c_str());
}

bool ParseInt(const std::string& text, const char* label, int minimum, int maximum, int& value, const char* unit)
{
    const IntFieldResult r = ValidateIntField(text, minimum, maximum, label, unit);
    if (!r.ok) {
        PrintError(r.message);
        return false;
    }
    value = r.value;
    return true;
}

bool ReadColour(const SArgs& a, const char* option, std::uint32_t& colour)
{
    const std::string* v = a.Get(option);
    if (v == nullptr) return true;
    unsigned c = 0;
    if (!ParseColour(*v, c)) {
        PrintError(std::string(option) + ": \"" + *v + "\" is no colour (#RRGGBB, R,G,B or a colour name)");
        return false;
    }
    colour = c;
    return true;
}

std::unique_ptr<CVtwinDoc> MakeDocument()
{
    auto doc = std::make_unique<CVtwinDoc>(&CreateDrawObjectList);
    doc->SetMessageSink([](const std::string& m) { PrintError(m); });
    return doc;
}

bool OpenDocument(CVtwinDoc& doc, const std::string& path)
{
    // Whatever the document reports from now on concerns this file.
    doc.SetMessageSink([path](const std::string& m) { PrintError(path + ": " + m); });
    // A damaged file is refused, never half-read into an edit saved over it.
    if (!doc.OpenProject(path, EDamagedFile::Refuse)) return false;  // the document reported why
    if (!doc.HasProduct()) {
        PrintError(path + ": the project holds no product");
        return false;
    }
    return true;
}

bool MayReplaceWithOutput(const std::string& path, bool force)
{
    if (force || !CProjectFile::HoldsProject(path))
        return true;
    PrintError(path + " is a project file; an output does not replace it (give --force to replace it)");
    return false;
}

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const unsigned char u = static_cast<unsigned char>(c);
        const unsigned char next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (u == 0x7F || (u == 0xC2 && next >= 0x80 && next <= 0x9F)) {
            // DEL and the C1 controls are legal in JSON but commands to a terminal.
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", u == 0x7F ? u : next);
            out += buffer;
            i += u == 0x7F ? 0 : 1;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", u);
            out += buffer;
        } else {
            out += c;
        }
    }
    return out + "\"";
}
