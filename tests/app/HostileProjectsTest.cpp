// Hostile project files: each is refused with its reason before the pictures
// it claims are made.

#include "app/HostileProjects.h"

#include "app/project/ProjectFile.h"
#include "app/undo/UndoStore.h"
#include "app/VtwinDoc.h"
#include "image/Raster.h"

#include <gtest/gtest.h>

TEST(HostileProjects, EachIsRefusedWithItsReason)
{
    for (const hostile::SHostileProject& p : hostile::HostileProjects()) {
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
