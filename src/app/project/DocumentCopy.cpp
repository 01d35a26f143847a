#include "app/project/DocumentCopy.h"

#include "catalogue/product/Product.h"

#include <new>

CDocContent CopyDocContent(const CVtwinDoc& doc)
{
    CDocContent copy;
    copy.defaults = doc.GetDrawingDefaults();
    if (const CProduct* product = doc.GetProduct()) {
        copy.product = CloneProduct(*product);
        if (!copy.product) throw std::bad_alloc();
        copy.hasProduct = doc.HasProduct();
    }
    for (std::size_t i = 0; i < doc.GetLayoutCount(); ++i)
        copy.layout.emplace_back(doc.GetLayoutKey(i), doc.GetLayoutList(i).Clone());
    return copy;
}
