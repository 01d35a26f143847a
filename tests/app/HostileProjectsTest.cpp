// Hostile project files: each is refused with its reason before the pictures
// it claims are made.

#include "HostileCorpus.h"

#include "app/project/ProjectFile.h"
#include "app/undo/UndoStore.h"
#include "app/VtwinDoc.h"
#include "image/Raster.h"

#include <gtest/gtest.h>

TEST(HostileProjects, EachIsRefusedWithItsReason)
{
    const auto projects = hostile::HostileProjects();
    ASSERT_EQ(projects.size(), 7u) << "tests/data/hostile/index.txt";
    for (const hostile::SHostileFile& p : projects) {
        SCOPED_TRACE(p.name);
        CUndoStore undo;
        CVtwinDoc doc(nullptr, &undo);
        CDocContent content;
        std::string error;
        EXPECT_FALSE(CProjectFile::Read(doc, p.bytes.data(), p.bytes.size(), content, error));
        EXPECT_EQ(error.rfind(p.refusal, 0), 0u) << "got: " << error;
        if (p.refusal.find("too large") != std::string::npos) {
            EXPECT_NE(error.find("pixels; the largest picture is 16384 x 16384 pixels"), std::string::npos) << error;
        }
    }
}
