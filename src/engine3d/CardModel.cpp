// Cards: one face in the plane z = 0, no depth and no back face; the
// shadow source is the same face.
#include "engine3d/ModelBuilder.h"

CPolygonList BuildCardList(const CModelDescription& desc, BuildMode /*mode*/, bool /*quality*/)
{
    const CSolidSize s = SafeSize(desc.settings);
    const double w = s.W / 2, h = s.H / 2;
    CPolygonList list;
    list.Add(CPolygon3D::Quad(MakeVertex(-w, h, 0), MakeVertex(-w, -h, 0), MakeVertex(w, -h, 0),
                              MakeVertex(w, h, 0), FaceCode::kFront));
    return list;
}
