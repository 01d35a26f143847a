// The dieline module: the PoDoFo half of CDielineLayer (see DielinePdfModule.h).
#include "layout/modules/DielinePdfModule.h"

#include <podofo/podofo.h>

namespace {

using namespace PoDoFo;

// The dictionary that `key` of `dict` holds (directly or through a
// reference), created empty when missing.
PdfDictionary& SubDictionary(PdfVecObjects& objects, PdfDictionary& dict, const char* key)
{
    PdfObject* value = dict.GetKey(key);
    if (value && value->IsReference())
        value = objects.GetObject(value->GetReference());
    if (!value || !value->IsDictionary()) {
        dict.AddKey(key, PdfDictionary());
        value = dict.GetKey(key);
    }
    return value->GetDictionary();
}

PdfObject* NewStream(PdfVecObjects& objects, const std::string& text)
{
    PdfObject* stream = objects.CreateObject();
    stream->GetStream()->Set(text.data(), static_cast<pdf_long>(text.size()));
    return stream;
}

// The optional content group "Dieline", shown by default, named in the
// document's catalogue.
PdfObject* AddDielineGroup(PdfMemDocument& document, PdfVecObjects& objects)
{
    PdfObject* group = objects.CreateObject("OCG");
    group->GetDictionary().AddKey("Name", PdfString("Dieline"));
    PdfArray groups;
    groups.push_back(group->Reference());
    PdfDictionary defaults;
    defaults.AddKey("Name", PdfString("Default"));
    defaults.AddKey("Order", groups);
    defaults.AddKey("ON", groups);
    PdfDictionary properties;
    properties.AddKey("OCGs", groups);
    properties.AddKey("D", defaults);
    document.GetCatalog()->GetDictionary().AddKey("OCProperties", properties);
    return group;
}

// Separation "Dieline", magenta (0 1 0 0 in CMYK) on composite output.
PdfArray MakeDielineInk(PdfVecObjects& objects)
{
    PdfDictionary tint;
    tint.AddKey("FunctionType", static_cast<pdf_int64>(2));
    PdfArray domain;
    domain.push_back(PdfVariant(0.0));
    domain.push_back(PdfVariant(1.0));
    tint.AddKey("Domain", domain);
    PdfArray c0, c1;
    for (double v : {0.0, 0.0, 0.0, 0.0})
        c0.push_back(PdfVariant(v));
    for (double v : {0.0, 1.0, 0.0, 0.0})
        c1.push_back(PdfVariant(v));
    tint.AddKey("C0", c0);
    tint.AddKey("C1", c1);
    tint.AddKey("N", PdfVariant(1.0));
    PdfArray separation;
    separation.push_back(PdfName("Separation"));
    separation.push_back(PdfName("Dieline"));
    separation.push_back(PdfName("DeviceCMYK"));
    separation.push_back(objects.CreateObject(tint)->Reference());
    return separation;
}

PdfDictionary MakeOverprint()
{
    PdfDictionary overprint;
    overprint.AddKey("Type", PdfName("ExtGState"));
    overprint.AddKey("OP", PdfVariant(true));
    overprint.AddKey("op", PdfVariant(true));
    overprint.AddKey("OPM", static_cast<pdf_int64>(1));
    return overprint;
}

// The page's content is bracketed by q / Q so that whatever state it leaves
// does not reach the layer, which follows it.
void AppendLayerContent(PdfVecObjects& objects, PdfPage& page, const std::string& layer)
{
    PdfDictionary& pageDict = page.GetObject()->GetDictionary();
    PdfArray contents;
    contents.push_back(NewStream(objects, "q\n")->Reference());
    if (PdfObject* old = pageDict.GetKey("Contents")) {
        if (old->IsArray())
            for (const PdfObject& item : old->GetArray())
                contents.push_back(item);
        else
            contents.push_back(*old);
    }
    contents.push_back(NewStream(objects, "\nQ\n")->Reference());
    contents.push_back(NewStream(objects, layer)->Reference());
    pageDict.AddKey("Contents", contents);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) bool VtAddDielineLayer(std::string& pdf, const std::string& content,
                                                                         std::string& error)
{
    PdfError::EnableDebug(false);
    PdfError::EnableLogging(false);
    try {
        PdfMemDocument document;
        document.LoadFromBuffer(pdf.data(), static_cast<long>(pdf.size()));
        PdfVecObjects& objects = document.GetObjects();
        PdfPage* page = document.GetPage(0);
        if (page == nullptr || page->GetResources() == nullptr) {
            error = "the page has no resources";
            return false;
        }
        PdfObject* group = AddDielineGroup(document, objects);
        const PdfArray separation = MakeDielineInk(objects);
        PdfDictionary& resources = page->GetResources()->GetDictionary();
        SubDictionary(objects, resources, "Properties").AddKey("DielineLayer", group->Reference());
        SubDictionary(objects, resources, "ColorSpace").AddKey("DielineInk", separation);
        SubDictionary(objects, resources, "ExtGState").AddKey("DielineOverprint", MakeOverprint());
        AppendLayerContent(objects, *page, content);

        PdfRefCountedBuffer buffer;
        PdfOutputDevice device(&buffer);
        document.Write(&device);
        pdf.assign(buffer.GetBuffer(), device.GetLength());
        return true;
    } catch (const PdfError& e) {
        error = std::string("the PDF could not be completed (") + PdfError::ErrorMessage(e.GetError()) + ")";
        return false;
    }
}
