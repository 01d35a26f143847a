#include "layout/text/TextVariables.h"

#include "layout/objects/DrawObjectList.h"
#include "layout/text/DrawText.h"

#include <algorithm>

std::string FillVariables(const std::string& text, const CTextVariables& variables)
{
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t open = text.find('{', i);
        if (open == std::string::npos) break;
        const std::size_t close = text.find('}', open + 1);
        if (close == std::string::npos) break;
        const std::string name = text.substr(open + 1, close - open - 1);
        const auto found = std::find_if(variables.begin(), variables.end(), [&](const auto& v) { return v.first == name; });
        out += text.substr(i, open - i);
        if (found != variables.end()) {
            out += found->second;
            i = close + 1;
        } else {
            out += '{';
            i = open + 1;
        }
    }
    return out + text.substr(std::min(i, text.size()));
}

int FillTextVariables(CDrawObjectList& objects, const CTextVariables& variables)
{
    int changed = 0;
    for (std::size_t i = 0; i < objects.GetObjectCount(); ++i) {
        auto* text = dynamic_cast<CDrawText*>(objects.GetObject(i));
        if (text == nullptr) continue;
        const std::string filled = FillVariables(text->GetString(), variables);
        if (filled == text->GetString()) continue;
        text->SetText(filled);
        text->FitToText();
        ++changed;
    }
    return changed;
}
