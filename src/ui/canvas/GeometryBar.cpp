#include "ui/canvas/GeometryBar.h"

#include "app/VtwinDoc.h"
#include "catalogue/NewProject.h"
#include "catalogue/product/Product.h"
#include "layout/shapes/DrawBitmapObject.h"
#include "layout/objects/DrawObjectList.h"
#include "layout/objects/ObjectCommands.h"
#include "properties/settings/SettingTable.h"
#include "ui/shell/EditService.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QSpinBox>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string_view>

namespace {

// The box around every selected object (face pixels, y up).
struct SSelectionBox {
    int count = 0;
    int minX = INT_MAX, maxX = INT_MIN, minY = INT_MAX, maxY = INT_MIN;
    int single = -1;  // the index when one object is selected
};

SSelectionBox SelectionBox(const CDrawObjectList& objects)
{
    SSelectionBox b;
    for (std::size_t i = 0; i < objects.GetObjectCount(); ++i) {
        const CDrawObject* o = objects.GetObject(i);
        if (!o->IsSelected())
            continue;
        ++b.count;
        b.single = static_cast<int>(i);
        b.minX = std::min(b.minX, o->GetMinX());
        b.maxX = std::max(b.maxX, o->GetMaxX());
        b.minY = std::min(b.minY, o->GetMinY());
        b.maxY = std::max(b.maxY, o->GetMaxY());
    }
    if (b.count != 1)
        b.single = -1;
    return b;
}

} // namespace

CGeometryBar::CGeometryBar(CEditService& edits, QWidget* parent)
    : QToolBar(QStringLiteral("Position Toolbar"), parent), m_edits(edits)
{
    setObjectName(QStringLiteral("geometryBar"));
    m_unit = new QComboBox(this);
    m_unit->setObjectName(QStringLiteral("geometryUnit"));
    m_unit->addItems({QStringLiteral("mm"), QStringLiteral("px")});
    m_unit->setToolTip(QStringLiteral("Millimetres of the product or pixels of the face"));
    const char* const names[kFieldCount] = {"X", "Y", "W", "H"};
    const char* const tips[kFieldCount] = {"Left edge from the face's left edge", "Top edge from the face's top edge",
                                           "Width", "Height"};
    for (int f = 0; f < kFieldCount; ++f) {
        addWidget(new QLabel(QStringLiteral(" %1 ").arg(QLatin1String(names[f])), this));
        auto* box = new QDoubleSpinBox(this);
        box->setObjectName(QStringLiteral("geometry%1").arg(QLatin1String(names[f])));
        box->setToolTip(QString::fromLatin1(tips[f]));
        box->setRange(f < kFieldWidth ? -99999.0 : 0.0, 99999.0);
        box->setKeyboardTracking(false);  // typed values count when entered
        box->setMinimumWidth(80);
        connect(box, &QDoubleSpinBox::valueChanged, this, [this, f] { Commit(static_cast<EField>(f)); });
        addWidget(box);
        m_fields[f] = box;
    }
    addWidget(new QLabel(QStringLiteral(" Angle "), this));
    m_angle = new QSpinBox(this);
    m_angle->setObjectName(QStringLiteral("geometryAngle"));
    m_angle->setToolTip(QStringLiteral("Angle of a text, barcode or picture, anticlockwise"));
    m_angle->setRange(0, 270);
    m_angle->setSingleStep(90);
    m_angle->setWrapping(true);
    m_angle->setSuffix(QStringLiteral("\u00B0"));
    m_angle->setKeyboardTracking(false);
    connect(m_angle, &QSpinBox::valueChanged, this, &CGeometryBar::CommitAngle);
    addWidget(m_angle);
    addWidget(m_unit);
    connect(m_unit, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_updating)
            m_wantMm = index == 0;
        Refresh();
    });
    Refresh();
}

double CGeometryBar::PixelsPerMm() const
{
    const CVtwinDoc* doc = m_edits.Document();
    const CProduct* product = doc ? doc->GetProduct() : nullptr;
    const std::string key = m_edits.CurrentFaceKey();
    // The faces of the product's own size; the background and the CD-ROM
    // have none of it.
    if (!product || key.size() != 1 || std::string_view("FLRUDSBlrud").find(key[0]) == std::string_view::npos ||
        m_edits.FaceWidth() <= 0)
        return 0.0;
    // The face's size in millimetres, as the new project made its picture.
    const SettingStore& s = product->GetSettings();
    const auto mm = [&s](int id) { return static_cast<int>(std::lround(s.GetReal(ModelKey(id)))); };
    int wMm = 0, hMm = 0;
    GetFacePixelSize(key[0], mm(kSetProductWidth), mm(kSetProductHeight), mm(kSetProductDepth), 1, wMm, hMm);
    if (mm(kSetProductWidth) <= 0 || mm(kSetProductHeight) <= 0)
        return 0.0;
    return static_cast<double>(m_edits.FaceWidth()) / wMm;
}

