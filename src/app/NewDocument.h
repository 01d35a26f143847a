#pragma once
// The whole new-project step of the document: the product built from a
// catalogue model (catalogue/NewProject.h) becomes the document's project.

#include "catalogue/NewProject.h"

#include <string>

class CAppFolders;
class CVtwinDoc;

// Builds the product and, only when that worked, resets the document to hold it
// (modified, draw objects and undo cleared). On failure the document is
// unchanged and `error` holds the message.
bool CreateFromModel(const CAppFolders& folders, const std::string& section, const NewProjectAnswers& answers,
                     CVtwinDoc& doc, std::string& error, const NewProjectProgress& progress = nullptr);
