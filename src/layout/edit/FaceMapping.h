#pragma once
// Mapping between face pixels (x right, y up, (0,0) bottom-left) and canvas
// window pixels (x right, y down). Recomputed at every paint and shared by the
// painting and every mouse handler, so what is drawn and what is hit agree.

struct CFacePoint {
    int x = 0, y = 0;
    bool operator==(const CFacePoint&) const = default;
};

struct CFaceMapping {
    int faceLeft = 0, faceRight = 100000;   // face x at the window's left / right edge
    int faceTop = 0, faceBottom = -100000;  // face y at the window's top / bottom edge
    int spanX = 100000, spanY = -100000;    // faceRight - faceLeft, faceBottom - faceTop
    int windowWidth = 1, windowHeight = 1;  // client size used for the mapping
    int faceWidth = 0, faceHeight = 0;      // face picture size in pixels

    // Sets the edges and derives the spans; a zero span becomes 100000.
    void SetEdges(int left, int top, int right, int bottom, int winWidth, int winHeight);

    // Integer arithmetic, truncating toward zero, in 64 bits so that large
    // faces at high zoom cannot overflow.
    int FaceToWindowX(int fx) const;
    int FaceToWindowY(int fy) const;
    int WindowToFaceX(int wx) const;
    int WindowToFaceY(int wy) const;
    CFacePoint WindowToFace(int wx, int wy) const { return {WindowToFaceX(wx), WindowToFaceY(wy)}; }

    bool IsOnFace(CFacePoint p) const
    {
        return p.x >= 0 && p.x < faceWidth && p.y >= 0 && p.y < faceHeight;
    }
};

// Where a face picture of faceWidth x faceHeight pixels is shown in a client
// area of clientWidth x clientHeight at `scale` (1.0 = 100 %). In an axis where
// the scaled picture is smaller than the client it is centred; otherwise
// `visLeft` / `visTop` (face coordinates of the window's left and top edge) give
// the scrolled part and are clamped to the picture. The resulting mapping is
// integer, as the hit-testing needs it.
CFaceMapping ComputeFaceMapping(int faceWidth, int faceHeight, int clientWidth, int clientHeight,
                                double scale, double visLeft, double visTop,
                                bool* scrollX = nullptr, bool* scrollY = nullptr);
