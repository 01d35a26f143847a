#include "render/BandRenderer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "engine3d/sampling/PixelRuns.h"
#include "image/Raster.h"
#include "render/output/PictureScaler.h"
#include "render/RenderBackend.h"

namespace {

constexpr long long kBandPixels = 2LL * 1000 * 1000;
constexpr int kApron = 1;  // rows drawn beyond a band on either side

// The two backgrounds of a cut-out (0x00BBGGRR) and their differences in
// blue, green and red. The light one is white, so that the cut-out laid
// over white gives back the picture drawn on white within rounding.
constexpr std::uint32_t kCutOutDark = 0x030201, kCutOutLight = 0xFFFFFF;
constexpr int kCutOutSpan[3] = {0xFF - 0x03, 0xFF - 0x02, 0xFF - 0x01};

// With `covered` (one entry a row) the columns the model's faces overwrite
// whatever lies there are left out.
void FillRows(const CPixelView& band, std::uint32_t colour, const CCoveredRow* covered = nullptr) noexcept
{
    for (int y = 0; y < band.GetHeight(); ++y) {
        const auto fill = [&](int from, int to) {
            FillPixelRun(band.At(from, y), to - from + 1, static_cast<std::uint8_t>(colour >> 16),
                         static_cast<std::uint8_t>(colour >> 8), static_cast<std::uint8_t>(colour));
        };
        if (covered == nullptr)
            fill(0, band.GetWidth() - 1);
        else
            covered[y].ForEachUncovered(band.GetWidth(), fill);
    }
}

// A cut-out's pixel from its colours over the dark background (p, made the
// cut-out's colour) and over the light one (q), and its cover `a`. A pixel
// C = cover * F + (1 - cover) * B over background B: the two backgrounds
// show through by (C2 - C1) / (B2 - B1), the same in every channel but for
// rounding (the mean is taken), in 255ths. The colour is taken from the
// drawing over white, where the cut-out is to match: C2 = (cover * F +
// (255 - cover) * 255) / 255, so F = (255 * C2 - 255 * through) / cover;
// white where nothing is. A pixel alike over both backgrounds is covered
// (through 0, F = C2); one that is each background itself is not (through
// 255): both are common and come out so without the divisions.
inline void CutOutPixel(std::uint8_t* p, const std::uint8_t* q, std::uint8_t* a) noexcept
{
    if (p[0] == q[0] && p[1] == q[1] && p[2] == q[2]) {
        *a = 255;
        return;
    }
    int through = (q[0] - p[0]) * 255 * 2 / kCutOutSpan[0] + (q[1] - p[1]) * 255 * 2 / kCutOutSpan[1] +
                  (q[2] - p[2]) * 255 * 2 / kCutOutSpan[2];
    through = std::clamp((through + 3) / 6, 0, 255);
    const int cover = 255 - through;
    *a = static_cast<std::uint8_t>(cover);
    for (int c = 0; c < 3; ++c) {
        const int f = cover == 0 ? 255 : (255 * (q[c] - through) + cover / 2) / cover;
        p[c] = static_cast<std::uint8_t>(std::clamp(f, 0, 255));
    }
}

// The pictures a drawing thread draws its bands into: made once a render
// for the tallest band and cut to each band's rows, and a few of them kept
// from one render to the next, so that their pages are not asked for (and
// cleared) anew each time.
struct SBandPictures {
    CRaster scratch, alpha;
    std::vector<CCoveredRow> covered; // the band's rows' columns the model covers
    std::vector<std::uint8_t> overLight; // a cut-out's output rows drawn over the light background
    int whiteRows = 0; // the first rows of alpha known white (a band leaves them so)

    // Pictures of `rows` rows, `width` wide, in blocks of `most` rows; the
    // layer white. New pictures are not cleared first where every byte used
    // is written before it is read: the layer's rows are made white here, and
    // the scratch rows when `filled` (each band fills its background where
    // the model does not draw).
    bool Fit(int width, int rows, int most, bool filled)
    {
        if (!(scratch.IsValid() && scratch.GetWidth() == width && scratch.SetRowsWithin(rows) &&
              alpha.GetWidth() == width && alpha.SetRowsWithin(rows))) {
            whiteRows = 0;
            if ((filled ? scratch.CreateUnset(width, most, 24) : scratch.Create(width, most, 24)) == nullptr ||
                alpha.CreateUnset(width, most, 24) == nullptr || !scratch.SetRowsWithin(rows) ||
                !alpha.SetRowsWithin(rows))
                return false;
        }
        if (rows > whiteRows) alpha.ToWhite();
        whiteRows = std::max(whiteRows, rows);
        return true;
    }
};

class CBandPicturePool {
public:
    static CBandPicturePool& Get()
    {
        static CBandPicturePool pool;
        return pool;
    }
    SBandPictures Take()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_kept.empty()) return SBandPictures();
        SBandPictures p = std::move(m_kept.back());
        m_kept.pop_back();
        return p;
    }
    void Give(SBandPictures&& p)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (p.scratch.IsValid() && m_kept.size() < kKept) m_kept.push_back(std::move(p));
    }

