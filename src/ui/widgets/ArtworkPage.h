#pragma once
// The page of a PDF file that a picture is made from. Files of one page and
// other pictures need no question.

#include <QString>
#include <functional>
#include <optional>

class QWidget;

// 1 for a picture file, an SVG file or a PDF file of one page; otherwise the
// page the user chooses (from 1), or nothing when the user cancels.
std::optional<int> AskArtworkPage(QWidget* parent, const QString& file);

// Test hook: when set, it answers instead of the user (given the page count).
using ArtworkPageHook = std::function<std::optional<int>(int pageCount)>;
void SetArtworkPageHook(ArtworkPageHook hook);
