#pragma once
// How the core asks and tells the user without owning any dialogs: the program
// passes these callbacks in (the desktop program shows message boxes, the
// command-line program prints or answers from its options).

#include <functional>
#include <string>

// A Yes/No question (No is the default answer); returns true for Yes.
using QuestionCallback = std::function<bool(const std::string& question)>;

// A message the user must see (an error or an information).
using MessageSink = std::function<void(const std::string& message)>;