double CGeometryBar::Scale() const
{
    const double ppm = PixelsPerMm();
    return m_unit->currentIndex() == 0 && ppm > 0 ? ppm : 1.0;
}

void CGeometryBar::Refresh()
{
    CDrawObjectList* objects = m_edits.CurrentObjects();
    const SSelectionBox b = objects ? SelectionBox(*objects) : SSelectionBox{};
    m_updating = true;
    m_unit->setEnabled(PixelsPerMm() > 0);
    m_unit->setCurrentIndex(PixelsPerMm() > 0 && m_wantMm ? 0 : 1);
    const double s = Scale();
    const int decimals = s > 1.0 ? 2 : 0;
    const int faceHeight = m_edits.FaceHeight();
    // An empty selection's box is the sentinel extremes: no arithmetic on it.
    double values[kFieldCount] = {};
    if (b.count > 0) {
        values[kFieldX] = b.minX / s;
        values[kFieldY] = (faceHeight - b.maxY) / s;
        values[kFieldWidth] = (b.maxX - b.minX) / s;
        values[kFieldHeight] = (b.maxY - b.minY) / s;
    }
    for (int f = 0; f < kFieldCount; ++f) {
        QDoubleSpinBox* box = m_fields[f];
        box->setDecimals(decimals);
        box->setSingleStep(1.0);
        box->setEnabled(b.count == 1 || (b.count > 1 && f < kFieldWidth));
        box->setValue(values[f]);
    }
    const auto* bitmap = b.single >= 0 ? dynamic_cast<const CDrawBitmapObject*>(objects->GetObject(b.single)) : nullptr;
    m_angle->setEnabled(bitmap != nullptr);
    m_angle->setValue(bitmap ? bitmap->GetAngle() / 10 : 0);
    m_updating = false;
}

void CGeometryBar::Commit(EField field)
{
    CDrawObjectList* objects = m_edits.CurrentObjects();
    if (m_updating || !objects)
        return;
    const SSelectionBox b = SelectionBox(*objects);
    if (b.count == 0)
        return;
    const double s = Scale();
    const int faceHeight = m_edits.FaceHeight();
    const auto px = [s](double v) { return static_cast<int>(std::lround(v * s)); };
    const int left = px(m_fields[kFieldX]->value());
    const int top = faceHeight - px(m_fields[kFieldY]->value());
    // Fields left as shown keep their exact pixels (a millimetre value shown
    // rounded must not move the object).
    ObjectCommands::SBoxEdit box;
    box.left = field == kFieldX ? left : b.minX;
    box.top = field == kFieldY ? top : b.maxY;
    box.width = field == kFieldWidth ? px(m_fields[kFieldWidth]->value()) : b.maxX - b.minX;
    box.height = field == kFieldHeight ? px(m_fields[kFieldHeight]->value()) : b.maxY - b.minY;
    const char* what = field == kFieldWidth || field == kFieldHeight ? "Resize " : "Move ";
    if (b.single >= 0) {
        const auto index = static_cast<std::size_t>(b.single);
        m_edits.RunObjectCommand(what + objects->GetObject(index)->GetDisplayName(),
                                 [&](CDrawObjectList& list) { return ObjectCommands::SetBox(list, index, box); });
    } else {
        m_edits.RunObjectCommand("Move Objects", [&](CDrawObjectList& list) {
            return ObjectCommands::OffsetSelected(list, box.left - b.minX, box.top - b.maxY);
        });
    }
    Refresh();  // a refused value shows the object as it is
}

void CGeometryBar::CommitAngle()
{
    CDrawObjectList* objects = m_edits.CurrentObjects();
    if (m_updating || !objects)
        return;
    const SSelectionBox b = SelectionBox(*objects);
    if (b.single < 0)
        return;
    const auto index = static_cast<std::size_t>(b.single);
    const int degrees = m_angle->value();
    const int faceWidth = m_edits.FaceWidth(), faceHeight = m_edits.FaceHeight();
    m_edits.RunObjectCommand("Rotate " + objects->GetObject(index)->GetDisplayName(), [&](CDrawObjectList& list) {
        return ObjectCommands::SetAngle(list, index, degrees, faceWidth, faceHeight);
    });
    Refresh();
}
