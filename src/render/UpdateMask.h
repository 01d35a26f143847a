#pragma once
// What a finished render-setting edit makes stale: the update mask is applied
// to the render cache, the cached models and the pictures that follow a
// setting (the CD-ROM face, the background).

#include <functional>
#include <string>

class CAppFolders;
class CProduct;
class CRenderCache;

// Brings the project in line with an update mask: reloads the CD-ROM face
// picture (8), marks page-edge faces (16) and the layout, scratch and
// rendering data (1, 2, 4) stale, and calls `discardModels` for the cached
// preview and render models (64, 128). The background reload (32) belongs
// to the chosen sub-picture's name alone, which is set when the project is
// made and never edited afterwards, so no edit brings it. False and `error`
// when a picture could not be read (everything else is done).
bool ApplyUpdateMask(CProduct& product, CRenderCache& cache, unsigned mask, const CAppFolders* folders,
                     const std::function<void()>& discardModels, std::string& error);
