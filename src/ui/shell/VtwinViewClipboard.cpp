// Cut, copy and paste of draw objects through the program's own clipboard
// type, and a picture on the clipboard pasted as a picture object.

#include "ui/shell/VtwinView.h"

#include "app/VtwinDoc.h"
#include "image/Raster.h"
#include "layout/shapes/DrawPicture.h"
#include "layout/objects/RecordStream.h"
#include "ui/canvas/FaceCanvas.h"
#include "layout/edit/PastePlacement.h"
#include "ui/widgets/MessageBox.h"
#include "ui/widgets/RasterImage.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include <algorithm>

QString CVtwinView::ClipboardMimeType() { return QStringLiteral("application/x-Vantorel_2.10"); }

bool CVtwinView::ClipboardHasContent() const
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && (data->hasFormat(ClipboardMimeType()) || data->hasImage());
}

void CVtwinView::DoCopy()
{
    CDrawObjectList* objects = CurrentObjects();
    if (!objects || LayoutEdit::CountSelected(*objects) == 0)
        return;
    CBinaryRecordStream stream;
    stream.WriteU32(static_cast<std::uint32_t>(LayoutEdit::CountSelected(*objects)));
    stream.WriteString(CurrentFaceKey());
    for (std::size_t i = 0; i < objects->GetObjectCount(); ++i)
        if (objects->GetObject(i)->IsSelected())
            SaveDrawObject(stream, *objects->GetObject(i), false, false);
    // The face's size, so that a paste on another face lands at the same place relative to it.
    stream.WriteU32(PastePlacement::kSourceSizeTag);
    stream.WriteI32(m_canvas->FaceWidth());
    stream.WriteI32(m_canvas->FaceHeight());
    std::vector<std::uint8_t> block;
    if (!stream.Flatten(block)) {
        ShowMessage(this, QStringLiteral("Out of memory"), EMessageIcon::Error);
        return;
    }
    auto* data = new QMimeData;
    data->setData(ClipboardMimeType(),
                  QByteArray(reinterpret_cast<const char*>(block.data()), static_cast<qsizetype>(block.size())));
    QApplication::clipboard()->setMimeData(data);
    m_canvas->SetTool(kModeSelect, 0);
}

void CVtwinView::DoPaste(bool inPlace)
{
    if (!CurrentObjects())
        return;
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data)
        return;
    if (data->hasFormat(ClipboardMimeType()))
        PasteObjects(data->data(ClipboardMimeType()), inPlace);
    else if (data->hasImage())
        PastePicture(qvariant_cast<QImage>(data->imageData()));
}

namespace {
// The objects of a copy, selected, with the face they came from and its size
// (0 x 0 from copies that did not record it); false when the block is no such copy.
bool ReadCopiedObjects(const QByteArray& bytes, CObjectVector& objects, std::string& source, int& sourceWidth,
                       int& sourceHeight)
{
    CBinaryRecordStream stream;
    if (!stream.Attach(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())))
        return false;
    const std::uint32_t count = stream.ReadU32();
    source = stream.ReadString();
    // Each object takes at least its kind code's length word and the version word.
    if (!stream.HasRoomFor(count, 8))
        return false;
    for (std::uint32_t i = 0; i < count && !stream.Failed(); ++i) {
        bool unknown = false;
        auto o = LoadDrawObject(stream, false, false, &unknown);
        if (!o) {
            if (unknown)
                continue;
            break;
        }
        o->SetSelection(kSelectOn);
        objects.push_back(std::move(o));
    }
    if (stream.Failed() || objects.empty())
        return false;
    std::uint32_t tag = 0;
    if (stream.PeekU32(tag) && tag == PastePlacement::kSourceSizeTag) {
        stream.ReadU32();
        sourceWidth = stream.ReadI32();
        sourceHeight = stream.ReadI32();
    }
    return true;
}
} // namespace

void CVtwinView::PasteObjects(const QByteArray& bytes, bool inPlace)
{
    CObjectVector pasted;
    std::string source;
    int sourceWidth = 0, sourceHeight = 0;
    if (!ReadCopiedObjects(bytes, pasted, source, sourceWidth, sourceHeight)) {
        ShowMessage(this, QStringLiteral("The Clipboard does not hold objects that can be pasted."),
                    EMessageIcon::Warning);
        return;
    }
    const int faceWidth = m_canvas->FaceWidth(), faceHeight = m_canvas->FaceHeight();
    const bool sameFace = source == CurrentFaceKey();
    if (!inPlace && !sameFace)
        PastePlacement::KeepRelativePlace(pasted, sourceWidth, sourceHeight, faceWidth, faceHeight);
    RunFaceCommand(inPlace ? "Paste In Place" : "Paste", true, [&](CDrawObjectList& list) {
        LayoutEdit::ClearSelection(list);
        const std::size_t pastedCount = pasted.size();
        LayoutEdit::PlacePasted(list, std::move(pasted), m_canvas->Mapping(), sameFace && !inPlace);
        PastePlacement::ClampInside(list, pastedCount, faceWidth, faceHeight);
        return std::string();
    });
}

void CVtwinView::PastePicture(const QImage& image)
{
    auto raster = std::make_shared<CRaster>();
    if (!QImageToRaster(image, *raster, true)) {
        ShowMessage(this, QStringLiteral("The picture on the Clipboard can not be pasted."), EMessageIcon::Warning);
        return;
    }
    const CFaceMapping& m = m_canvas->Mapping();
    // The top-left corner of the visible part of the face: when the face
    // is centred in the window its edges, not the window's, bound it.
    const int left = std::clamp(m.faceLeft, 0, std::max(0, m.faceWidth - 1));
    const int top = std::clamp(m.faceTop, 0, m.faceHeight);
    RunFaceCommand("Paste", true, [&](CDrawObjectList& list) {
        LayoutEdit::ClearSelection(list);
        std::unique_ptr<CDrawPicture> picture = CDrawPicture::CreateFromImage(std::move(raster), left, top);
        picture->SetSelection(kSelectDominant);
        list.Add(std::move(picture));
        list.UpdateOrderKeys();
        list.MarkSelectionStale();
        return std::string();
    });
}