private:
    static constexpr std::size_t kKept = 4; // about 12 MB each
    std::mutex m_mutex;
    std::vector<SBandPictures> m_kept;
};

// A thread's band pictures, taken from the pool and given back.
class CThreadBandPictures {
public:
    CThreadBandPictures() : m_pictures(CBandPicturePool::Get().Take()) {}
    ~CThreadBandPictures() { CBandPicturePool::Get().Give(std::move(m_pictures)); }
    CThreadBandPictures(const CThreadBandPictures&) = delete;
    CThreadBandPictures& operator=(const CThreadBandPictures&) = delete;
    SBandPictures& operator*() noexcept { return m_pictures; }

private:
    SBandPictures m_pictures;
};

// The state the drawing threads share.
struct SBandWork {
    const SBandLayout* layout = nullptr;
    const BandBackground* background = nullptr;
    const CModelBands* model = nullptr;
    CPixelView output;
    int bandRows = 0;
    int count = 0;
    std::atomic<int> next{0};
    std::atomic<int> done{0};
    std::atomic<bool> stop{false};
    std::mutex mutex;  // guards error and wakes the calling thread
    std::condition_variable changed;
    std::string error;

    void Fail(const std::string& why)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (error.empty()) error = why.empty() ? "A band of the picture could not be drawn." : why;
        stop = true;
        changed.notify_all();
    }
};

// Draws band b into the thread's own pictures and reduces its rows into the output.
bool DrawOneBand(SBandWork& w, int b, SBandPictures& pictures, std::string& error)
{
    CRaster& scratch = pictures.scratch;
    CRaster& alpha = pictures.alpha;
    const SBandLayout& l = *w.layout;
    const int first = b * w.bandRows;                     // first delivered row
    const int last = std::min(l.height, first + w.bandRows);  // one past the last
    const int from = std::max(0, first - kApron), to = std::min(l.height, last + kApron);
    const int rows = to - from;
    if (!pictures.Fit(l.width, rows, std::min(l.height, w.bandRows + 2 * kApron), *w.background || l.alpha != nullptr)) {
        error = "Out of memory";
        return false;
    }
    // A band drawn leaves the layer white again; one that fails may not.
    const auto drawModel = [&]() {
        if (w.model == nullptr) return true;
        const int white = pictures.whiteRows;
        pictures.whiteRows = 0;
        if (!w.model->DrawBand(scratch, alpha, from, &error)) return false;
        pictures.whiteRows = white;
        return true;
    };
    const CPixelView view = ViewOf(scratch);
    // Delivered rows first .. last - 1 become output rows first / k ..
    const CPixelView inner(view.Row(first - from), l.width, last - first, view.GetStride());
    const CPixelView out(w.output.Row(first / l.k), w.output.GetWidth(), (last - first) / l.k,
                         w.output.GetStride());
    if (l.alpha == nullptr) {
        if (*w.background) {
            const CCoveredRow* covered = nullptr;
            if (w.model != nullptr) {
                w.model->CoveredRows(from, rows, pictures.covered);
                covered = pictures.covered.data();
            }
            (*w.background)(view, from, covered);
        }
        if (!drawModel()) return false;
        ScalePicture(inner, out);
        return true;
    }
    // Over the dark colour into the output rows, then over the light one
    // beside them. (Not pure black: edge softening compares colours with
    // what lies below, and black binder rings over a black background would
    // not be told apart from it.)
    const CCoveredRow* covered = nullptr;
    if (w.model != nullptr) {
        w.model->CoveredRows(from, rows, pictures.covered);
        covered = pictures.covered.data();
    }
    FillRows(view, kCutOutDark, covered);
    if (!drawModel()) return false;
    ScalePicture(inner, out);
    const std::size_t lightStride = 3 * static_cast<std::size_t>(out.GetWidth());
    if (pictures.overLight.size() < lightStride * static_cast<std::size_t>(out.GetHeight()))
        pictures.overLight.resize(lightStride * static_cast<std::size_t>(out.GetHeight()));
    const CPixelView light(pictures.overLight.data(), out.GetWidth(), out.GetHeight(),
                           static_cast<std::ptrdiff_t>(lightStride));
    FillRows(view, kCutOutLight, covered);
    if (!drawModel()) return false;
    ScalePicture(inner, light);
    for (int y = 0; y < out.GetHeight(); ++y) {
        std::uint8_t* p = out.Row(y);
        const std::uint8_t* q = light.Row(y);
        std::uint8_t* a = l.alpha + static_cast<std::size_t>(first / l.k + y) * static_cast<std::size_t>(out.GetWidth());
        for (int x = 0; x < out.GetWidth(); ++x, p += 3, q += 3) CutOutPixel(p, q, a + x);
    }
    return true;
}

