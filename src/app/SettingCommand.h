#pragma once
// Setting a product's render settings: the one command the property grid,
// the turn of the product on the Render tab and the command-line tool run.
// Each value is checked against its row with one set of messages: Yes or No,
// a choice from the row's list, a number in the row's range, a colour the
// effect accepts, lights a shadow can fall from, page depths that add up to
// 100. A change that is accepted is stored; the document form also records
// it as one undo step.

#include "properties/settings/SettingKey.h"
#include "properties/settings/SettingTable.h"
#include "properties/UserPrompts.h"

#include <climits>
#include <string>
#include <vector>

class CProduct;
class CUndoStore;
class CVtwinDoc;

// One value of an edit: an integer or a text under a key.
struct CSettingValue {
    SettingKey key;
    bool isText = false;
    int number = 0;
    std::string text;
};

struct SSettingResult {
    bool ok = false;
    // The refusal (empty when the user answered No to a question), or, when
    // ok, an information to show (usually empty).
    std::string message;
    unsigned updateMask = 0;  // OR of the update classes of what changed
};

// A number no setting accepts: a reader that could not make sense of a
// value's text passes it on, and the check refuses it with the row's own
// message ("... must be Yes or No.", "... must be one of ...").
constexpr int kUnreadableSettingValue = INT_MIN;

// The value names a choice setting offers for this product (CD Position
// has its own list on boxes).
ValueNameList GetSettingChoices(const CProduct& product, const SettingInfo& info);

// Inclusive range of a whole-number setting for this product: Bevel Size
// and Border Size are limited by the rendering size.
void GetSettingRange(const CProduct& product, const SettingInfo& info, int& minimum, int& maximum);

// Checks the values as one change (a value checks against the others of the
// change, then the stored ones). `ask` answers the very-dark colorize
// question. Nothing is stored.
SSettingResult CheckSettingValues(const CProduct& product, const std::vector<CSettingValue>& values,
                                  const QuestionCallback& ask);

// Checks and, when accepted, stores the values. ok with a mask of 0: every
// value was stored already.
SSettingResult SetSettingValues(CProduct& product, const std::vector<CSettingValue>& values,
                                const QuestionCallback& ask);

// The same on a document: when something changes, the undo step named
// `undoText` is pushed on `undo` before the values are stored.
SSettingResult SetSettingValues(CVtwinDoc& doc, CUndoStore& undo, const std::vector<CSettingValue>& values,
                                const std::string& undoText, const QuestionCallback& ask);
