#pragma once
// Text variables: "{NAME}" in a face's texts stands for words given when the
// project is rendered (a catalogue's title, volume, price). Filling them is
// one document command on a face's objects.

#include <string>
#include <utility>
#include <vector>

class CDrawObjectList;

// NAME -> the words for "{NAME}".
using CTextVariables = std::vector<std::pair<std::string, std::string>>;

// `text` with every "{NAME}" of the variables replaced; unknown names stay.
std::string FillVariables(const std::string& text, const CTextVariables& variables);

// Fills the variables into every text of the face, each text's box refitted
// to its new words; the number of texts changed.
int FillTextVariables(CDrawObjectList& objects, const CTextVariables& variables);
