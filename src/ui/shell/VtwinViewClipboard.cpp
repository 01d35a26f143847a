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
    CDrawObjectList* objects = CurrentObjects();
    if (!objects)
        return;
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data)
        return;
    if (data->hasFormat(ClipboardMimeType())) {
        const QByteArray bytes = data->data(ClipboardMimeType());
        CBinaryRecordStream stream;
        if (!stream.Attach(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                           static_cast<std::size_t>(bytes.size()))) {
            ShowMessage(this, QStringLiteral("The Clipboard does not hold objects that can be pasted."),
                        EMessageIcon::Warning);
            return;
        }
        const std::uint32_t count = stream.ReadU32();
        const std::string source = stream.ReadString();
        CObjectVector pasted;
        // Each object takes at least its kind code's length word and the version word.
        if (!stream.HasRoomFor(count, 8)) {
            ShowMessage(this, QStringLiteral("The Clipboard does not hold objects that can be pasted."),
                        EMessageIcon::Warning);
            return;
        }
        for (std::uint32_t i = 0; i < count && !stream.Failed(); ++i) {
            bool unknown = false;
            auto o = LoadDrawObject(stream, false, false, &unknown);
            if (!o) {
                if (unknown)
                    continue;
                break;
            }
            o->SetSelection(kSelectOn);
            pasted.push_back(std::move(o));
        }
        if (stream.Failed() || pasted.empty()) {
            ShowMessage(this, QStringLiteral("The Clipboard does not hold objects that can be pasted."),
                        EMessageIcon::Warning);
            return;
        }
        std::uint32_t tag = 0;
        int sourceWidth = 0, sourceHeight = 0;
        if (stream.PeekU32(tag) && tag == PastePlacement::kSourceSizeTag) {
            stream.ReadU32();
            sourceWidth = stream.ReadI32();
            sourceHeight = stream.ReadI32();
        }
        const int faceWidth = m_canvas->FaceWidth(), faceHeight = m_canvas->FaceHeight();
        const bool sameFace = source == CurrentFaceKey();
        if (!inPlace && !sameFace)
            PastePlacement::KeepRelativePlace(pasted, sourceWidth, sourceHeight, faceWidth, faceHeight);
        RecordLayoutUndo(inPlace ? "Paste In Place" : "Paste");
        objects = CurrentObjects();
        LayoutEdit::ClearSelection(*objects);
        const std::size_t pastedCount = pasted.size();
        LayoutEdit::PlacePasted(*objects, std::move(pasted), m_canvas->Mapping(), sameFace && !inPlace);
        PastePlacement::ClampInside(*objects, pastedCount, faceWidth, faceHeight);
        AfterEdit(true);
        return;
    }
    if (data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        auto raster = std::make_shared<CRaster>();
        if (!QImageToRaster(image, *raster, true)) {
            ShowMessage(this, QStringLiteral("The picture on the Clipboard can not be pasted."), EMessageIcon::Warning);
            return;
        }
        RecordLayoutUndo("Paste");
        objects = CurrentObjects();
        LayoutEdit::ClearSelection(*objects);
        const CFaceMapping& m = m_canvas->Mapping();
        // The top-left corner of the visible part of the face: when the face
        // is centred in the window its edges, not the window's, bound it.
        const int left = std::clamp(m.faceLeft, 0, std::max(0, m.faceWidth - 1));
        const int top = std::clamp(m.faceTop, 0, m.faceHeight);
        std::unique_ptr<CDrawPicture> picture = CDrawPicture::CreateFromImage(std::move(raster), left, top);
        picture->SetSelection(kSelectDominant);
        objects->Add(std::move(picture));
        objects->UpdateOrderKeys();
        objects->MarkSelectionStale();
        AfterEdit(true);
    }
}