void DrawBands(SBandWork& w)
{
    CThreadBandPictures pictures;
    try {
        for (;;) {
            if (w.stop) return;
            const int b = w.next.fetch_add(1);
            if (b >= w.count) return;
            std::string error;
            if (!DrawOneBand(w, b, *pictures, error)) {
                w.Fail(error);
                return;
            }
            w.done.fetch_add(1);
            std::lock_guard<std::mutex> lock(w.mutex);
            w.changed.notify_all();
        }
    } catch (const std::bad_alloc&) {
        w.Fail("Out of memory");
    }
}

}  // namespace

int ChooseBandRows(int width, int height, int k, int threads) noexcept
{
    k = std::max(k, 1);
    const long long byMemory = std::max<long long>(1, kBandPixels / std::max(width, 1));
    long long rows = std::max<long long>(k, byMemory / k * k);
    // Enough bands that the threads finish close together.
    const long long perThread = (static_cast<long long>(height) + 4LL * threads - 1) / (4LL * std::max(threads, 1));
    const long long balanced = std::max<long long>(k, (perThread + k - 1) / k * k);
    rows = std::min(rows, balanced);
    return static_cast<int>(std::clamp<long long>(rows, k, std::max(height, k)));
}

SBandResult RenderBands(const SBandLayout& layout, const BandBackground& background, const CModelBands* model,
                        const CPixelView& output, const BandProgress& progress)
{
    SBandResult result;
    const int k = std::max(layout.k, 1);
    if (layout.width <= 0 || layout.height <= 0 || layout.width % k != 0 || layout.height % k != 0 ||
        output.GetWidth() != layout.width / k || output.GetHeight() != layout.height / k) {
        result.error = "The picture sizes of the rendering do not match.";
        return result;
    }
    const int threads = std::max(layout.threads, 1);
    SBandWork w;
    w.layout = &layout;
    w.background = &background;
    w.model = model;
    w.output = output;
    w.bandRows = layout.bandRows > 0 && layout.bandRows % k == 0 ? layout.bandRows
                                                                  : ChooseBandRows(layout.width, layout.height, k, threads);
    w.count = (layout.height + w.bandRows - 1) / w.bandRows;

    int reported = -1;
    auto report = [&]() {
        const int done = w.done.load();
        if (done == reported) return;
        reported = done;
        if (progress && !progress(done, w.count)) {
            result.cancelled = true;
            w.stop = true;
        }
    };
    if (threads == 1 || w.count == 1) {
        // One thread: band after band here, asking about cancelling between them.
        CThreadBandPictures pictures;
        try {
            for (int b = 0; b < w.count && !w.stop; ++b) {
                std::string error;
                if (!DrawOneBand(w, b, *pictures, error)) {
                    w.Fail(error);
                    break;
                }
                w.done.fetch_add(1);
                report();
            }
        } catch (const std::bad_alloc&) {
            w.Fail("Out of memory");
        }
    } else {
        std::vector<std::thread> pool;
        try {
            for (int t = 0; t < std::min(threads, w.count); ++t) pool.emplace_back(DrawBands, std::ref(w));
        } catch (const std::exception&) {
            if (pool.empty()) w.Fail("The drawing threads could not be started.");
        }
        // The calling thread reports progress and passes on a cancel.
        while (w.done.load() < w.count && !w.stop) {
            {
                std::unique_lock<std::mutex> lock(w.mutex);
                w.changed.wait_for(lock, std::chrono::milliseconds(50));
            }
            report();
        }
        for (std::thread& t : pool) t.join();
        report();
    }
    if (!w.error.empty()) {
        result.error = w.error;
        return result;
    }
    result.ok = !result.cancelled && w.done.load() == w.count;
    return result;
}
