#include "app/NewDocument.h"

#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"

#include <memory>
#include <utility>

bool CreateFromModel(const CAppFolders& folders, const std::string& section, const NewProjectAnswers& answers,
                     CVtwinDoc& doc, std::string& error, const NewProjectProgress& progress)
{
    std::unique_ptr<CProduct> product = BuildProductFromModel(folders, section, answers, error, progress);
    if (!product)
        return false;
    if (progress)
        progress("Setting as document");
    doc.NewProject(std::move(product));
    doc.SetModifiedFlag(true);
    if (progress)
        progress("Done");
    return true;
}
