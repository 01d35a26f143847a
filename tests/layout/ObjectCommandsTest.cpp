// The commands that add, remove and fill objects, walked through one face.
#include "layout/shapes/DrawRect.h"
#include "layout/text/DrawText.h"
#include "layout/objects/ObjectCommands.h"
#include "layout/text/TextVariables.h"

#include <gtest/gtest.h>

#include <memory>

TEST(ObjectCommands, AddRemoveAndFillTextVariables)
{
    CDrawObjectList list;
    for (int i = 0; i < 3; ++i)
        ObjectCommands::Add(list, std::make_unique<CDrawRect>(), true);
    // Only the newest is selected, dominant, at the front.
    EXPECT_EQ(list.GetObject(2)->GetSelection(), kSelectDominant);
    EXPECT_FALSE(list.GetObject(0)->IsSelected() || list.GetObject(1)->IsSelected());

    EXPECT_EQ(ObjectCommands::Remove(list, 3), "There is no such object on this face.");
    EXPECT_EQ(list.GetObjectCount(), 3u);
    EXPECT_EQ(ObjectCommands::Remove(list, 0), "");
    ObjectCommands::RemoveSelected(list);
    EXPECT_EQ(list.GetObjectCount(), 1u);

    auto text = std::make_unique<CDrawText>();
    text->SetText("{title} vol. {n} {unknown}");
    CDrawObject* added = ObjectCommands::Add(list, std::move(text), false);
    EXPECT_EQ(FillTextVariables(list, {{"title", "Moon"}, {"n", "3"}}), 1);
    EXPECT_EQ(added->GetText(), "Moon vol. 3 {unknown}");
    EXPECT_EQ(FillTextVariables(list, {{"title", "Sun"}}), 0);  // no "{title}" is left
}
