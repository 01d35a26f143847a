#pragma once
// Helpers shared by the commands of vantorel-cli: option parsing, number
// fields, error lines and opening projects.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CVtwinDoc;

// Options of one command: "-o X" / "--name X" pairs, "--flag" switches and
// the positional words, in the order given.
struct SArgs {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;
    std::vector<std::string> flags;
    std::string error;

    // The last value given for `name`, or null.
    const std::string* Get(const std::string& name) const;
    // Every value given for `name`, in order (repeatable options such as --set).
    std::vector<std::string> GetAll(const std::string& name) const;
    bool Has(const std::string& flag) const;
};

// Splits `args` by the options that the command table gives `command`: an
// option with a value takes the next word, a switch none, an alias counts as
// its option's name; any other word starting with '-' (except a lone "-" or a
// negative number) is an error.
SArgs ParseArgs(const std::vector<std::string>& args, std::string_view command);

// `text` with every control character (C0, DEL and the UTF-8 forms of C1)
// written as \xHH, so that text taken from files reaches the terminal as
// text and never as a terminal command.
std::string Printable(const std::string& text);

// Prints "vantorel-cli: " + message on stderr, on one line, control
// characters escaped; while a CErrorSubject lives, a message that does not
// name its file yet starts with "FILE: ".
void PrintError(const std::string& message);

// The file a command works on, named by every error it prints meanwhile.
class CErrorSubject {
public:
    explicit CErrorSubject(const std::string& file);
    ~CErrorSubject();
    CErrorSubject(const CErrorSubject&) = delete;
    CErrorSubject& operator=(const CErrorSubject&) = delete;

private:
    std::string m_previous;
};

// A whole number field checked like the dialogs check theirs; prints the
// refusal and returns false when the text is not in [minimum, maximum].
bool ParseInt(const std::string& text, const char* label, int minimum, int maximum, int& value,
              const char* unit = "");

// The colour of `option` (#RRGGBB, R,G,B or a colour name) into `colour`, which
// keeps its value when the option is absent; prints the refusal and returns
// false when the text is no colour.
bool ReadColour(const SArgs& a, const char* option, std::uint32_t& colour);

// A document whose messages go to stderr as error lines.
std::unique_ptr<CVtwinDoc> MakeDocument();

// Opens a project that must hold a product; false with the message printed.
bool OpenDocument(CVtwinDoc& doc, const std::string& path);

// Whether a picture may be written to `path`: a project file there is never
// replaced by an output unless `force` (the refusal is printed).
bool MayReplaceWithOutput(const std::string& path, bool force);

// `text` as a JSON string literal, quotes included.
std::string JsonString(const std::string& text);
