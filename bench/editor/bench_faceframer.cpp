// Framing a face on a 24-megapixel JPEG: taking the photo into the framer
// (its one decode), then each step of a drag and of a zoom as the editor
// draws it on the 77-pixel face and in the framing dialog's 154-pixel face.
// A step's rate is items_per_second: the target is at least 60.
#include "bench/support/BenchSupport.h"
#include "editor/FaceFramer.h"

#include <benchmark/benchmark.h>


namespace {

const QString &Photo()
{
    static const QString path = MakePhoto(WorkFile(QStringLiteral("framer.jpg")), 2);
    return path;
}

void BM_TakePhoto(benchmark::State &state)
{
    for (auto _ : state) {
        FaceFramer framer;
        if (!framer.Take(CubeFace::Photo(Photo())))
            state.SkipWithError("photo not read");
    }
}

// Each step moves the photo one pixel further, from the framing at the
// drag's start, and draws the face.
void BM_DragStep(benchmark::State &state)
{
    const int edge = int(state.range(0));
    FaceFramer framer;
    if (!framer.Take(CubeFace::Photo(Photo())))
        state.SkipWithError("photo not read");
    const FaceFraming start = framer.Zoomed(FaceFraming().Filled(), 1.5, QPointF(edge / 2.0, edge / 2.0), edge);
    int step = 0;
    for (auto _ : state) {
        const FaceFraming moved = framer.Moved(start, QPointF(step++ % 40 - 20, 0), edge);
        benchmark::DoNotOptimize(framer.Picture(moved, edge));
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_ZoomStep(benchmark::State &state)
{
    const int edge = int(state.range(0));
    FaceFramer framer;
    if (!framer.Take(CubeFace::Photo(Photo())))
        state.SkipWithError("photo not read");
    FaceFraming framing = FaceFraming().Filled();
    int step = 0;
    for (auto _ : state) {
        framing = framer.Zoomed(framing, step++ % 20 < 10 ? 1.2 : 1 / 1.2, QPointF(edge / 3.0, edge / 3.0), edge);
        benchmark::DoNotOptimize(framer.Picture(framing, edge));
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_TakePhoto)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DragStep)->Arg(77)->Arg(154)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomStep)->Arg(77)->Arg(154)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return RunWithGuiApplication(argc, argv);
}
