#pragma once
// Which pages the new-project wizard shows for a model, in order: a pure
// function of the model entry (and the answers of its product kind).

#include "catalogue/Catalogue.h"

#include <string>
#include <vector>

class CProduct;

// True when a new project of `entry` built as `product`'s kind gets a printed
// back (boxes, cases and books; not a disk whose faces come with its picture).
// The wizard then shows "Back's Appearance" after the other faces.
bool NewProjectHasBackFace(const CProduct& product, const ModelEntry& entry);

// Page titles for `entry` built as `product`'s kind.
std::vector<std::string> GetWizardPages(const CProduct& product, const ModelEntry& entry);

// Same, making the product from the entry's kind code; empty when the code
// names no kind.
std::vector<std::string> GetWizardPages(const ModelEntry& entry);

// The title of each page as the wizard shows it: "Step %d of %d: %s".
std::string GetWizardStepCaption(int position, int count, const std::string& title);
