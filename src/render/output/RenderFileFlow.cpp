#include "render/output/RenderFileFlow.h"

#include "image/picture/PictureCodecs.h"
#include "image/Raster.h"
#include "render/output/RenderOutput.h"

ERenderFileResult RunRenderToFile(CRaster& rendering, CRenderOutput& output, const CIniFile* ini,
                                  const SRenderFileDialogs& dialogs, std::string* savedName)
{
    if (GetPromptFormatNoAsk(ini) == 0) {
        bool dontExplain = false;
        if (!dialogs.explainFormats || !dialogs.explainFormats(dontExplain)) return ERenderFileResult::Cancelled;
        SetPromptFormatNoAsk(ini, dontExplain);
    }
    if (!dialogs.chooseFile) return ERenderFileResult::Cancelled;
    const std::optional<SSaveChoice> choice = dialogs.chooseFile(output.GetRememberedFolder());
    if (!choice || choice->fileName.empty()) return ERenderFileResult::Cancelled;
    output.RememberFolderOf(choice->fileName);

    const std::string name = ApplyExtensionRule(choice->fileName, choice->filter);
    int quality = output.GetJpegQuality();
    const SPictureCodec* codec = FindPictureCodec(ImageTypeForFilter(choice->filter));
    if (codec && (codec->options & kCodecQuality)) {
        if (!dialogs.chooseJpegQuality) return ERenderFileResult::Cancelled;
        const std::optional<int> q = dialogs.chooseJpegQuality(quality);
        if (!q) return ERenderFileResult::Cancelled;
        quality = *q < 0 ? 0 : (*q > 100 ? 100 : *q);
        output.SetJpegQuality(quality);
    }
    CRaster* picture = &rendering;
    if (choice->filter == kFilterPNGCutOut) {
        // Only PNG keeps transparency; the cut-out is a render of its own.
        std::string why;
        picture = dialogs.makeCutOut ? dialogs.makeCutOut(why)
                                     : (why = "A picture with a transparent background can not be made here.", nullptr);
        if (!picture) {
            if (why.empty()) return ERenderFileResult::Cancelled;
            if (dialogs.showMessage) dialogs.showMessage(why);
            return ERenderFileResult::Failed;
        }
    }
    std::string message, reason;
    bool saved = false;
    const auto write = [&] { saved = CRenderOutput::SaveRendering(*picture, name, choice->filter, quality, message, reason); };
    if (dialogs.writeFile)
        dialogs.writeFile(name, write);
    else
        write();
    if (!saved) {
        if (dialogs.showMessage) dialogs.showMessage(message);
        return ERenderFileResult::Failed;
    }
    if (savedName) *savedName = name;
    return ERenderFileResult::Saved;
}

bool IsRenderCompleteOffered(bool suppressed, const CIniFile* ini)
{
    return !suppressed && GetPromptRenderNoAsk(ini) == 0;
}
