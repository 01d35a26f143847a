// The CD-ROM on its own: the square that carries the disc picture (its area
// outside the disc is transparent), and the rim polygon that casts the shadow.
#include "engine3d/geometry/AngleTable.h"
#include "engine3d/model/ModelBuilder.h"

CPolygonList BuildDiscList(const CModelDescription& /*desc*/, BuildMode mode, bool quality)
{
    constexpr double R = kDiscRadius;
    CPolygonList list;
    if (mode == BuildMode::Model) {
        list.Add(CPolygon3D::Quad(MakeVertex(-R, R, 0), MakeVertex(-R, -R, 0), MakeVertex(R, -R, 0),
                                  MakeVertex(R, R, 0), FaceCode::kDisc));
        return list;
    }
    CPolygon3D rim;
    rim.mapped = 0;
    const int step = DiscStep(quality);
    for (int a = -180; a <= 180; a += step)
        rim.vertices.push_back(MakeVertex(R * CosDeg(a), R * SinDeg(a), 0));
    list.Add(std::move(rim));
    return list;
}
