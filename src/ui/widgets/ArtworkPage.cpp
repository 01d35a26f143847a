#include "ui/widgets/ArtworkPage.h"

#include "image/picture/VectorArt.h"

#include <QFileInfo>
#include <QInputDialog>

namespace {
ArtworkPageHook& Hook()
{
    static ArtworkPageHook hook;
    return hook;
}
} // namespace

void SetArtworkPageHook(ArtworkPageHook hook) { Hook() = std::move(hook); }

std::optional<int> AskArtworkPage(QWidget* parent, const QString& file)
{
    const std::string path = file.toStdString();
    if (!CVectorArt::IsVectorFileName(path))
        return 1;
    std::string reason;
    const std::shared_ptr<const CVectorArt> art = CVectorArt::FromFile(path, 1, reason);
    const int pages = art ? art->GetPageCount() : 1;
    if (pages <= 1)
        return 1;  // a file that cannot be read is told about when it is loaded
    if (Hook())
        return Hook()(pages);
    bool ok = false;
    const int page = QInputDialog::getInt(
        parent, QStringLiteral("Page"),
        QStringLiteral("%1 has %2 pages. Page to use:").arg(QFileInfo(file).fileName()).arg(pages), 1, 1, pages, 1,
        &ok);
    return ok ? std::optional<int>(page) : std::nullopt;
}
